// The running process: its module, command line, clock, language,
// version and folders, waiting, and the calls made through addresses
// looked up at run time.
// One entry a call: X(result, name, (parameters), (arguments)).
#pragma once

#include <cstddef>

#include "platform/calls.h"
#include "platform/types.h"

#define GX_PROCESS_CALLS(X)                                                                        \
    X(DWORD, GetModuleFileNameA, (HMODULE module, char* buffer, DWORD size),                       \
      (module, buffer, size))                                                                      \
    X(const char*, GetCommandLineA, (), ())                                                        \
    X(void, GetLocalTime, (SYSTEMTIME* time), (time))                                              \
    X(DWORD, GetLastError, (), ())                                                                 \
    X(void, SetLastError, (DWORD code), (code))                                                    \
    X(LANGID, GetUserDefaultLangID, (), ())                                                        \
    /* Reads as many bytes as info->dwOSVersionInfoSize says (148 or 156). */                      \
    X(BOOL, GetVersionExA, (OSVERSIONINFOA* info), (info))                                         \
    X(UINT, GetWindowsDirectoryA, (char* buffer, UINT size), (buffer, size))                       \
    X(HMODULE, GetModuleHandleA, (const char* name), (name))                                       \
    X(FARPROC, GetProcAddress, (HMODULE module, const char* name), (module, name))                 \
    /* Calls through addresses that GetProcAddress returned for these names. */                    \
    X(HRESULT, Call_SHGetFolderPathA, (FARPROC proc, HWND owner, int csidl, HANDLE token,          \
      DWORD flags, char* path),                                                                    \
      (proc, owner, csidl, token, flags, path))                                                    \
    X(UINT, Call_GetSystemWindowsDirectoryA, (FARPROC proc, char* buffer, UINT size),              \
      (proc, buffer, size))                                                                        \
    X(void, Sleep, (DWORD milliseconds), (milliseconds))                                           \
    X(DWORD, GetTickCount, (), ())                                                                 \
    X(BOOL, GetComputerNameA, (char* buffer, DWORD* size), (buffer, size))                         \
    /* Through the address GetProcAddress returned for "IsWow64Process". */                        \
    X(BOOL, Call_IsWow64Process, (FARPROC proc, HANDLE process, BOOL* wow64),                      \
      (proc, process, wow64))                                                                      \
    X(void, GetSystemTimeAsFileTime, (FILETIME* time), (time))                                     \
    X(HANDLE, OpenMutexA, (DWORD access, BOOL inherit, const char* name), (access, inherit, name)) \
    X(UINT, GetSystemDirectoryA, (char* buffer, UINT size), (buffer, size))                        \
    X(HMODULE, LoadLibraryExA, (const char* path, HANDLE file, DWORD flags), (path, file, flags))  \
    X(BOOL, FreeLibrary, (HMODULE module), (module))                                               \
    /* Through addresses GetProcAddress returned for these names in rstrtmgr.dll. */               \
    X(DWORD, Call_RmStartSession, (FARPROC proc, DWORD* session, DWORD flags, WCHAR* key),         \
      (proc, session, flags, key))                                                                 \
    X(DWORD, Call_RmRegisterResources, (FARPROC proc, DWORD session, UINT fileCount,               \
      const WCHAR** files, UINT appCount, void* apps, UINT serviceCount, const WCHAR** services),  \
      (proc, session, fileCount, files, appCount, apps, serviceCount, services))                   \
    X(DWORD, Call_RmGetList, (FARPROC proc, DWORD session, UINT* needed, UINT* count,              \
      RM_PROCESS_INFO* infos, DWORD* rebootReasons),                                               \
      (proc, session, needed, count, infos, rebootReasons))                                        \
    X(DWORD, Call_RmEndSession, (FARPROC proc, DWORD session), (proc, session))                    \
    /* Through the addresses GetProcAddress returned for the WOW64 file-system */                 \
    /* redirection switch in kernel32 (absent before 64-bit Windows existed). */                   \
    X(BOOL, Call_Wow64DisableWow64FsRedirection, (FARPROC proc, void** oldValue),                  \
      (proc, oldValue))                                                                            \
    X(BOOL, Call_Wow64RevertWow64FsRedirection, (FARPROC proc, void* oldValue), (proc, oldValue))  \

namespace gx {

class ProcessApi {
public:
    virtual ~ProcessApi() = default;
    GX_PROCESS_CALLS(GX_DECLARE_CALL)
};

}  // namespace gx
