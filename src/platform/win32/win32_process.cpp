// The real boundary for the process, its clock, language, version and folders:
// each call forwards to the Win32 call of its name.
#include <windows.h>

#include <cstddef>

#include "platform/win32/win32_support.h"

static_assert(sizeof(::OSVERSIONINFOEXA) == sizeof(gx::OSVERSIONINFOEXA), "version record");
static_assert(sizeof(::SYSTEMTIME) == sizeof(gx::SYSTEMTIME), "time record");

namespace gx {
namespace {

class Win32Process final : public ProcessApi {
public:
    DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) override {
        return ::GetModuleFileNameA(as<::HMODULE>(module), buffer, size);
    }
    const char* GetCommandLineA() override { return ::GetCommandLineA(); }
    void GetLocalTime(SYSTEMTIME* time) override { ::GetLocalTime(as<::SYSTEMTIME*>(time)); }
    DWORD GetLastError() override { return ::GetLastError(); }
    void SetLastError(DWORD code) override { ::SetLastError(code); }
    LANGID GetUserDefaultLangID() override { return ::GetUserDefaultLangID(); }
    BOOL GetVersionExA(OSVERSIONINFOA* info) override {
        return ::GetVersionExA(as<::OSVERSIONINFOA*>(info));
    }
    UINT GetWindowsDirectoryA(char* buffer, UINT size) override {
        return ::GetWindowsDirectoryA(buffer, size);
    }
    HMODULE GetModuleHandleA(const char* name) override {
        return as<HMODULE>(::GetModuleHandleA(name));
    }
    FARPROC GetProcAddress(HMODULE module, const char* name) override {
        return as<FARPROC>(::GetProcAddress(as<::HMODULE>(module), name));
    }
    HRESULT Call_SHGetFolderPathA(FARPROC proc, HWND owner, int csidl, HANDLE token,
                                  DWORD flags, char* path) override {
        using Fn = ::HRESULT(WINAPI*)(::HWND, int, ::HANDLE, ::DWORD, LPSTR);
        return as<Fn>(proc)(as<::HWND>(owner), csidl, token, flags, path);
    }
    UINT Call_GetSystemWindowsDirectoryA(FARPROC proc, char* buffer, UINT size) override {
        using Fn = ::UINT(WINAPI*)(LPSTR, ::UINT);
        return as<Fn>(proc)(buffer, size);
    }
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
    DWORD GetTickCount() override { return ::GetTickCount(); }
    BOOL GetComputerNameA(char* buffer, DWORD* size) override {
        return ::GetComputerNameA(buffer, as<::DWORD*>(size));
    }
    BOOL Call_IsWow64Process(FARPROC proc, HANDLE process, BOOL* wow64) override {
        using Fn = ::BOOL(WINAPI*)(::HANDLE, ::PBOOL);
        return as<Fn>(proc)(process, as<::PBOOL>(wow64));
    }
};

}  // namespace

ProcessApi& Win32ProcessApi() {
    static Win32Process* const instance = new Win32Process();
    return *instance;
}

}  // namespace gx
