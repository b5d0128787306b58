// The family's registrations: its Uninstall entries (duplicate-products)
// and its cached installer packages (installer-cache).
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "findings/collected_rules.h"
#include "findings/text.h"
#include "handoff/handoff.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

namespace {

const char kDuplicates[] = "duplicate-products";
const char kCache[] = "installer-cache";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstallKey32[] = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kProductsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products";
// A key name is at most 255 characters.
constexpr DWORD kKeyNameLimit = 256;

bool Missing(DWORD attributes, DWORD error) {
    return attributes == INVALID_FILE_ATTRIBUTES && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
}

// ---- duplicate-products ---------------------------------------------------------

struct FamilyEntry {
    InstalledEntry entry;
    bool locationMissing = false;
};

std::string UninstallSource(const InstalledEntry& entry, const char* value) {
    return std::string("HKLM\\") + (std::strcmp(entry.view, "32-bit") == 0 ? kUninstallKey32 : kUninstallKey) +
           "\\" + entry.key + "\\" + value;
}

Result JudgeDuplicates(const std::vector<FamilyEntry>& family, const std::string& unreadable) {
    if (family.empty())
        return Skip(kDuplicates, unreadable.empty() ? std::string("no entry of the product family under Uninstall")
                                                    : "the Uninstall entries cannot be read: " + unreadable);
    // An entry hidden from Programs and Features (a bootstrapper's MSI part)
    // or without a version is no second installation.
    std::map<std::string, std::vector<const InstalledEntry*>> byName;
    for (const FamilyEntry& item : family)
        if (!item.entry.systemComponent && item.entry.versioned) byName[Lower(item.entry.name)].push_back(&item.entry);
    std::vector<Evidence> evidence;
    std::size_t duplicated = 0, moved = 0;
    for (const auto& name : byName) {
        bool differ = false;
        for (const InstalledEntry* entry : name.second) differ = differ || entry->version != name.second.front()->version;
        if (!differ) continue;
        ++duplicated;
        for (const InstalledEntry* entry : name.second)
            evidence.push_back({UninstallSource(*entry, "DisplayVersion"), 0, entry->name + " " + entry->version});
    }
    for (const FamilyEntry& item : family) {
        if (!item.locationMissing) continue;
        ++moved;
        evidence.push_back({UninstallSource(item.entry, "InstallLocation"), 0,
                            item.entry.name + ": " + item.entry.installLocation + " (not found)"});
    }
    if (evidence.empty()) return Pass(kDuplicates);
    std::string title;
    if (duplicated > 0)
        title = std::to_string(duplicated) + (duplicated == 1 ? " product of the family is" : " products of the family are") +
                " registered twice with different versions";
    if (moved > 0)
        title += (title.empty() ? "" : "; ") + std::to_string(moved) +
                 (moved == 1 ? " registered installation folder is missing" : " registered installation folders are missing");
    return Fail(kDuplicates, Severity::Warning, title, std::move(evidence),
                "Remove the older version through Programs and Features (or its uninstaller), then repair "
                "the remaining installation; an entry whose folder is gone is removed by uninstalling it "
                "or by installing the same version again.");
}

// ---- installer-cache ------------------------------------------------------------

// A text value; false when absent, over-long or not a text.
bool ReadString(HKEY key, const char* name, std::string* text) {
    char data[1024];
    DWORD size = sizeof(data) - 1;
    DWORD type = REG_NONE;
    if (os().RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != 0) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    data[std::min<DWORD>(size, sizeof(data) - 1)] = '\0';
    *text = data;
    return !text->empty();
}

struct CachedPackage {
    std::string product;  // the packed product code, the key's name
    std::string name;
    std::string package;  // LocalPackage
    bool missing = false;
};

struct CacheReading {
    LONG openStatus = 0;
    std::vector<CachedPackage> family;
};

CacheReading ReadCache() {
    CacheReading reading;
    // The installer keeps its registrations in the 64-bit view; Windows
    // without views refuses the flag.
    REGSAM view = KEY_WOW64_64KEY;
    UniqueRegKey products;
    reading.openStatus = os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductsKey, 0, KEY_READ | view, products.put());
    if (reading.openStatus == static_cast<LONG>(ERROR_INVALID_PARAMETER)) {
        view = 0;
        reading.openStatus = os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductsKey, 0, KEY_READ, products.put());
    }
    if (reading.openStatus != 0) return reading;
    for (DWORD index = 0;; ++index) {
        char name[kKeyNameLimit];
        DWORD length = sizeof(name);
        LONG status = os().RegEnumKeyExA(products.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == static_cast<LONG>(ERROR_MORE_DATA)) continue;
        if (status != 0) break;
        name[std::min<DWORD>(length, sizeof(name) - 1)] = '\0';
        UniqueRegKey properties;
        if (os().RegOpenKeyExA(products.get(), (std::string(name) + "\\InstallProperties").c_str(), 0,
                               KEY_READ | view, properties.put()) != 0)
            continue;
        CachedPackage package;
        package.product = name;
        std::string publisher;
        ReadString(properties.get(), "DisplayName", &package.name);
        ReadString(properties.get(), "Publisher", &publisher);
        if (!NamesFamily(package.name) && !NamesFamily(publisher)) continue;
        if (ReadString(properties.get(), "LocalPackage", &package.package)) {
            DWORD attributes = os().GetFileAttributesA(package.package.c_str());
            package.missing = Missing(attributes, attributes == INVALID_FILE_ATTRIBUTES ? os().GetLastError() : 0);
        }
        reading.family.push_back(std::move(package));
    }
    return reading;
}

Result JudgeCache(const CacheReading& reading) {
    if (reading.openStatus != 0)
        return Skip(kCache, "the installer's product registrations cannot be read (error " +
                                std::to_string(reading.openStatus) + ")");
    if (reading.family.empty()) return Skip(kCache, "no product of the family is registered with the installer");
    std::vector<Evidence> evidence;
    for (const CachedPackage& package : reading.family)
        if (package.missing)
            evidence.push_back({std::string("HKLM\\") + kProductsKey + "\\" + package.product + "\\InstallProperties\\LocalPackage",
                                0, (package.name.empty() ? package.product : package.name) + ": " + package.package});
    if (evidence.empty()) return Pass(kCache);
    const std::size_t count = evidence.size();
    return Fail(kCache, Severity::Error,
                std::to_string(count) + (count == 1 ? " cached installer package of the family is missing"
                                                    : " cached installer packages of the family are missing"),
                std::move(evidence),
                "Repair, update and removal of these products fail until the package is back: repair the "
                "product from its original installation medium of the same version. Never clean the "
                "Windows Installer folder by hand.");
}

}  // namespace

Result DuplicateProducts(const CAction&) {
    InstalledSoftware software = ReadInstalledSoftware();
    std::vector<FamilyEntry> family;
    for (InstalledEntry& entry : software.entries) {
        if (!entry.family) continue;
        FamilyEntry item;
        if (!entry.installLocation.empty()) {
            DWORD attributes = os().GetFileAttributesA(entry.installLocation.c_str());
            item.locationMissing = Missing(attributes, attributes == INVALID_FILE_ATTRIBUTES ? os().GetLastError() : 0);
        }
        item.entry = std::move(entry);
        family.push_back(std::move(item));
    }
    return JudgeDuplicates(family, software.entries.empty() ? software.note : std::string());
}

Result InstallerCache(const CAction&) { return JudgeCache(ReadCache()); }

}  // namespace findings
