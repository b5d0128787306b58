// The product paths the registry names: whether the folders exist
// (product-paths), and the read-only, compressed or encrypted files below
// them (product-file-attributes), which the attribute report does not reach.
#include <algorithm>
#include <cctype>

#include "environment/action.h"
#include "findings/text.h"
#include "findings/collected_rules.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

namespace {

const char kPaths[] = "product-paths";
const char kAttributes[] = "product-file-attributes";
// The overview lists this many of the files found.
constexpr std::size_t kListedFiles = 10;
constexpr DWORD kReportedBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED;

struct ProductPath {
    ProductValueName value;  // where the registry holds it
    const std::string* path;
    const ProductLookup* lookup;
};

std::vector<ProductPath> PathsOf(const CAction& action) {
    return {{kNetPCPathValue, &action.m_szNetPCPath, &action.m_Record.netPcPath},
            {kSharedPathValue, &action.m_szSharedPath, &action.m_Record.sharedPath}};
}

std::string LookupProblem(const ProductLookup& lookup) {
    switch (lookup.state) {
    case ProductLookup::NotLookedUp: return "not looked up";
    case ProductLookup::OpenFailed: return "key not opened, error " + std::to_string(lookup.status);
    case ProductLookup::ReadFailed: return "value not read, error " + std::to_string(lookup.status);
    case ProductLookup::Found: break;
    }
    return std::string();
}

// `inner` is `outer` or lies below it.
bool Holds(const std::string& outer, const std::string& inner) {
    const std::string a = Lower(outer) + "\\", b = Lower(inner) + "\\";
    return b.compare(0, a.size(), a) == 0;
}

// ---- product-paths --------------------------------------------------------------

struct PathCheck {
    std::string source, path;
    bool found = false;  // read from the registry
    std::string notFound;  // why not
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    DWORD error = 0;
};

Result JudgePaths(const std::vector<PathCheck>& checks) {
    std::vector<Evidence> evidence;
    std::string unknown, unread;
    bool anyFound = false;
    for (const PathCheck& check : checks) {
        if (!check.found) {
            unread += (unread.empty() ? "" : "; ") + check.source + ": " + check.notFound;
            continue;
        }
        anyFound = true;
        if (check.path.empty()) {
            evidence.push_back({check.source, 0, "(empty)"});
        } else if (check.attributes == INVALID_FILE_ATTRIBUTES) {
            if (check.error == ERROR_FILE_NOT_FOUND || check.error == ERROR_PATH_NOT_FOUND)
                evidence.push_back({check.source, 0, check.path});
            else
                unknown += (unknown.empty() ? "" : "; ") + check.path + " cannot be checked (error " + std::to_string(check.error) + ")";
        } else if ((check.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            evidence.push_back({check.source, 0, check.path + " (a file, not a folder)"});
        }
    }
    if (!anyFound) return Skip(kPaths, "no product path was read from the registry (" + unread + ")");
    if (!evidence.empty()) {
        const char* title = evidence.size() == 1 ? "The product folder the registry names does not exist"
                                                 : "The product folders the registry names do not exist";
        return Fail(kPaths, Severity::Error, title, std::move(evidence),
                    "The installation is incomplete or was moved or deleted by hand: repair the product "
                    "(or uninstall and install it again) so that its folders and registry agree.");
    }
    if (!unknown.empty()) return Skip(kPaths, unknown);
    return Pass(kPaths);
}

// ---- product-file-attributes ------------------------------------------------------

struct FlaggedFile {
    std::string path;
    std::string words;  // as the attribute report names the bits
};

struct Walk {
    std::vector<std::string> roots;
    std::size_t entries = 0;
    bool cut = false;  // stopped at the bound
    std::size_t flagged = 0;
    std::vector<FlaggedFile> first;  // the first kListedFiles of them
    std::string unlisted;            // roots that could not be listed
    std::size_t unlistedFolders = 0;  // below the roots
};

// Depth first, each folder's entries in the platform's order, until the
// bound: a product tree of any size costs at most `bound` entries.
void WalkTree(const CAction& action, const std::string& root, std::size_t bound, Walk& walk) {
    std::vector<std::string> folders = {root};
    bool isRoot = true;
    while (!folders.empty() && !walk.cut) {
        const std::string folder = folders.back();
        folders.pop_back();
        WIN32_FIND_DATAA data = {};
        UniqueFind find(os().FindFirstFileA((folder + "\\*.*").c_str(), &data));
        if (!find) {
            if (isRoot)
                walk.unlisted += (walk.unlisted.empty() ? "" : "; ") + folder + " cannot be listed (error " +
                                 std::to_string(os().GetLastError()) + ")";
            else
                ++walk.unlistedFolders;
            isRoot = false;
            continue;
        }
        isRoot = false;
        std::vector<std::string> below;
        do {
            data.cFileName[sizeof(data.cFileName) - 1] = '\0';
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            if (walk.entries >= bound) {
                walk.cut = true;
                break;
            }
            ++walk.entries;
            const std::string path = folder + "\\" + name;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                // A junction leads out of the product's tree, or back into it.
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) below.push_back(path);
            } else if ((data.dwFileAttributes & kReportedBits) != 0) {
                ++walk.flagged;
                if (walk.first.size() < kListedFiles) {
                    // "Attribute:readonly compressed \r\n" -> "readonly compressed"
                    std::string text;
                    action.GetAttributeText(data.dwFileAttributes, text);
                    const std::size_t from = text.find(':') + 1, to = text.find_last_not_of(" \r\n") + 1;
                    walk.first.push_back({path, to > from ? text.substr(from, to - from) : text});
                }
            }
        } while (os().FindNextFileA(find.get(), &data));
        // Popped from the back: reversed, the folders are walked in listing order.
        folders.insert(folders.end(), below.rbegin(), below.rend());
    }
}

Result JudgeAttributes(const Walk& walk, std::size_t bound) {
    if (walk.roots.empty()) return Skip(kAttributes, "no product folder to look into");
    std::string roots;
    for (const std::string& root : walk.roots) roots += (roots.empty() ? "" : ", ") + root;
    if (walk.flagged > 0) {
        std::vector<Evidence> evidence;
        evidence.push_back({roots, 0,
                            std::to_string(walk.flagged) + (walk.flagged == 1 ? " file" : " files") +
                                " read-only, compressed or encrypted" +
                                (walk.cut ? " in the first " + std::to_string(bound) + " entries" : std::string())});
        for (const FlaggedFile& file : walk.first) evidence.push_back({file.path, 0, file.words});
        return Fail(kAttributes, Severity::Warning,
                    std::to_string(walk.flagged) + (walk.flagged == 1 ? " product file is" : " product files are") +
                        " read-only, compressed or encrypted",
                    std::move(evidence),
                    "Updates cannot replace read-only files, and services cannot read files another "
                    "user encrypted: clear these attributes in the files' properties (Advanced), then "
                    "repair the installation.");
    }
    if (walk.cut)
        return Skip(kAttributes, "the product folders hold more than " + std::to_string(bound) +
                                     " entries; none of the first " + std::to_string(bound) + " is read-only, compressed or encrypted");
    if (!walk.unlisted.empty()) return Skip(kAttributes, walk.unlisted);
    return Pass(kAttributes);
}

}  // namespace

Result ProductPaths(const CAction& action) {
    std::vector<PathCheck> checks;
    for (const ProductPath& product : PathsOf(action)) {
        PathCheck check;
        check.source = std::string("HKLM\\") + product.value.key + "\\" + product.value.value;
        check.found = product.lookup->state == ProductLookup::Found;
        check.notFound = LookupProblem(*product.lookup);
        check.path = *product.path;
        if (check.found && !check.path.empty()) {
            check.attributes = os().GetFileAttributesA(check.path.c_str());
            if (check.attributes == INVALID_FILE_ATTRIBUTES) check.error = os().GetLastError();
        }
        checks.push_back(std::move(check));
    }
    return JudgePaths(checks);
}

Result ProductFileAttributes(const CAction& action) { return ProductFileAttributes(action, ReadBounds()); }

Result ProductFileAttributes(const CAction& action, const ReadBounds& bounds) {
    Walk walk;
    for (const ProductPath& product : PathsOf(action)) {
        std::string path = *product.path;
        while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
        if (product.lookup->state != ProductLookup::Found || path.empty()) continue;
        const DWORD attributes = os().GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
        // One walk for a folder below (or equal to) another.
        if (std::any_of(walk.roots.begin(), walk.roots.end(), [&](const std::string& root) { return Holds(root, path); }))
            continue;
        walk.roots.erase(std::remove_if(walk.roots.begin(), walk.roots.end(),
                                        [&](const std::string& root) { return Holds(path, root); }),
                         walk.roots.end());
        walk.roots.push_back(path);
    }
    for (const std::string& root : walk.roots) WalkTree(action, root, bounds.walkEntries, walk);
    return JudgeAttributes(walk, bounds.walkEntries);
}

}  // namespace findings
