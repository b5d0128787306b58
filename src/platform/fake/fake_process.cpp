// The fake's process: module, command line, clock, version, folders, lookups.
#include <algorithm>
#include <cstdio>
#include <cstring>

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

}  // namespace gx
