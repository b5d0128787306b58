// The fake's live-system state that the findings read: event records, free
// disk space, token elevation, named mutexes and the Restart Manager.
#include <algorithm>
#include <cstring>

#include "platform/calendar.h"
#include "platform/fake/fake_event_log.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_security.h"
#include "platform/fake/fake_text.h"

namespace gx {

namespace {

ProcAddress__* const kRmStartSession = reinterpret_cast<ProcAddress__*>(0x5B01);
ProcAddress__* const kRmRegisterResources = reinterpret_cast<ProcAddress__*>(0x5B02);
ProcAddress__* const kRmGetList = reinterpret_cast<ProcAddress__*>(0x5B03);
ProcAddress__* const kRmEndSession = reinterpret_cast<ProcAddress__*>(0x5B04);

void Put32(std::string& bytes, std::size_t at, DWORD value) { std::memcpy(&bytes[at], &value, sizeof(value)); }

void Align4(std::string& bytes) {
    while (bytes.size() % 4 != 0) bytes += '\0';
}

// The record as ReadEventLogA hands it out: the fixed head, source and
// computer name, the strings, and the length again at the end.
std::string Serialise(const FakeEventRecord& record, DWORD number) {
    if (!record.raw.empty()) return record.raw;
    EVENTLOGRECORD head = {};
    std::string bytes(sizeof(head), '\0');
    bytes += record.source + '\0' + "GX-TEST" + '\0';
    Align4(bytes);
    head.StringOffset = static_cast<DWORD>(bytes.size());
    for (const std::string& text : record.strings) bytes += text + '\0';
    Align4(bytes);
    head.DataOffset = static_cast<DWORD>(bytes.size());
    head.UserSidOffset = head.DataOffset;
    head.Length = static_cast<DWORD>(bytes.size() + sizeof(DWORD));
    head.Reserved = 0x654c664c;  // "LfLe"
    head.RecordNumber = number;
    head.TimeGenerated = head.TimeWritten = record.timeGenerated;
    head.EventID = record.eventId;
    head.EventType = record.type;
    head.NumStrings = static_cast<WORD>(record.strings.size());
    std::memcpy(&bytes[0], &head, sizeof(head));
    bytes.resize(bytes.size() + sizeof(DWORD));
    Put32(bytes, bytes.size() - sizeof(DWORD), head.Length);
    return bytes;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Narrow(const WCHAR* text) {
    std::string out;
    for (; text != nullptr && *text != 0; ++text) out += *text < 0x100 ? static_cast<char>(*text) : '?';
    return out;
}

}  // namespace

FARPROC FakeRestartManagerProc(const std::string& name) {
    if (name == "RmStartSession") return kRmStartSession;
    if (name == "RmRegisterResources") return kRmRegisterResources;
    if (name == "RmGetList") return kRmGetList;
    if (name == "RmEndSession") return kRmEndSession;
    return nullptr;
}

// The fake's clock is UTC.
void FakeProcess::GetSystemTimeAsFileTime(FILETIME* time) {
    const SYSTEMTIME& clock = clock_;
    const std::uint64_t seconds = static_cast<std::uint64_t>(DaysFromCivil(clock.wYear, clock.wMonth, clock.wDay)) * 86400ull +
                                  clock.wHour * 3600ull + clock.wMinute * 60ull + clock.wSecond;
    const std::uint64_t ticks = (seconds + 11644473600ull) * 10000000ull + clock.wMilliseconds * 10000ull;
    time->dwLowDateTime = static_cast<DWORD>(ticks);
    time->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

void FakeFiles::SetDiskSpace(const std::string& root, std::uint64_t freeBytes, std::uint64_t totalBytes) {
    diskSpace_[Upper(root)] = {freeBytes, totalBytes};
}

BOOL FakeFiles::GetDiskFreeSpaceExA(const char* directory, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                                       ULARGE_INTEGER* totalFree) {
    const std::string path = directory != nullptr ? directory : "";
    Log(FakeOp::GetDiskFreeSpaceExA, {path});
    if (FailsNow(FakeOp::GetDiskFreeSpaceExA, LastArgs())) return FALSE;
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') {
        SetError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::pair<std::uint64_t, std::uint64_t> space = {100ull << 30, 200ull << 30};
    auto seeded = diskSpace_.find(Upper(path.substr(0, 3)));
    if (seeded != diskSpace_.end()) space = seeded->second;
    if (freeToCaller != nullptr) freeToCaller->QuadPart = space.first;
    if (total != nullptr) total->QuadPart = space.second;
    if (totalFree != nullptr) totalFree->QuadPart = space.first;
    return TRUE;
}

BOOL FakeEventLog::ReadEventLogA(HANDLE log, DWORD flags, DWORD offset, void* buffer, DWORD size, DWORD* read,
                                 DWORD* needed) {
    auto* name = static_cast<std::string*>(log);
    const bool known = handles_.count(name) != 0;
    Log(FakeOp::ReadEventLogA, {known ? *name : "?", std::to_string(flags), std::to_string(size)});
    *read = 0;
    *needed = 0;
    if (!known) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FailsNow(FakeOp::ReadEventLogA, LastArgs())) return FALSE;
    (void)offset;
    if (flags != (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ)) Unexpected("ReadEventLogA other than backwards");
    const std::vector<FakeEventRecord>& records = records_[*name];
    std::size_t& next = readNext_[log];
    if (next >= records.size()) {
        SetError(ERROR_HANDLE_EOF);
        return FALSE;
    }
    DWORD used = 0;
    while (next < records.size()) {
        const std::size_t index = records.size() - 1 - next;
        const std::string bytes = Serialise(records[index], static_cast<DWORD>(index + 1));
        if (used + bytes.size() > size) {
            if (used == 0) {
                *needed = static_cast<DWORD>(bytes.size());
                SetError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            break;
        }
        std::memcpy(static_cast<char*>(buffer) + used, bytes.data(), bytes.size());
        used += static_cast<DWORD>(bytes.size());
        ++next;
    }
    *read = used;
    return TRUE;
}

BOOL FakeSecurity::GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD length, DWORD* returnLength) {
    Log(FakeOp::GetTokenInformation, {std::to_string(infoClass), std::to_string(length)});
    if (token != &tokenTag_) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FailsNow(FakeOp::GetTokenInformation, LastArgs())) return FALSE;
    if (infoClass != TokenElevation || elevation_ < 0) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returnLength = sizeof(TOKEN_ELEVATION);
    if (length < sizeof(TOKEN_ELEVATION)) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    static_cast<TOKEN_ELEVATION*>(info)->TokenIsElevated = static_cast<DWORD>(elevation_);
    return TRUE;
}

HANDLE FakeProcess::OpenMutexA(DWORD access, BOOL, const char* name) {
    const std::string wanted = name != nullptr ? name : "";
    Log(FakeOp::OpenMutexA, {std::to_string(access), wanted});
    if (FailsNow(FakeOp::OpenMutexA, LastArgs())) return nullptr;
    if (mutexes_.count(wanted) == 0) {
        SetError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    auto* handle = new std::string(wanted);
    mutexHandles_.insert(handle);
    return handle;
}

bool FakeProcess::CloseMutex(HANDLE handle) {
    auto* name = static_cast<std::string*>(handle);
    if (mutexHandles_.erase(name) == 0) return false;
    delete name;
    return true;
}

std::string FakeProcess::OpenHandles() const {
    std::string text;
    for (const std::string* mutex : mutexHandles_) text += "mutex " + *mutex + "\n";
    if (!rmSessions_.empty()) text += std::to_string(rmSessions_.size()) + " Restart Manager session(s)\n";
    if (loadedModules_.count("rstrtmgr.dll") != 0) text += "library rstrtmgr.dll\n";
    return text;
}

void FakeProcess::AddFileHolder(const std::string& windowsPath, DWORD processId, const std::u16string& name) {
    fileHolders_[Upper(windowsPath)].push_back({processId, name});
}

UINT FakeProcess::GetSystemDirectoryA(char* buffer, UINT size) {
    Log(FakeOp::GetSystemDirectoryA, {std::to_string(size)});
    if (systemDir_.size() + 1 > size) return static_cast<UINT>(systemDir_.size() + 1);
    std::memcpy(buffer, systemDir_.c_str(), systemDir_.size() + 1);
    return static_cast<UINT>(systemDir_.size());
}

HMODULE FakeProcess::LoadLibraryExA(const char* path, HANDLE, DWORD flags) {
    const std::string wanted = path != nullptr ? path : "";
    Log(FakeOp::LoadLibraryExA, {wanted, std::to_string(flags)});
    if (FailsNow(FakeOp::LoadLibraryExA, LastArgs())) return nullptr;
    // Only the full path in the system folder finds a system library.
    if (!restartManager_ || Lower(wanted) != Lower(systemDir_ + "\\rstrtmgr.dll")) {
        SetError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    auto module = loadedModules_.insert("rstrtmgr.dll").first;
    return reinterpret_cast<HMODULE>(const_cast<std::string*>(&*module));
}

BOOL FakeProcess::FreeLibrary(HMODULE module) {
    Log(FakeOp::FreeLibrary);
    auto loaded = loadedModules_.find("rstrtmgr.dll");
    if (loaded == loadedModules_.end() || reinterpret_cast<HMODULE>(const_cast<std::string*>(&*loaded)) != module) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    loadedModules_.erase(loaded);
    return TRUE;
}

DWORD FakeProcess::Call_RmStartSession(FARPROC proc, DWORD* session, DWORD, WCHAR* key) {
    if (proc != kRmStartSession) Unexpected("Call_RmStartSession with a foreign address");
    Log(FakeOp::Call_RmStartSession);
    DWORD code = 0;
    if (Injected(FakeOp::Call_RmStartSession, LastArgs(), &code)) return code;
    *session = nextRmSession_++;
    rmSessions_[*session];
    for (int i = 0; i < CCH_RM_SESSION_KEY; ++i) key[i] = u'a';
    key[CCH_RM_SESSION_KEY] = 0;
    return ERROR_SUCCESS;
}

DWORD FakeProcess::Call_RmRegisterResources(FARPROC proc, DWORD session, UINT fileCount, const WCHAR** files,
                                             UINT, void*, UINT, const WCHAR**) {
    if (proc != kRmRegisterResources) Unexpected("Call_RmRegisterResources with a foreign address");
    std::vector<std::string> names;
    for (UINT i = 0; i < fileCount; ++i) names.push_back(Narrow(files[i]));
    Log(FakeOp::Call_RmRegisterResources, names);
    DWORD code = 0;
    if (Injected(FakeOp::Call_RmRegisterResources, LastArgs(), &code)) return code;
    auto found = rmSessions_.find(session);
    if (found == rmSessions_.end()) return ERROR_INVALID_HANDLE;
    for (const std::string& name : names) found->second.push_back(Upper(name));
    return ERROR_SUCCESS;
}

DWORD FakeProcess::Call_RmGetList(FARPROC proc, DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO* infos,
                                   DWORD* rebootReasons) {
    if (proc != kRmGetList) Unexpected("Call_RmGetList with a foreign address");
    Log(FakeOp::Call_RmGetList, {std::to_string(*count)});
    DWORD code = 0;
    if (Injected(FakeOp::Call_RmGetList, LastArgs(), &code)) return code;
    auto found = rmSessions_.find(session);
    if (found == rmSessions_.end()) return ERROR_INVALID_HANDLE;
    std::vector<Holder> holders;
    for (const std::string& file : found->second) {
        auto seeded = fileHolders_.find(file);
        if (seeded != fileHolders_.end()) holders.insert(holders.end(), seeded->second.begin(), seeded->second.end());
    }
    *rebootReasons = 0;
    *needed = static_cast<UINT>(holders.size());
    if (holders.size() > *count) {
        *count = 0;
        return ERROR_MORE_DATA;
    }
    for (std::size_t i = 0; i < holders.size(); ++i) {
        RM_PROCESS_INFO info = {};
        info.Process.dwProcessId = holders[i].processId;
        const std::size_t length = std::min<std::size_t>(holders[i].name.size(), 255);
        std::memcpy(info.strAppName, holders[i].name.data(), length * sizeof(WCHAR));
        infos[i] = info;
    }
    *count = static_cast<UINT>(holders.size());
    return ERROR_SUCCESS;
}

DWORD FakeProcess::Call_RmEndSession(FARPROC proc, DWORD session) {
    if (proc != kRmEndSession) Unexpected("Call_RmEndSession with a foreign address");
    Log(FakeOp::Call_RmEndSession);
    if (rmSessions_.erase(session) == 0) return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

}  // namespace gx
