// The registry reader: Windows' own state (pending-restart markers, the
// services) in the 64-bit view where Windows keeps it, and the installer's
// product registrations.
#include <algorithm>
#include <cstring>
#include <memory>

#include "environment/action.h"
#include "environment/wow64.h"
#include "findings/readers.h"
#include "findings/text.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

namespace {

// Registry values larger than this are not read: no list of pending
// renames or path the rules look at comes near it.
constexpr DWORD kValueLimit = 1024 * 1024;
// Rename entries kept for the evidence.
constexpr std::size_t kRenamesKept = 20;

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kServicing[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing";
const char kRebootRequired[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired";
const char kUpdateExeVolatile[] = "SOFTWARE\\Microsoft\\Updates\\UpdateExeVolatile";
const char kComputerName[] = "SYSTEM\\CurrentControlSet\\Control\\ComputerName";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services";
const char kProductsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products";
// A key name is at most 255 characters.
constexpr DWORD kKeyNameLimit = 256;

bool Missing(DWORD attributes, DWORD error) {
    return attributes == INVALID_FILE_ATTRIBUTES && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
}

// Windows' own state in the 64-bit view, where Windows keeps it: a 32-bit
// program would otherwise read Wow6432Node. Only Windows 2000, which knows
// no views, refuses the flag and is asked plainly.
LONG OpenKey(const char* path, UniqueRegKey& key) {
    LONG status = os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, key.put());
    if (status != static_cast<LONG>(ERROR_INVALID_PARAMETER)) return status;
    return os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put());
}

// A value's bytes; the status of the read (ERROR_FILE_NOT_FOUND: missing).
LONG QueryValue(HKEY key, const char* name, DWORD* type, std::string* bytes) {
    DWORD size = 0;
    LONG status = os().RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (status != 0) return status;
    if (size > kValueLimit) return static_cast<LONG>(ERROR_MORE_DATA);
    bytes->assign(size, '\0');
    if (size == 0) return 0;
    status = os().RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&(*bytes)[0]), &size);
    if (status == 0) bytes->resize(std::min<std::size_t>(size, bytes->size()));
    return status;
}

// A text value up to its first NUL; empty when missing or not text.
std::string QueryText(HKEY key, const char* name) {
    DWORD type = REG_NONE;
    std::string bytes;
    if (QueryValue(key, name, &type, &bytes) != 0 || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    return bytes.substr(0, bytes.find('\0'));
}

bool KeyExists(const char* path) {
    UniqueRegKey key;
    return OpenKey(path, key) == 0;
}

std::string Hklm(const std::string& path) { return "HKLM\\" + path; }

// A rename list's entries come in pairs (from, to); an empty "to" deletes.
// Empty entries are kept so the pairs stay in step.
void ReadRenames(HKEY key, const char* name, PendingRestartFacts& facts) {
    DWORD type = REG_NONE;
    std::string bytes;
    const LONG status = QueryValue(key, name, &type, &bytes);
    if (status == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) return;
    if (status != 0 || (type != REG_MULTI_SZ && type != REG_SZ)) {
        facts.renamesUnreadable = facts.renamesUnreadable || status != 0 || !bytes.empty();
        return;
    }
    std::vector<std::string> entries;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\0', at);
        if (end == std::string::npos) end = bytes.size();
        entries.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    while (!entries.empty() && entries.back().empty()) entries.pop_back();
    const std::string source = Hklm(kSessionManager) + "\\" + name;
    for (std::size_t i = 0; i < entries.size(); i += 2) {
        if (entries[i].empty()) continue;
        ++facts.renameCount;
        if (facts.renames.size() == kRenamesKept) continue;
        const std::string to = i + 1 < entries.size() ? entries[i + 1] : std::string();
        facts.renames.push_back({source, 0, entries[i] + (to.empty() ? " -> (delete)" : " -> " + to)});
    }
}

}  // namespace

PendingRestartFacts ReadPendingRestart() {
    PendingRestartFacts facts;
    UniqueRegKey key;
    LONG status = OpenKey(kSessionManager, key);
    if (status != 0) {
        facts.reason = Error("the Session Manager key cannot be opened", status);
        return facts;
    }
    ReadRenames(key.get(), "PendingFileRenameOperations", facts);
    ReadRenames(key.get(), "PendingFileRenameOperations2", facts);
    for (const char* below : {"RebootPending", "RebootInProgress", "PackagesPending"}) {
        const std::string path = std::string(kServicing) + "\\" + below;
        if (KeyExists(path.c_str())) facts.markers.push_back({Hklm(path), 0, "key exists"});
    }
    if (KeyExists(kRebootRequired)) facts.markers.push_back({Hklm(kRebootRequired), 0, "key exists"});
    UniqueRegKey updates;
    if (OpenKey(kUpdateExeVolatile, updates) == 0) {
        DWORD type = REG_NONE, flags = 0;
        std::string bytes;
        if (QueryValue(updates.get(), "Flags", &type, &bytes) == 0 && type == REG_DWORD && bytes.size() == 4)
            std::memcpy(&flags, bytes.data(), 4);
        if (flags != 0)
            facts.markers.push_back({Hklm(kUpdateExeVolatile) + "\\Flags", 0, std::to_string(flags) + " (an update waits for a restart)"});
    }
    // A new computer name takes effect at the next start.
    UniqueRegKey active, pending;
    const std::string activePath = std::string(kComputerName) + "\\ActiveComputerName";
    const std::string pendingPath = std::string(kComputerName) + "\\ComputerName";
    if (OpenKey(activePath.c_str(), active) == 0 && OpenKey(pendingPath.c_str(), pending) == 0) {
        const std::string now = QueryText(active.get(), "ComputerName"), next = QueryText(pending.get(), "ComputerName");
        if (!now.empty() && !next.empty() && Lower(now) != Lower(next))
            facts.markers.push_back({Hklm(pendingPath) + "\\ComputerName", 0, next + " (now " + now + "): a rename waits for a restart"});
    }
    facts.read = true;
    return facts;
}

namespace {

// Folders named by the services' image paths, expanded as the service
// control manager does.
std::string ResolveImage(const std::string& imagePath, const CAction& action) {
    std::string path = imagePath;
    while (!path.empty() && path[0] == ' ') path.erase(0, 1);
    if (path.empty()) return std::string();
    if (path[0] == '"') {
        const std::size_t close = path.find('"', 1);
        path = path.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        const std::string lower = Lower(path);
        for (const char* ext : {".exe", ".sys", ".dll"}) {
            const std::size_t at = lower.find(ext);
            if (at != std::string::npos) {
                path = path.substr(0, at + 4);
                break;
            }
        }
    }
    std::string windows = action.m_szWindowsPath;
    while (!windows.empty() && windows.back() == '\\') windows.pop_back();
    if (windows.empty()) windows = "C:\\WINDOWS";
    const std::string lower = Lower(path);
    if (lower.compare(0, 4, "\\??\\") == 0) return path.substr(4);
    if (lower.compare(0, 12, "\\systemroot\\") == 0) return windows + path.substr(11);
    if (lower.compare(0, 12, "%systemroot%") == 0) return windows + path.substr(12);
    if (lower.compare(0, 8, "%windir%") == 0) return windows + path.substr(8);
    if (lower.compare(0, 9, "system32\\") == 0) return windows + "\\" + path;
    if (path.size() > 2 && path[1] == ':') return path;
    return std::string();  // relative or another variable: no file to look for
}

bool BelowFolder(const std::string& file, std::string folder) {
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    if (folder.empty()) return false;
    return Lower(file).compare(0, folder.size() + 1, Lower(folder) + "\\") == 0;
}

}  // namespace

ServicesFacts ReadServices(const CAction& action) {
    ServicesFacts facts;
    facts.installerKey = Hklm(kServices) + "\\msiserver";
    UniqueRegKey services;
    LONG status = os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServices, 0, KEY_READ, services.put());
    if (status != 0) {
        facts.reason = Error("the services key cannot be opened", status);
        return facts;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof(name);
        status = os().RegEnumKeyExA(services.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) break;
        if (status == static_cast<LONG>(ERROR_MORE_DATA)) continue;
        if (status != 0) {
            facts.reason = Error("the list of services ends early", status);
            return facts;
        }
        name[std::min<DWORD>(length, sizeof(name) - 1)] = '\0';
        UniqueRegKey service;
        if (os().RegOpenKeyExA(services.get(), name, 0, KEY_READ, service.put()) != 0) continue;
        ServiceFacts item;
        item.name = name;
        item.key = Hklm(kServices) + "\\" + name;
        DWORD type = REG_NONE;
        std::string bytes;
        if (QueryValue(service.get(), "Start", &type, &bytes) == 0 && type == REG_DWORD && bytes.size() == 4) {
            item.hasStart = true;
            std::memcpy(&item.start, bytes.data(), 4);
        }
        if (Lower(item.name) == "msiserver") {
            facts.installerPresent = true;
            facts.installerHasStart = item.hasStart;
            facts.installerStart = item.start;
            continue;
        }
        item.imagePath = QueryText(service.get(), "ImagePath");
        item.displayName = QueryText(service.get(), "DisplayName");
        item.imageFile = ResolveImage(item.imagePath, action);
        const bool family = NamesFamily(item.name) || NamesFamily(item.displayName) ||
                            (!item.imageFile.empty() && (BelowFolder(item.imageFile, action.m_szNetPCPath) ||
                                                         BelowFolder(item.imageFile, action.m_szSharedPath)));
        if (!family) continue;
        if (!item.imageFile.empty()) {
            // A 32-bit program would look into SysWOW64: drivers and
            // services of System32 are checked in the real one.
            std::unique_ptr<NativeFileSystem> native;
            if (action.m_Record.wow64 && IsBelowSystem32(action.m_szWindowsPath, item.imageFile))
                native.reset(new NativeFileSystem());
            item.imageFound = os().GetFileAttributesA(item.imageFile.c_str()) != INVALID_FILE_ATTRIBUTES;
        }
        facts.family.push_back(std::move(item));
    }
    facts.read = true;
    return facts;
}

InstallerCacheFacts ReadInstallerCache() {
    InstallerCacheFacts reading;
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
        package.source = std::string("HKLM\\") + kProductsKey + "\\" + name + "\\InstallProperties\\LocalPackage";
        package.name = QueryText(properties.get(), "DisplayName");
        const std::string publisher = QueryText(properties.get(), "Publisher");
        if (!NamesFamily(package.name) && !NamesFamily(publisher)) continue;
        if (package.name.empty()) package.name = name;
        package.package = QueryText(properties.get(), "LocalPackage");
        if (!package.package.empty()) {
            DWORD attributes = os().GetFileAttributesA(package.package.c_str());
            package.missing = Missing(attributes, attributes == INVALID_FILE_ATTRIBUTES ? os().GetLastError() : 0);
        }
        reading.family.push_back(std::move(package));
    }
    return reading;
}

}  // namespace findings
