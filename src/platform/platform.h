// The operating-system boundary: one operation per Win32 call the program
// makes, named after it, with its arguments and results (error codes,
// HRESULTs, INVALID_FILE_ATTRIBUTES, the last-error value).
//
// platform/win32 forwards to the real calls; platform/fake is a small
// Windows for tests. The program reaches the one installed instance through
// gx::os().
#pragma once

#include <cstddef>
#include <string>

#include "platform/types.h"

namespace gx {

class Platform {
public:
    virtual ~Platform() = default;

    // ---- process, time, language, version --------------------------------
    virtual DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) = 0;
    virtual const char* GetCommandLineA() = 0;
    virtual void GetLocalTime(SYSTEMTIME* time) = 0;
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD code) = 0;
    virtual LANGID GetUserDefaultLangID() = 0;
    // Reads as many bytes as info->dwOSVersionInfoSize says (148 or 156).
    virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;
    virtual UINT GetWindowsDirectoryA(char* buffer, UINT size) = 0;
    virtual HMODULE GetModuleHandleA(const char* name) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, const char* name) = 0;
    // Calls through addresses that GetProcAddress returned for these names.
    virtual HRESULT Call_SHGetFolderPathA(FARPROC proc, HWND owner, int csidl, HANDLE token,
                                          DWORD flags, char* path) = 0;
    virtual UINT Call_GetSystemWindowsDirectoryA(FARPROC proc, char* buffer, UINT size) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual DWORD GetTickCount() = 0;
    virtual BOOL GetComputerNameA(char* buffer, DWORD* size) = 0;
    // Through the address GetProcAddress returned for "IsWow64Process".
    virtual BOOL Call_IsWow64Process(FARPROC proc, HANDLE process, BOOL* wow64) = 0;

    // ---- files -------------------------------------------------------------
    virtual DWORD GetFileAttributesA(const char* path) = 0;
    virtual BOOL CreateDirectoryA(const char* path, void* security) = 0;
    virtual BOOL RemoveDirectoryA(const char* path) = 0;
    virtual BOOL DeleteFileA(const char* path) = 0;
    virtual HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) = 0;
    virtual BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) = 0;
    virtual BOOL FindClose(HANDLE find) = 0;
    virtual HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security,
                               DWORD disposition, DWORD attributes, HANDLE tmpl) = 0;
    virtual BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written,
                           void* overlapped) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped) = 0;
    virtual DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) = 0;
    virtual BOOL GetFileAttributesExA(const char* path, int infoLevel,
                                      WIN32_FILE_ATTRIBUTE_DATA* data) = 0;
    virtual BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) = 0;
    virtual BOOL FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) = 0;
    // The C runtime's fopen(path, "a+") in text mode, one fwrite, fclose:
    // every "\n" is stored as CR LF. False when the file cannot be opened.
    virtual bool AppendText(const char* path, const char* text, std::size_t length) = 0;
    // printf to the process's standard output.
    virtual void WriteStdout(const char* text) = 0;

    // ---- shell -------------------------------------------------------------
    virtual int SHFileOperationA(SHFILEOPSTRUCTA* op) = 0;
    virtual LONG SHDeleteKeyA(HKEY root, const char* subKey) = 0;

    // ---- registry ----------------------------------------------------------
    virtual LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access,
                               HKEY* result) = 0;
    virtual LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved, char* cls,
                                 DWORD options, REGSAM access, void* security, HKEY* result,
                                 DWORD* disposition) = 0;
    virtual LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type,
                                  BYTE* data, DWORD* size) = 0;
    virtual LONG RegSaveKeyA(HKEY key, const char* file, void* security) = 0;
    virtual LONG RegRestoreKeyA(HKEY key, const char* file, DWORD flags) = 0;
    virtual LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength,
                               DWORD* reserved, char* cls, DWORD* classLength,
                               FILETIME* lastWrite) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;

    // ---- tokens, privileges, security --------------------------------------
    virtual HANDLE GetCurrentProcess() = 0;
    virtual BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) = 0;
    virtual BOOL LookupPrivilegeValueA(const char* system, const char* name, LUID* luid) = 0;
    virtual BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,
                                       DWORD length, TOKEN_PRIVILEGES* previous,
                                       DWORD* returnLength) = 0;
    virtual DWORD GetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID* owner,
                                  PSID* group, PACL* dacl, PACL* sacl,
                                  PSECURITY_DESCRIPTOR* descriptor) = 0;
    virtual DWORD SetEntriesInAclA(UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl,
                                   PACL* newAcl) = 0;
    virtual DWORD SetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID owner,
                                  PSID group, PACL dacl, PACL sacl) = 0;
    virtual void* LocalFree(void* memory) = 0;

    // ---- event log ---------------------------------------------------------
    virtual HANDLE OpenEventLogA(const char* server, const char* source) = 0;
    virtual BOOL BackupEventLogA(HANDLE log, const char* file) = 0;
    virtual BOOL CloseEventLog(HANDLE log) = 0;

    // ---- cabinets (cabinet.dll) ---------------------------------------------
    // The library does its file work through the callbacks it is given.
    virtual HFCI FCICreate(ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
                           PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close,
                           PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile,
                           CCAB* ccab, void* pv) = 0;
    virtual BOOL FCIAddFile(HFCI fci, char* sourceFile, char* nameInCabinet, BOOL execute,
                            PFNFCIGETNEXTCABINET nextCabinet, PFNFCISTATUS status,
                            PFNFCIGETOPENINFO openInfo, TCOMP compression) = 0;
    virtual BOOL FCIFlushCabinet(HFCI fci, BOOL getNextCabinet, PFNFCIGETNEXTCABINET nextCabinet,
                                 PFNFCISTATUS status) = 0;
    virtual BOOL FCIDestroy(HFCI fci) = 0;

    // ---- windows, dialogs, messages ----------------------------------------
    virtual void InitCommonControls() = 0;
    virtual INT_PTR DialogBoxParamA(HMODULE instance, int templateId, HWND owner,
                                    DLGPROC proc, LPARAM param) = 0;
    virtual BOOL EndDialog(HWND dialog, INT_PTR result) = 0;
    virtual HWND GetDlgItem(HWND dialog, int id) = 0;
    virtual BOOL SetWindowTextA(HWND window, const char* text) = 0;
    virtual int GetWindowTextA(HWND window, char* buffer, int size) = 0;
    virtual int GetWindowTextLengthA(HWND window) = 0;
    virtual BOOL EnableWindow(HWND window, BOOL enable) = 0;
    virtual BOOL IsWindowEnabled(HWND window) = 0;
    // Only DWLP_MSGRESULT: the result of a message a dialog procedure handled.
    virtual LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) = 0;
    virtual LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove) = 0;
    virtual BOOL TranslateMessage(const MSG* msg) = 0;
    virtual LRESULT DispatchMessageA(const MSG* msg) = 0;
    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) = 0;
    virtual BOOL MessageBeep(UINT type) = 0;
    virtual HICON LoadIconA(HMODULE instance, int resourceId) = 0;
    virtual BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) = 0;
    virtual BOOL IsIconic(HWND window) = 0;
    virtual BOOL GetClientRect(HWND window, RECT* rect) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual HDC BeginPaint(HWND window, PAINTSTRUCT* paint) = 0;
    virtual BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) = 0;
    virtual BOOL DrawIcon(HDC dc, int x, int y, HICON icon) = 0;
};

// The installed instance: the one a test installed, else the build's default
// (the real adapter in Windows builds, none on other hosts).
Platform& os();
bool HasPlatform();

// The running executable's full path (GetModuleFileNameA, at most 260
// characters), always terminated. *cut tells that the platform gave no path
// or cut it at the limit: it may then name a parent folder.
std::string ModuleFileName(bool* cut);

// The build's default instance; null where there is none.
Platform* DefaultPlatform();

// Installs a platform for a scope (tests), restoring the previous one after.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

// Re-entrant lock for the one thread-shared resource, the trace log.
// Exists from static initialisation on, before any platform is installed,
// so it is not reached through os().
class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter();
    void Leave();

private:
    alignas(8) unsigned char storage_[64];
};

}  // namespace gx
