// The real boundary for the process, its clock, language, version and folders:
// each call forwards to the Win32 call of its name.
#include <windows.h>
#include <restartmanager.h>

#include <cstddef>

#include "platform/win32/win32_support.h"

static_assert(sizeof(::OSVERSIONINFOEXA) == sizeof(gx::OSVERSIONINFOEXA), "version record");
static_assert(sizeof(::SYSTEMTIME) == sizeof(gx::SYSTEMTIME), "time record");

static_assert(sizeof(::RM_PROCESS_INFO) == sizeof(gx::RM_PROCESS_INFO) &&
                  offsetof(::RM_PROCESS_INFO, strServiceShortName) ==
                      offsetof(gx::RM_PROCESS_INFO, strServiceShortName) &&
                  offsetof(::RM_PROCESS_INFO, bRestartable) == offsetof(gx::RM_PROCESS_INFO, bRestartable),
              "restart manager record");
static_assert(sizeof(::WCHAR) == sizeof(gx::WCHAR), "wide character");

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
    void GetSystemTimeAsFileTime(FILETIME* time) override {
        ::GetSystemTimeAsFileTime(as<::FILETIME*>(time));
    }
    HANDLE OpenMutexA(DWORD access, BOOL inherit, const char* name) override {
        return ::OpenMutexA(access, inherit, name);
    }
    UINT GetSystemDirectoryA(char* buffer, UINT size) override { return ::GetSystemDirectoryA(buffer, size); }
    HMODULE LoadLibraryExA(const char* path, HANDLE file, DWORD flags) override {
        return as<HMODULE>(::LoadLibraryExA(path, file, flags));
    }
    BOOL FreeLibrary(HMODULE module) override { return ::FreeLibrary(as<::HMODULE>(module)); }
    DWORD Call_RmStartSession(FARPROC proc, DWORD* session, DWORD flags, WCHAR* key) override {
        using Fn = ::DWORD(WINAPI*)(::DWORD*, ::DWORD, ::WCHAR*);
        return as<Fn>(proc)(as<::DWORD*>(session), flags, as<::WCHAR*>(key));
    }
    DWORD Call_RmRegisterResources(FARPROC proc, DWORD session, UINT fileCount, const WCHAR** files, UINT appCount,
                                   void* apps, UINT serviceCount, const WCHAR** services) override {
        using Fn = ::DWORD(WINAPI*)(::DWORD, ::UINT, ::LPCWSTR*, ::UINT, ::RM_UNIQUE_PROCESS*, ::UINT, ::LPCWSTR*);
        return as<Fn>(proc)(session, fileCount, as<::LPCWSTR*>(files), appCount, as<::RM_UNIQUE_PROCESS*>(apps),
                            serviceCount, as<::LPCWSTR*>(services));
    }
    DWORD Call_RmGetList(FARPROC proc, DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO* infos,
                         DWORD* rebootReasons) override {
        using Fn = ::DWORD(WINAPI*)(::DWORD, ::UINT*, ::UINT*, ::RM_PROCESS_INFO*, ::LPDWORD);
        return as<Fn>(proc)(session, as<::UINT*>(needed), as<::UINT*>(count), as<::RM_PROCESS_INFO*>(infos),
                            as<::LPDWORD>(rebootReasons));
    }
    DWORD Call_RmEndSession(FARPROC proc, DWORD session) override {
        using Fn = ::DWORD(WINAPI*)(::DWORD);
        return as<Fn>(proc)(session);
    }
    BOOL Call_Wow64DisableWow64FsRedirection(FARPROC proc, void** oldValue) override {
        using Fn = ::BOOL(WINAPI*)(::PVOID*);
        return as<Fn>(proc)(oldValue);
    }
    BOOL Call_Wow64RevertWow64FsRedirection(FARPROC proc, void* oldValue) override {
        using Fn = ::BOOL(WINAPI*)(::PVOID);
        return as<Fn>(proc)(oldValue);
    }
};

}  // namespace

ProcessApi& Win32ProcessApi() {
    static Win32Process* const instance = new Win32Process();
    return *instance;
}

}  // namespace gx
