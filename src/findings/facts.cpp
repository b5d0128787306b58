#include "findings/facts.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "environment/action.h"
#include "environment/wow64.h"
#include "files/file_table.h"
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
// Failed copies asked about: the Restart Manager costs a session each.
constexpr std::size_t kCopiesAsked = 20;

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kServicing[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing";
const char kRebootRequired[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired";
const char kUpdateExeVolatile[] = "SOFTWARE\\Microsoft\\Updates\\UpdateExeVolatile";
const char kComputerName[] = "SYSTEM\\CurrentControlSet\\Control\\ComputerName";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services";

std::string Error(const char* what, long code) { return std::string(what) + " (error " + std::to_string(code) + ")"; }

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

void ReadInstallerBusy(Facts& facts) {
    HANDLE mutex = os().OpenMutexA(SYNCHRONIZE, FALSE, "Global\\_MSIExecute");
    if (mutex != nullptr) {
        os().CloseHandle(mutex);
        facts.installerBusy = Tri::Yes;
        return;
    }
    const DWORD error = os().GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
        facts.installerBusy = Tri::No;
    } else if (error == ERROR_ACCESS_DENIED) {
        facts.installerBusy = Tri::Yes;  // it exists; we may only not open it
    } else {
        facts.installerBusyReason = Error("the installer's mutex cannot be looked up", static_cast<long>(error));
    }
}

// Reads a C string at `offset` of a record, never past `end`.
bool RecordText(const char* record, DWORD offset, DWORD end, std::string* text, DWORD* next) {
    if (offset >= end) return false;
    const void* zero = std::memchr(record + offset, '\0', end - offset);
    if (zero == nullptr) return false;
    const DWORD length = static_cast<DWORD>(static_cast<const char*>(zero) - (record + offset));
    text->assign(record + offset, length);
    *next = offset + length + 1;
    return true;
}

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

ServicesFacts ReadServices(const CAction& action) {
    ServicesFacts facts;
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

void AddDrive(std::vector<DriveFacts>& drives, const std::string& path, const char* why) {
    if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' || path[2] != '\\')
        return;
    std::string root = path.substr(0, 3);
    root[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    const bool system = std::strcmp(why, "system drive") == 0;
    for (DriveFacts& drive : drives)
        if (drive.root == root) {
            drive.why += std::string(", ") + why;
            drive.systemDrive = drive.systemDrive || system;
            return;
        }
    DriveFacts drive;
    drive.root = root;
    drive.why = why;
    drive.systemDrive = system;
    ULARGE_INTEGER freeToCaller = {}, total = {}, totalFree = {};
    if (os().GetDiskFreeSpaceExA(root.c_str(), &freeToCaller, &total, &totalFree)) {
        drive.read = true;
        drive.freeBytes = freeToCaller.QuadPart;
        drive.totalBytes = total.QuadPart;
    } else {
        drive.error = os().GetLastError();
    }
    drives.push_back(drive);
}

void ReadElevation(Facts& facts) {
    UniqueToken token;
    if (!os().OpenProcessToken(os().GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        facts.elevationReason = Error("the process token cannot be opened", static_cast<long>(os().GetLastError()));
        return;
    }
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (os().GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size)) {
        facts.elevated = elevation.TokenIsElevated != 0 ? Tri::Yes : Tri::No;
        return;
    }
    const DWORD error = os().GetLastError();
    facts.elevationReason = error == ERROR_INVALID_PARAMETER
                                ? std::string("this Windows does not tell (before Vista)")
                                : Error("the token's elevation cannot be read", static_cast<long>(error));
}

// rstrtmgr.dll by its full path in the system folder, never by bare name:
// the program runs with administrator rights.
class RestartManager {
public:
    RestartManager() {
        char folder[MAX_PATH] = {};
        const UINT length = os().GetSystemDirectoryA(folder, sizeof(folder));
        if (length == 0 || length >= sizeof(folder)) {
            reason_ = "the system folder is not known";
            return;
        }
        const std::string path = std::string(folder, length) + "\\rstrtmgr.dll";
        library_.reset(os().LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        if (!library_) {
            reason_ = Error("the Restart Manager is not available (Windows before Vista)",
                            static_cast<long>(os().GetLastError()));
            return;
        }
        start_ = os().GetProcAddress(library_.get(), "RmStartSession");
        register_ = os().GetProcAddress(library_.get(), "RmRegisterResources");
        list_ = os().GetProcAddress(library_.get(), "RmGetList");
        end_ = os().GetProcAddress(library_.get(), "RmEndSession");
        if (start_ == nullptr || register_ == nullptr || list_ == nullptr || end_ == nullptr)
            reason_ = "the Restart Manager lacks a function";
    }

    // Who holds `file`; false with the reason when it cannot tell.
    bool Holders(const std::string& file, std::vector<Holder>* holders, std::string* reason) {
        if (!reason_.empty()) {
            *reason = reason_;
            return false;
        }
        DWORD session = 0;
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        DWORD status = os().Call_RmStartSession(start_, &session, 0, key);
        if (status != 0) {
            *reason = Error("no Restart Manager session", static_cast<long>(status));
            return false;
        }
        const std::u16string wide = Cp1252ToUtf16(file);
        const WCHAR* files[1] = {wide.c_str()};
        status = os().Call_RmRegisterResources(register_, session, 1, files, 0, nullptr, 0, nullptr);
        std::vector<RM_PROCESS_INFO> infos(4);
        for (int attempt = 0; status == 0 && attempt < 3; ++attempt) {
            UINT needed = 0;
            UINT count = static_cast<UINT>(infos.size());
            DWORD reasons = 0;
            status = os().Call_RmGetList(list_, session, &needed, &count, infos.data(), &reasons);
            if (status == static_cast<DWORD>(ERROR_MORE_DATA) && needed <= 1000) {
                infos.resize(needed + 2);  // the list may grow between the calls
                status = 0;
                continue;
            }
            if (status != 0) break;
            for (UINT i = 0; i < count && i < infos.size(); ++i)
                holders->push_back({infos[i].Process.dwProcessId, Utf16ToCp1252(infos[i].strAppName, 256)});
            os().Call_RmEndSession(end_, session);
            return true;
        }
        os().Call_RmEndSession(end_, session);
        *reason = Error("the Restart Manager did not answer", static_cast<long>(status));
        return false;
    }

private:
    UniqueLibrary library_;
    FARPROC start_ = nullptr, register_ = nullptr, list_ = nullptr, end_ = nullptr;
    std::string reason_;
};

void ReadFailedCopies(const CAction& action, Facts& facts) {
    const RunRecord& record = action.m_Record;
    std::vector<FailedCopy> failed;
    for (int i = 0; i < kFileTableSize && i < static_cast<int>(record.rows.size()); ++i) {
        if (record.rows[i].outcome != ItemOutcome::Failed) continue;
        FailedCopy copy;
        copy.row = i + 1;
        copy.source = ComposeCollectedFilePaths(action, FileTable[i]).source;
        copy.code = record.rows[i].code;
        // A file listed in both groups fails twice: ask once.
        bool seen = false;
        for (const FailedCopy& other : failed) seen = seen || Lower(other.source) == Lower(copy.source);
        if (!seen && !copy.source.empty()) failed.push_back(std::move(copy));
    }
    if (failed.empty()) return;
    RestartManager manager;
    for (std::size_t i = 0; i < failed.size(); ++i) {
        if (i < kCopiesAsked) failed[i].asked = manager.Holders(failed[i].source, &failed[i].holders, &failed[i].askReason);
        else failed[i].askReason = "not asked: too many failed copies";
    }
    facts.failedCopies = std::move(failed);
}

DWORD SecondsNow() {
    FILETIME now = {};
    os().GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const std::uint64_t seconds = ticks / 10000000ull;
    return seconds > 11644473600ull ? static_cast<DWORD>(seconds - 11644473600ull) : 0;
}

}  // namespace

std::string CivilTimeText(long long secondsSince1970) {
    if (secondsSince1970 < 0) return std::string();
    const long long days = secondsSince1970 / 86400;
    const long long rest = secondsSince1970 % 86400;
    // Civil date from days since 1970 (proleptic Gregorian).
    const long long z = days + 719468;
    const long long era = z / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof(text), "%04lld-%02u-%02u %02lld:%02lld:%02lld", year, month, day, rest / 3600,
                  rest / 60 % 60, rest % 60);
    return text;
}

std::string UtcText(DWORD secondsSince1970) {
    return CivilTimeText(static_cast<long long>(secondsSince1970)) + " UTC";
}

bool EventOfInterest(const std::string& source, DWORD id) {
    const std::string lower = Lower(source);
    if (lower == "msiinstaller")
        return id == 1022 || id == 1023 || id == 1024 || id == 1033 || id == 1034 || id == 1035 ||
               (id >= 11000 && id < 12000);
    if (lower == "service control manager") {
        switch (id) {
        case 7000: case 7001: case 7009: case 7011: case 7023: case 7024: case 7026:
        case 7031: case 7034: case 7038: case 7041: return true;
        default: return false;
        }
    }
    return (lower == "application error" && id == 1000) || (lower == "application hang" && id == 1002) ||
           (lower == ".net runtime" && id == 1026) || (lower == "windows error reporting" && id == 1001);
}

std::string AgeText(DWORD then, DWORD now) {
    const DWORD age = now > then ? now - then : 0;
    if (age < 3600) return "minutes ago";
    if (age < 48 * 3600) return std::to_string(age / 3600) + (age < 2 * 3600 ? " hour ago" : " hours ago");
    return std::to_string(age / 86400) + " days ago";
}

DWORD SecondsOf(const FILETIME& time) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const std::uint64_t seconds = ticks / 10000000ull;
    return seconds > 11644473600ull ? static_cast<DWORD>(seconds - 11644473600ull) : 0;
}

namespace {

// One record of a buffer: the records a rule looks at are kept, a damaged
// one is counted and skipped. False when it is older than the window.
bool TakeRecord(const char* record, const EVENTLOGRECORD& head, DWORD oldest, EventLogFacts& facts) {
    ++facts.scanned;
    if (facts.oldest == 0 || head.TimeGenerated < facts.oldest) facts.oldest = head.TimeGenerated;
    if (head.TimeGenerated < oldest) return false;
    const DWORD end = head.Length - sizeof(DWORD);
    EventRecord item;
    DWORD next = 0;
    if (!RecordText(record, sizeof(head), end, &item.source, &next)) {
        ++facts.damaged;
        return true;
    }
    item.id = head.EventID & 0xFFFF;
    if (!EventOfInterest(item.source, item.id)) return true;
    item.number = head.RecordNumber;
    item.time = head.TimeGenerated;
    DWORD offset = head.StringOffset;
    for (WORD n = 0; n < head.NumStrings; ++n) {
        std::string text;
        if (!RecordText(record, offset, end, &text, &offset)) {
            ++facts.damaged;
            return true;
        }
        if (text.size() > kEventTextKept) text.resize(kEventTextKept);
        item.strings.push_back(std::move(text));
    }
    facts.records.push_back(std::move(item));
    return true;
}

}  // namespace

EventLogFacts ReadEventLog(const char* name, DWORD now) {
    EventLogFacts facts;
    facts.name = name;
    UniqueEventLog log(os().OpenEventLogA(nullptr, name));
    if (!log) {
        facts.reason = Error((std::string("the ") + name + " event log cannot be opened").c_str(),
                             static_cast<long>(os().GetLastError()));
        return facts;
    }
    const DWORD oldest = now > kEventDays * 86400 ? now - kEventDays * 86400 : 0;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0, needed = 0;
        if (!os().ReadEventLogA(log.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, buffer.data(),
                                static_cast<DWORD>(buffer.size()), &read, &needed)) {
            const DWORD error = os().GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            // One record larger than the buffer (at most 512 KB on Windows).
            if (error == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size() && needed <= 1024 * 1024) {
                buffer.resize(needed);
                continue;
            }
            facts.reason = Error((std::string("the ") + name + " event log cannot be read").c_str(),
                                 static_cast<long>(error));
            return facts;
        }
        read = std::min<DWORD>(read, static_cast<DWORD>(buffer.size()));
        DWORD at = 0;
        while (at + sizeof(EVENTLOGRECORD) <= read) {
            EVENTLOGRECORD head;
            std::memcpy(&head, buffer.data() + at, sizeof(head));
            if (head.Length < sizeof(head) + sizeof(DWORD) || head.Length > read - at) {
                // No length to step over it: the rest of this buffer is lost,
                // the next read goes on after it.
                ++facts.damaged;
                break;
            }
            const char* record = buffer.data() + at;
            at += head.Length;
            if (!TakeRecord(record, head, oldest, facts)) {
                facts.read = true;
                return facts;
            }
            if (facts.scanned >= kEventRecordLimit) {
                facts.limited = true;
                facts.read = true;
                return facts;
            }
        }
        if (read == 0) break;
    }
    facts.read = true;
    return facts;
}

Facts ReadFacts(const CAction& action) {
    Facts facts;
    facts.now = SecondsNow();
    facts.pendingRestart = ReadPendingRestart();
    ReadInstallerBusy(facts);
    facts.application = ReadEventLog("Application", facts.now);
    facts.system = ReadEventLog("System", facts.now);
    facts.services = ReadServices(action);
    AddDrive(facts.drives, action.m_szSystemDrive, "system drive");
    AddDrive(facts.drives, action.m_szNetPCPath, "product installation path");
    AddDrive(facts.drives, action.m_szSharedPath, "product shared path");
    ReadElevation(facts);
    ReadFailedCopies(action, facts);
    return facts;
}

}  // namespace findings
