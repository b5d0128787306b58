// The fake's process: module, command line, clock, version, folders, lookups.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/calendar.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_text.h"

namespace gx {

FARPROC FakeRestartManagerProc(const std::string& name);
FARPROC FakeNtQueryKeyProc();
FARPROC FakeRegDeleteKeyExProc();

namespace {

// Copies text into a Win32-style buffer: the length without NUL on success,
// the needed size with NUL when the buffer is too small.
UINT CopyOut(const std::string& text, char* buffer, UINT size) {
    if (text.size() + 1 > size) return static_cast<UINT>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<UINT>(text.size());
}

// Fixed tokens for the two run-time lookups the program makes.
ProcAddress__* const kShGetFolderPath = reinterpret_cast<ProcAddress__*>(0x5A01);
ProcAddress__* const kGetSystemWindowsDirectory = reinterpret_cast<ProcAddress__*>(0x5A02);
ProcAddress__* const kIsWow64Process = reinterpret_cast<ProcAddress__*>(0x5A03);
ProcAddress__* const kDisableFsRedirection = reinterpret_cast<ProcAddress__*>(0x5A04);
ProcAddress__* const kRevertFsRedirection = reinterpret_cast<ProcAddress__*>(0x5A05);
// What Wow64DisableWow64FsRedirection hands back: the state before.
void* const kWasOn = reinterpret_cast<void*>(0x5B01);
void* const kWasOff = reinterpret_cast<void*>(0x5B02);
ProcAddress__* const kRmStartSession = reinterpret_cast<ProcAddress__*>(0x5C01);
ProcAddress__* const kRmRegisterResources = reinterpret_cast<ProcAddress__*>(0x5C02);
ProcAddress__* const kRmGetList = reinterpret_cast<ProcAddress__*>(0x5C03);
ProcAddress__* const kRmEndSession = reinterpret_cast<ProcAddress__*>(0x5C04);

std::string Narrow(const WCHAR* text) {
    std::string out;
    for (; text != nullptr && *text != 0; ++text) out += *text < 0x100 ? static_cast<char>(*text) : '?';
    return out;
}

}  // namespace

FakeProcess::FakeProcess(FakeCore& core) : FakeArea(core) {
    core.MayFail({FakeOp::GetVersionExA, FakeOp::GetWindowsDirectoryA, FakeOp::Call_SHGetFolderPathA,
                  FakeOp::Call_GetSystemWindowsDirectoryA, FakeOp::GetComputerNameA, FakeOp::OpenMutexA,
                  FakeOp::LoadLibraryExA, FakeOp::Call_RmStartSession, FakeOp::Call_RmRegisterResources,
                  FakeOp::Call_RmGetList});
    // Windows XP Professional SP2 unless a test says otherwise.
    version_.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    version_.dwMajorVersion = 5;
    version_.dwMinorVersion = 1;
    version_.dwBuildNumber = 2600;
    version_.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(version_.szCSDVersion, "Service Pack 2");
    version_.wServicePackMajor = 2;
    version_.wSuiteMask = VER_SUITE_SINGLEUSERTS;
    version_.wProductType = VER_NT_WORKSTATION;
    shellFolders_ = {
        {CSIDL_PROGRAM_FILES_COMMON, "C:\\Program Files\\Common Files"},
        {CSIDL_PROGRAM_FILES, "C:\\Program Files"},
        {CSIDL_COMMON_APPDATA, "C:\\Documents and Settings\\All Users\\Application Data"},
        {CSIDL_COMMON_DOCUMENTS, "C:\\Documents and Settings\\All Users\\Documents"},
        {CSIDL_LOCAL_APPDATA, "C:\\Documents and Settings\\user\\Local Settings\\Application Data"},
        {CSIDL_WINDOWS, "C:\\WINDOWS"},
    };
}


DWORD FakeProcess::GetModuleFileNameA(HMODULE, char* buffer, DWORD size) {
    Log(FakeOp::GetModuleFileNameA);
    if (size == 0) return 0;
    // Like Windows: a cut path fills the buffer and (on XP) is not terminated.
    std::size_t length = modulePath_.size();
    if (length >= size) {
        std::memcpy(buffer, modulePath_.data(), size);
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, modulePath_.c_str(), length + 1);
    return static_cast<DWORD>(length);
}

const char* FakeProcess::GetCommandLineA() {
    Log(FakeOp::GetCommandLineA);
    return commandLine_.c_str();
}

void FakeProcess::GetLocalTime(SYSTEMTIME* time) {
    Log(FakeOp::GetLocalTime);
    *time = clock_;
}

DWORD FakeProcess::GetLastError() {
    Log(FakeOp::GetLastError);
    return core_.LastError();
}
void FakeProcess::SetLastError(DWORD code) {
    Log(FakeOp::SetLastError, {std::to_string(code)});
    SetError(code);
}

LANGID FakeProcess::GetUserDefaultLangID() {
    Log(FakeOp::GetUserDefaultLangID);
    return langId_;
}

BOOL FakeProcess::GetVersionExA(OSVERSIONINFOA* info) {
    Log(FakeOp::GetVersionExA, {std::to_string(info->dwOSVersionInfoSize)});
    if (FailsNow(FakeOp::GetVersionExA, LastArgs())) return FALSE;
    DWORD size = info->dwOSVersionInfoSize;
    if (size == sizeof(OSVERSIONINFOA)) {
        std::memcpy(info, &version_, sizeof(OSVERSIONINFOA));
        info->dwOSVersionInfoSize = size;
        return TRUE;
    }
    if (size == sizeof(OSVERSIONINFOEXA)) {
        std::memcpy(info, &version_, sizeof(OSVERSIONINFOEXA));
        info->dwOSVersionInfoSize = size;
        return TRUE;
    }
    SetError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

UINT FakeProcess::GetWindowsDirectoryA(char* buffer, UINT size) {
    Log(FakeOp::GetWindowsDirectoryA);
    if (FailsNow(FakeOp::GetWindowsDirectoryA, LastArgs())) return 0;
    return CopyOut(windowsDir_, buffer, size);
}

HMODULE FakeProcess::GetModuleHandleA(const char* name) {
    std::string module = Lower(name != nullptr ? name : "");
    Log(FakeOp::GetModuleHandleA, {name != nullptr ? name : "(null)"});
    if (loadedModules_.count(module) == 0) {
        SetError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Any stable non-null value names the module.
    return reinterpret_cast<HMODULE>(const_cast<std::string*>(&*loadedModules_.find(module)));
}

FARPROC FakeProcess::GetProcAddress(HMODULE module, const char* name) {
    Log(FakeOp::GetProcAddress, {name});
    std::string moduleName;
    for (const std::string& loaded : loadedModules_)
        if (reinterpret_cast<HMODULE>(const_cast<std::string*>(&loaded)) == module) moduleName = loaded;
    std::string wanted = std::string(name);
    if (missingProcs_.count(moduleName + "!" + wanted) != 0) {
        SetError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (moduleName == "shell32.dll" && wanted == "SHGetFolderPathA") return kShGetFolderPath;
    if (moduleName == "kernel32.dll" && wanted == "GetSystemWindowsDirectoryA")
        return kGetSystemWindowsDirectory;
    if (moduleName == "kernel32.dll" && wanted == "IsWow64Process") return kIsWow64Process;
    if (moduleName == "kernel32.dll" && wanted == "Wow64DisableWow64FsRedirection") return kDisableFsRedirection;
    if (moduleName == "kernel32.dll" && wanted == "Wow64RevertWow64FsRedirection") return kRevertFsRedirection;
    if (moduleName == "ntdll.dll" && wanted == "NtQueryKey") return FakeNtQueryKeyProc();
    if (moduleName == "advapi32.dll" && wanted == "RegDeleteKeyExA") return FakeRegDeleteKeyExProc();
    if (moduleName == "rstrtmgr.dll")
        if (FARPROC proc = FakeRestartManagerProc(wanted)) return proc;
    SetError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

HRESULT FakeProcess::Call_SHGetFolderPathA(FARPROC proc, HWND owner, int csidl, HANDLE token,
                                            DWORD flags, char* path) {
    if (proc != kShGetFolderPath) Unexpected("Call_SHGetFolderPathA with a foreign address");
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%X", static_cast<unsigned>(csidl));
    Log(FakeOp::Call_SHGetFolderPathA, {hex, owner == nullptr ? "null" : "owner",
                             token == nullptr ? "null" : "token", std::to_string(flags)});
    DWORD code = 0;
    if (Injected(FakeOp::Call_SHGetFolderPathA, LastArgs(), &code)) {
        path[0] = '\0';
        return static_cast<HRESULT>(code);
    }
    auto folder = shellFolders_.find(csidl);
    if (folder == shellFolders_.end()) {
        path[0] = '\0';
        return static_cast<HRESULT>(0x80070002u);  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
    }
    // The shell writes at most MAX_PATH characters.
    std::snprintf(path, MAX_PATH, "%s", folder->second.c_str());
    return 0;
}

UINT FakeProcess::Call_GetSystemWindowsDirectoryA(FARPROC proc, char* buffer, UINT size) {
    if (proc != kGetSystemWindowsDirectory)
        Unexpected("Call_GetSystemWindowsDirectoryA with a foreign address");
    Log(FakeOp::Call_GetSystemWindowsDirectoryA);
    if (FailsNow(FakeOp::Call_GetSystemWindowsDirectoryA, LastArgs())) return 0;
    return CopyOut(systemWindowsDir_, buffer, size);
}

void FakeProcess::Sleep(DWORD milliseconds) {
    Log(FakeOp::Sleep, {std::to_string(milliseconds)});
    ++sleeps_;
    sleptMs_ += milliseconds;
    if (onSleep_) onSleep_();
    if (sleepUser_) sleepUser_();
}

DWORD FakeProcess::GetTickCount() {
    Log(FakeOp::GetTickCount);
    return tickCount_;
}

BOOL FakeProcess::GetComputerNameA(char* buffer, DWORD* size) {
    Log(FakeOp::GetComputerNameA, {std::to_string(*size)});
    if (FailsNow(FakeOp::GetComputerNameA, LastArgs())) return FALSE;
    if (computerName_.size() + 1 > *size) {
        *size = static_cast<DWORD>(computerName_.size() + 1);
        SetError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(buffer, computerName_.c_str(), computerName_.size() + 1);
    *size = static_cast<DWORD>(computerName_.size());
    return TRUE;
}

BOOL FakeProcess::Call_IsWow64Process(FARPROC proc, HANDLE, BOOL* wow64) {
    if (proc != kIsWow64Process) Unexpected("Call_IsWow64Process with a foreign address");
    Log(FakeOp::Call_IsWow64Process);
    *wow64 = isWow64_ ? TRUE : FALSE;
    return TRUE;
}

BOOL FakeProcess::Call_Wow64DisableWow64FsRedirection(FARPROC proc, void** oldValue) {
    if (proc != kDisableFsRedirection) Unexpected("Call_Wow64DisableWow64FsRedirection with a foreign address");
    Log(FakeOp::Call_Wow64DisableWow64FsRedirection);
    // 32-bit Windows has the function but nothing to switch.
    if (!isWow64_) {
        SetError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    *oldValue = fsRedirectionOff_ ? kWasOff : kWasOn;
    fsRedirectionOff_ = true;
    return TRUE;
}

BOOL FakeProcess::Call_Wow64RevertWow64FsRedirection(FARPROC proc, void* oldValue) {
    if (proc != kRevertFsRedirection) Unexpected("Call_Wow64RevertWow64FsRedirection with a foreign address");
    Log(FakeOp::Call_Wow64RevertWow64FsRedirection);
    if (!isWow64_ || (oldValue != kWasOn && oldValue != kWasOff)) {
        SetError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    fsRedirectionOff_ = oldValue == kWasOff;
    return TRUE;
}

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
