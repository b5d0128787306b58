// Stands in for winmain.cpp in the product's link arrangement (main_app.cpp
// first, then the core and win32 libraries). It traces once and returns; the
// trace log then shows, beside every line, whether the application object
// still existed when the line was written. The closing line, written while
// static objects are destroyed, tells the order of static destruction and
// so, in reverse, of construction.
#include <string>

#include "framework/winapp.h"
#include "platform/platform.h"
#include "trace/trace.h"

namespace {

using namespace gx;

class Recorder final : public Platform {
public:
    explicit Recorder(Platform& real) : real_(real) {}

    bool AppendText(const char* path, const char* text, std::size_t length) override {
        std::string line = std::string(AfxGetApp() != nullptr ? "alive\t" : "gone\t") + std::string(text, length);
        return real_.AppendText(path, line.c_str(), line.size());
    }

    DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) override { return real_.GetModuleFileNameA(module, buffer, size); }
    const char* GetCommandLineA() override { return real_.GetCommandLineA(); }
    void GetLocalTime(SYSTEMTIME* time) override { real_.GetLocalTime(time); }
    DWORD GetLastError() override { return real_.GetLastError(); }
    void SetLastError(DWORD code) override { real_.SetLastError(code); }
    LANGID GetUserDefaultLangID() override { return real_.GetUserDefaultLangID(); }
    BOOL GetVersionExA(OSVERSIONINFOA* info) override { return real_.GetVersionExA(info); }
    UINT GetWindowsDirectoryA(char* buffer, UINT size) override { return real_.GetWindowsDirectoryA(buffer, size); }
    HMODULE GetModuleHandleA(const char* name) override { return real_.GetModuleHandleA(name); }
    FARPROC GetProcAddress(HMODULE module, const char* name) override { return real_.GetProcAddress(module, name); }
    HRESULT Call_SHGetFolderPathA(FARPROC proc, HWND owner, int csidl, HANDLE token, DWORD flags, char* path) override { return real_.Call_SHGetFolderPathA(proc, owner, csidl, token, flags, path); }
    UINT Call_GetSystemWindowsDirectoryA(FARPROC proc, char* buffer, UINT size) override { return real_.Call_GetSystemWindowsDirectoryA(proc, buffer, size); }
    void Sleep(DWORD milliseconds) override { real_.Sleep(milliseconds); }
    DWORD GetFileAttributesA(const char* path) override { return real_.GetFileAttributesA(path); }
    BOOL CreateDirectoryA(const char* path, void* security) override { return real_.CreateDirectoryA(path, security); }
    BOOL RemoveDirectoryA(const char* path) override { return real_.RemoveDirectoryA(path); }
    BOOL DeleteFileA(const char* path) override { return real_.DeleteFileA(path); }
    HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) override { return real_.FindFirstFileA(pattern, data); }
    BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override { return real_.FindNextFileA(find, data); }
    BOOL FindClose(HANDLE find) override { return real_.FindClose(find); }
    HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD attributes, HANDLE tmpl) override { return real_.CreateFileA(path, access, share, security, disposition, attributes, tmpl); }
    BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped) override { return real_.WriteFile(file, data, size, written, overlapped); }
    BOOL CloseHandle(HANDLE handle) override { return real_.CloseHandle(handle); }
    void WriteStdout(const char* text) override { real_.WriteStdout(text); }
    int SHFileOperationA(SHFILEOPSTRUCTA* op) override { return real_.SHFileOperationA(op); }
    LONG SHDeleteKeyA(HKEY root, const char* subKey) override { return real_.SHDeleteKeyA(root, subKey); }
    LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access, HKEY* result) override { return real_.RegOpenKeyExA(root, subKey, options, access, result); }
    LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved, char* cls, DWORD options, REGSAM access, void* security, HKEY* result, DWORD* disposition) override { return real_.RegCreateKeyExA(root, subKey, reserved, cls, options, access, security, result, disposition); }
    LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) override { return real_.RegQueryValueExA(key, name, reserved, type, data, size); }
    LONG RegSaveKeyA(HKEY key, const char* file, void* security) override { return real_.RegSaveKeyA(key, file, security); }
    LONG RegRestoreKeyA(HKEY key, const char* file, DWORD flags) override { return real_.RegRestoreKeyA(key, file, flags); }
    LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved, char* cls, DWORD* classLength, FILETIME* lastWrite) override { return real_.RegEnumKeyExA(key, index, name, nameLength, reserved, cls, classLength, lastWrite); }
    LONG RegCloseKey(HKEY key) override { return real_.RegCloseKey(key); }
    HANDLE GetCurrentProcess() override { return real_.GetCurrentProcess(); }
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override { return real_.OpenProcessToken(process, access, token); }
    BOOL LookupPrivilegeValueA(const char* system, const char* name, LUID* luid) override { return real_.LookupPrivilegeValueA(system, name, luid); }
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length, TOKEN_PRIVILEGES* previous, DWORD* returnLength) override { return real_.AdjustTokenPrivileges(token, disableAll, state, length, previous, returnLength); }
    DWORD GetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID* owner, PSID* group, PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) override { return real_.GetSecurityInfo(object, objectType, info, owner, group, dacl, sacl, descriptor); }
    DWORD SetEntriesInAclA(UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl, PACL* newAcl) override { return real_.SetEntriesInAclA(count, entries, oldAcl, newAcl); }
    DWORD SetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID owner, PSID group, PACL dacl, PACL sacl) override { return real_.SetSecurityInfo(object, objectType, info, owner, group, dacl, sacl); }
    void* LocalFree(void* memory) override { return real_.LocalFree(memory); }
    HANDLE OpenEventLogA(const char* server, const char* source) override { return real_.OpenEventLogA(server, source); }
    BOOL BackupEventLogA(HANDLE log, const char* file) override { return real_.BackupEventLogA(log, file); }
    BOOL CloseEventLog(HANDLE log) override { return real_.CloseEventLog(log); }
    DWORD GetTickCount() override { return real_.GetTickCount(); }
    BOOL GetComputerNameA(char* buffer, DWORD* size) override { return real_.GetComputerNameA(buffer, size); }
    BOOL Call_IsWow64Process(FARPROC proc, HANDLE process, BOOL* wow64) override { return real_.Call_IsWow64Process(proc, process, wow64); }
    BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped) override { return real_.ReadFile(file, data, size, read, overlapped); }
    DWORD SetFilePointer(HANDLE file, LONG distance, LONG* high, DWORD method) override { return real_.SetFilePointer(file, distance, high, method); }
    BOOL GetFileAttributesExA(const char* path, int level, WIN32_FILE_ATTRIBUTE_DATA* data) override { return real_.GetFileAttributesExA(path, level, data); }
    BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) override { return real_.FileTimeToLocalFileTime(utc, local); }
    BOOL FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) override { return real_.FileTimeToDosDateTime(time, date, dosTime); }
    HFCI FCICreate(ERF* erf, PFNFCIFILEPLACED placed, PFNFCIALLOC alloc, PFNFCIFREE free, PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close, PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE temp, CCAB* ccab, void* pv) override { return real_.FCICreate(erf, placed, alloc, free, open, read, write, close, seek, remove, temp, ccab, pv); }
    BOOL FCIAddFile(HFCI fci, char* source, char* name, BOOL execute, PFNFCIGETNEXTCABINET next, PFNFCISTATUS status, PFNFCIGETOPENINFO info, TCOMP compression) override { return real_.FCIAddFile(fci, source, name, execute, next, status, info, compression); }
    BOOL FCIFlushCabinet(HFCI fci, BOOL next, PFNFCIGETNEXTCABINET nextCabinet, PFNFCISTATUS status) override { return real_.FCIFlushCabinet(fci, next, nextCabinet, status); }
    BOOL FCIDestroy(HFCI fci) override { return real_.FCIDestroy(fci); }
    void InitCommonControls() override { real_.InitCommonControls(); }
    INT_PTR DialogBoxParamA(HMODULE instance, int templateId, HWND owner, DLGPROC proc, LPARAM param) override { return real_.DialogBoxParamA(instance, templateId, owner, proc, param); }
    BOOL EndDialog(HWND dialog, INT_PTR result) override { return real_.EndDialog(dialog, result); }
    HWND GetDlgItem(HWND dialog, int id) override { return real_.GetDlgItem(dialog, id); }
    BOOL SetWindowTextA(HWND window, const char* text) override { return real_.SetWindowTextA(window, text); }
    int GetWindowTextA(HWND window, char* buffer, int size) override { return real_.GetWindowTextA(window, buffer, size); }
    int GetWindowTextLengthA(HWND window) override { return real_.GetWindowTextLengthA(window); }
    BOOL EnableWindow(HWND window, BOOL enable) override { return real_.EnableWindow(window, enable); }
    BOOL IsWindowEnabled(HWND window) override { return real_.IsWindowEnabled(window); }
    LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) override { return real_.SetWindowLongPtrA(window, index, value); }
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override { return real_.SendMessageA(window, message, wParam, lParam); }
    BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override { return real_.PostMessageA(window, message, wParam, lParam); }
    BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove) override { return real_.PeekMessageA(msg, window, first, last, remove); }
    BOOL TranslateMessage(const MSG* msg) override { return real_.TranslateMessage(msg); }
    LRESULT DispatchMessageA(const MSG* msg) override { return real_.DispatchMessageA(msg); }
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override { return real_.MessageBoxA(owner, text, caption, type); }
    BOOL MessageBeep(UINT type) override { return real_.MessageBeep(type); }
    HICON LoadIconA(HMODULE instance, int resourceId) override { return real_.LoadIconA(instance, resourceId); }
    BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) override { return real_.GetOpenFileNameA(ofn); }
    BOOL IsIconic(HWND window) override { return real_.IsIconic(window); }
    BOOL GetClientRect(HWND window, RECT* rect) override { return real_.GetClientRect(window, rect); }
    int GetSystemMetrics(int index) override { return real_.GetSystemMetrics(index); }
    HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override { return real_.BeginPaint(window, paint); }
    BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) override { return real_.EndPaint(window, paint); }
    BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override { return real_.DrawIcon(dc, x, y, icon); }

private:
    Platform& real_;
};

}  // namespace

// The product's entry point, declared without <windows.h>, whose types clash
// with the boundary's.
extern "C" int __stdcall WinMain(void*, void*, char*, int) {
    // Installed for good: the closing line comes after WinMain returned.
    static Recorder* recorder = new Recorder(*DefaultPlatform());
    new ScopedPlatform(*recorder);
    Trace(TRACE_INFO, "order probe");
    return 0;
}
