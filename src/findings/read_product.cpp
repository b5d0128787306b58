// The product's folders: the paths the registry names and whether they
// exist, a bounded walk below them for read-only, compressed or encrypted
// files (which the attribute report does not reach), and the family's
// registered installation folders.
#include <algorithm>
#include <string>
#include <vector>

#include "environment/action.h"
#include "findings/readers.h"
#include "findings/text.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

namespace {

// The overview lists this many of the files found.
constexpr std::size_t kListedFiles = 10;
// Program names kept for recognising the family's crash reports.
constexpr std::size_t kKeptPrograms = 256;
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


bool Missing(DWORD attributes, DWORD error) {
    return attributes == INVALID_FILE_ATTRIBUTES && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
}

// Depth first, each folder's entries in the platform's order, until the
// bound: a product tree of any size costs at most `bound` entries.
void WalkTree(const CAction& action, const std::string& root, std::size_t bound, ProductFilesFacts& walk) {
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
                continue;
            }
            if (EndsWithNoCase(name, ".exe")) {
                const std::string program = Lower(name);
                if (walk.programs.size() < kKeptPrograms &&
                    std::find(walk.programs.begin(), walk.programs.end(), program) == walk.programs.end())
                    walk.programs.push_back(program);
            }
            if ((data.dwFileAttributes & kReportedBits) != 0) {
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


}  // namespace

std::vector<ProductPathFacts> ReadProductPaths(const CAction& action) {
    std::vector<ProductPathFacts> checks;
    for (const ProductPath& product : PathsOf(action)) {
        ProductPathFacts check;
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
    return checks;
}

ProductFilesFacts ReadProductFiles(const CAction& action, std::size_t bound) {
    ProductFilesFacts walk;
    walk.bound = bound;
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
    for (const std::string& root : walk.roots) WalkTree(action, root, bound, walk);
    return walk;
}


void CheckInstallLocations(InstalledSoftware& software) {
    for (InstalledEntry& entry : software.entries) {
        if (!entry.family || entry.installLocation.empty()) continue;
        const DWORD attributes = os().GetFileAttributesA(entry.installLocation.c_str());
        entry.locationMissing = Missing(attributes, attributes == INVALID_FILE_ATTRIBUTES ? os().GetLastError() : 0);
    }
}

}  // namespace findings
