// The registry operations of CAction run for the Wine suite, each with the
// trace lines it wrote. Kept apart from <windows.h>, whose types clash with
// the program's own.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class CAction;

namespace winetest {

struct TracedRun {
    int result = 0;
    std::vector<std::string> trace;  // messages without time stamps

    ::testing::AssertionResult Traced(const std::string& line) const;
    ::testing::AssertionResult TracedStartingWith(const std::string& prefix, int times) const;
};

// Any operation of a CAction built for it, as one run of the program.
TracedRun RunTraced(const std::function<int(CAction&)>& operation);

// Collect_Registry into `folder` (ends with a backslash).
TracedRun CollectRegistryInto(const std::string& folder);
// Restore_Registry from `folder` under the subfolder `name`.
TracedRun RestoreRegistryFrom(const std::string& folder, const std::string& name);
TracedRun DeleteRegistryEntry(const std::string& keyPath);
bool IsRegistryEntry(const std::string& keyPath);

}  // namespace winetest
