// The product paths the registry names: whether the folders exist
// (product-paths), and the read-only, compressed or encrypted files below
// them (product-file-attributes).
#include "findings/rules.h"
#include "platform/constants.h"

using namespace gx;

namespace findings {

Result ProductPaths(const Facts& facts) {
    const std::vector<ProductPathFacts>& checks = facts.productPaths;
    std::vector<Evidence> evidence;
    std::string unknown, unread;
    bool anyFound = false;
    for (const ProductPathFacts& check : checks) {
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
    if (!anyFound) return Skip("no product path was read from the registry (" + unread + ")");
    if (!evidence.empty()) {
        const char* title = evidence.size() == 1 ? "The product folder the registry names does not exist"
                                                 : "The product folders the registry names do not exist";
        return Fail(Severity::Error, title, std::move(evidence),
                    "The installation is incomplete or was moved or deleted by hand: repair the product "
                    "(or uninstall and install it again) so that its folders and registry agree.");
    }
    if (!unknown.empty()) return Skip(unknown);
    return Pass();
}


Result ProductFileAttributes(const Facts& facts) {
    const ProductFilesFacts& walk = facts.productFiles;
    const std::size_t bound = walk.bound;
    if (walk.roots.empty()) return Skip("no product folder to look into");
    std::string roots;
    for (const std::string& root : walk.roots) roots += (roots.empty() ? "" : ", ") + root;
    if (walk.flagged > 0) {
        std::vector<Evidence> evidence;
        evidence.push_back({roots, 0,
                            std::to_string(walk.flagged) + (walk.flagged == 1 ? " file" : " files") +
                                " read-only, compressed or encrypted" +
                                (walk.cut ? " in the first " + std::to_string(bound) + " entries" : std::string())});
        for (const FlaggedFile& file : walk.first) evidence.push_back({file.path, 0, file.words});
        return Fail(Severity::Warning,
                    std::to_string(walk.flagged) + (walk.flagged == 1 ? " product file is" : " product files are") +
                        " read-only, compressed or encrypted",
                    std::move(evidence),
                    "Updates cannot replace read-only files, and services cannot read files another "
                    "user encrypted: clear these attributes in the files' properties (Advanced), then "
                    "repair the installation.");
    }
    if (walk.cut)
        return Skip("the product folders hold more than " + std::to_string(bound) + " entries; none of the first " +
                    std::to_string(bound) + " is read-only, compressed or encrypted");
    if (!walk.unlisted.empty()) return Skip(walk.unlisted);
    return Pass();
}


}  // namespace findings
