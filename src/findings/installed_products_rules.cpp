// The family's registrations: its Uninstall entries (duplicate-products)
// and its cached installer packages (installer-cache).
#include <map>

#include "findings/rules.h"
#include "findings/text.h"

namespace findings {

Result DuplicateProducts(const Facts& facts) {
    std::vector<const InstalledEntry*> family;
    for (const InstalledEntry& entry : facts.installed.entries)
        if (entry.family) family.push_back(&entry);
    const std::string unreadable = facts.installed.entries.empty() ? facts.installed.note : std::string();
    if (family.empty())
        return Skip(unreadable.empty() ? std::string("no entry of the product family under Uninstall")
                                       : "the Uninstall entries cannot be read: " + unreadable);
    // An entry hidden from Programs and Features (a bootstrapper's MSI part)
    // or without a version is no second installation.
    std::map<std::string, std::vector<const InstalledEntry*>> byName;
    for (const InstalledEntry* entry : family)
        if (!entry->systemComponent && entry->versioned) byName[Lower(entry->name)].push_back(entry);
    std::vector<Evidence> evidence;
    std::size_t duplicated = 0, moved = 0;
    for (const auto& name : byName) {
        bool differ = false;
        for (const InstalledEntry* entry : name.second) differ = differ || entry->version != name.second.front()->version;
        if (!differ) continue;
        ++duplicated;
        for (const InstalledEntry* entry : name.second)
            evidence.push_back({entry->source + "\\DisplayVersion", 0, entry->name + " " + entry->version});
    }
    for (const InstalledEntry* entry : family) {
        if (!entry->locationMissing) continue;
        ++moved;
        evidence.push_back({entry->source + "\\InstallLocation", 0,
                            entry->name + ": " + entry->installLocation + " (not found)"});
    }
    if (evidence.empty()) return Pass();
    std::string title;
    if (duplicated > 0)
        title = std::to_string(duplicated) + (duplicated == 1 ? " product of the family is" : " products of the family are") +
                " registered twice with different versions";
    if (moved > 0)
        title += (title.empty() ? "" : "; ") + std::to_string(moved) +
                 (moved == 1 ? " registered installation folder is missing" : " registered installation folders are missing");
    return Fail(Severity::Warning, title, std::move(evidence),
                "Remove the older version through Programs and Features (or its uninstaller), then repair "
                "the remaining installation; an entry whose folder is gone is removed by uninstalling it "
                "or by installing the same version again.");
}


Result InstallerCache(const Facts& facts) {
    const InstallerCacheFacts& reading = facts.installerCache;
    if (reading.openStatus != 0)
        return Skip("the installer's product registrations cannot be read (error " +
                    std::to_string(reading.openStatus) + ")");
    if (reading.family.empty()) return Skip("no product of the family is registered with the installer");
    std::vector<Evidence> evidence;
    for (const CachedPackage& package : reading.family)
        if (package.missing)
            evidence.push_back({package.source, 0, package.name + ": " + package.package});
    if (evidence.empty()) return Pass();
    const std::size_t count = evidence.size();
    return Fail(Severity::Error,
                std::to_string(count) + (count == 1 ? " cached installer package of the family is missing"
                                                    : " cached installer packages of the family are missing"),
                std::move(evidence),
                "Repair, update and removal of these products fail until the package is back: repair the "
                "product from its original installation medium of the same version. Never clean the "
                "Windows Installer folder by hand.");
}


}  // namespace findings
