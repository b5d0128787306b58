// Links in the output tree. The program runs elevated, and whoever may write
// beside the executable may make CollectInfo, or a folder in it, a junction,
// symbolic link or mount point to a system folder: the run would then delete
// and write there. It never removes, creates or writes through one.
#pragma once

#include <string>

namespace gx {

// The first reparse point at `root` or on the way from it down to `path`
// (both included; doubled separators are harmless), or "" when there is
// none. Entries that do not exist yet are no links; the way ends at the
// first of them. `path` outside `root` is checked alone.
std::string LinkOnTheWay(const std::string& root, const std::string& path);

// The first reparse point inside the folder's tree (not the folder itself),
// never descending into one; "" when there is none or the folder is missing.
std::string LinkInTree(const std::string& folder);

}  // namespace gx
