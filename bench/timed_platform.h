// A platform that times every boundary call it passes on: per call its
// count, its time in all, and its own time, less that of the boundary calls
// made inside it (a dialog's modal loop runs a whole collection inside one
// call). Two tallies: the whole run, and the span between the trace lines
// that bound the benchmark's timed part. For the benchmark only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace gx {
namespace bench {

// Every call of the boundary but AppendText (which also watches the trace
// for the span), as X(result, name, (parameters), (arguments)).
#define GX_BENCH_TIMED_CALLS(X) \
    X(DWORD, GetModuleFileNameA, (HMODULE module, char* buffer, DWORD size), (module, buffer, size)) \
    X(const char*, GetCommandLineA, (), ()) \
    X(void, GetLocalTime, (SYSTEMTIME* time), (time)) \
    X(DWORD, GetLastError, (), ()) \
    X(void, SetLastError, (DWORD code), (code)) \
    X(LANGID, GetUserDefaultLangID, (), ()) \
    X(BOOL, GetVersionExA, (OSVERSIONINFOA* info), (info)) \
    X(UINT, GetWindowsDirectoryA, (char* buffer, UINT size), (buffer, size)) \
    X(HMODULE, GetModuleHandleA, (const char* name), (name)) \
    X(FARPROC, GetProcAddress, (HMODULE module, const char* name), (module, name)) \
    X(HRESULT, Call_SHGetFolderPathA, \
      (FARPROC proc, HWND owner, int csidl, HANDLE token, DWORD flags, char* path), \
      (proc, owner, csidl, token, flags, path)) \
    X(UINT, Call_GetSystemWindowsDirectoryA, (FARPROC proc, char* buffer, UINT size), (proc, buffer, size)) \
    X(void, Sleep, (DWORD milliseconds), (milliseconds)) \
    X(DWORD, GetTickCount, (), ()) \
    X(BOOL, GetComputerNameA, (char* buffer, DWORD* size), (buffer, size)) \
    X(BOOL, Call_IsWow64Process, (FARPROC proc, HANDLE process, BOOL* wow64), (proc, process, wow64)) \
    X(DWORD, GetFileAttributesA, (const char* path), (path)) \
    X(BOOL, CreateDirectoryA, (const char* path, void* security), (path, security)) \
    X(BOOL, RemoveDirectoryA, (const char* path), (path)) \
    X(BOOL, DeleteFileA, (const char* path), (path)) \
    X(HANDLE, FindFirstFileA, (const char* pattern, WIN32_FIND_DATAA* data), (pattern, data)) \
    X(BOOL, FindNextFileA, (HANDLE find, WIN32_FIND_DATAA* data), (find, data)) \
    X(BOOL, FindClose, (HANDLE find), (find)) \
    X(HANDLE, CreateFileA, \
      (const char* path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD attributes, \
       HANDLE tmpl), \
      (path, access, share, security, disposition, attributes, tmpl)) \
    X(BOOL, WriteFile, \
      (HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped), \
      (file, data, size, written, overlapped)) \
    X(BOOL, CloseHandle, (HANDLE handle), (handle)) \
    X(BOOL, ReadFile, \
      (HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped), \
      (file, data, size, read, overlapped)) \
    X(DWORD, SetFilePointer, \
      (HANDLE file, LONG distance, LONG* distanceHigh, DWORD method), \
      (file, distance, distanceHigh, method)) \
    X(BOOL, GetFileAttributesExA, \
      (const char* path, int infoLevel, WIN32_FILE_ATTRIBUTE_DATA* data), \
      (path, infoLevel, data)) \
    X(BOOL, FileTimeToLocalFileTime, (const FILETIME* utc, FILETIME* local), (utc, local)) \
    X(BOOL, FileTimeToDosDateTime, (const FILETIME* time, WORD* date, WORD* dosTime), (time, date, dosTime)) \
    X(void, WriteStdout, (const char* text), (text)) \
    X(int, SHFileOperationA, (SHFILEOPSTRUCTA* op), (op)) \
    X(LONG, SHDeleteKeyA, (HKEY root, const char* subKey), (root, subKey)) \
    X(LONG, RegOpenKeyExA, \
      (HKEY root, const char* subKey, DWORD options, REGSAM access, HKEY* result), \
      (root, subKey, options, access, result)) \
    X(LONG, RegCreateKeyExA, \
      (HKEY root, const char* subKey, DWORD reserved, char* cls, DWORD options, REGSAM access, void* security, \
       HKEY* result, DWORD* disposition), \
      (root, subKey, reserved, cls, options, access, security, result, disposition)) \
    X(LONG, RegQueryValueExA, \
      (HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size), \
      (key, name, reserved, type, data, size)) \
    X(LONG, RegSaveKeyA, (HKEY key, const char* file, void* security), (key, file, security)) \
    X(LONG, RegRestoreKeyA, (HKEY key, const char* file, DWORD flags), (key, file, flags)) \
    X(LONG, RegEnumKeyExA, \
      (HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved, char* cls, DWORD* classLength, \
       FILETIME* lastWrite), \
      (key, index, name, nameLength, reserved, cls, classLength, lastWrite)) \
    X(LONG, RegCloseKey, (HKEY key), (key)) \
    X(HANDLE, GetCurrentProcess, (), ()) \
    X(BOOL, OpenProcessToken, (HANDLE process, DWORD access, HANDLE* token), (process, access, token)) \
    X(BOOL, LookupPrivilegeValueA, (const char* system, const char* name, LUID* luid), (system, name, luid)) \
    X(BOOL, AdjustTokenPrivileges, \
      (HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length, TOKEN_PRIVILEGES* previous, \
       DWORD* returnLength), \
      (token, disableAll, state, length, previous, returnLength)) \
    X(DWORD, GetSecurityInfo, \
      (HANDLE object, int objectType, DWORD info, PSID* owner, PSID* group, PACL* dacl, PACL* sacl, \
       PSECURITY_DESCRIPTOR* descriptor), \
      (object, objectType, info, owner, group, dacl, sacl, descriptor)) \
    X(DWORD, SetEntriesInAclA, \
      (UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl, PACL* newAcl), \
      (count, entries, oldAcl, newAcl)) \
    X(DWORD, SetSecurityInfo, \
      (HANDLE object, int objectType, DWORD info, PSID owner, PSID group, PACL dacl, PACL sacl), \
      (object, objectType, info, owner, group, dacl, sacl)) \
    X(void*, LocalFree, (void* memory), (memory)) \
    X(HANDLE, OpenEventLogA, (const char* server, const char* source), (server, source)) \
    X(BOOL, BackupEventLogA, (HANDLE log, const char* file), (log, file)) \
    X(BOOL, CloseEventLog, (HANDLE log), (log)) \
    X(HFCI, FCICreate, \
      (ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free, PFNFCIOPEN open, \
       PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close, PFNFCISEEK seek, PFNFCIDELETE remove, \
       PFNFCIGETTEMPFILE tempFile, CCAB* ccab, void* pv), \
      (erf, filePlaced, alloc, free, open, read, write, close, seek, remove, tempFile, ccab, pv)) \
    X(BOOL, FCIAddFile, \
      (HFCI fci, char* sourceFile, char* nameInCabinet, BOOL execute, PFNFCIGETNEXTCABINET nextCabinet, \
       PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo, TCOMP compression), \
      (fci, sourceFile, nameInCabinet, execute, nextCabinet, status, openInfo, compression)) \
    X(BOOL, FCIFlushCabinet, \
      (HFCI fci, BOOL getNextCabinet, PFNFCIGETNEXTCABINET nextCabinet, PFNFCISTATUS status), \
      (fci, getNextCabinet, nextCabinet, status)) \
    X(BOOL, FCIDestroy, (HFCI fci), (fci)) \
    X(void, InitCommonControls, (), ()) \
    X(INT_PTR, DialogBoxParamA, \
      (HMODULE instance, int templateId, HWND owner, DLGPROC proc, LPARAM param), \
      (instance, templateId, owner, proc, param)) \
    X(BOOL, EndDialog, (HWND dialog, INT_PTR result), (dialog, result)) \
    X(HWND, GetDlgItem, (HWND dialog, int id), (dialog, id)) \
    X(BOOL, SetWindowTextA, (HWND window, const char* text), (window, text)) \
    X(int, GetWindowTextA, (HWND window, char* buffer, int size), (window, buffer, size)) \
    X(int, GetWindowTextLengthA, (HWND window), (window)) \
    X(BOOL, EnableWindow, (HWND window, BOOL enable), (window, enable)) \
    X(BOOL, IsWindowEnabled, (HWND window), (window)) \
    X(LONG_PTR, SetWindowLongPtrA, (HWND window, int index, LONG_PTR value), (window, index, value)) \
    X(LRESULT, SendMessageA, \
      (HWND window, UINT message, WPARAM wParam, LPARAM lParam), \
      (window, message, wParam, lParam)) \
    X(BOOL, PostMessageA, \
      (HWND window, UINT message, WPARAM wParam, LPARAM lParam), \
      (window, message, wParam, lParam)) \
    X(BOOL, PeekMessageA, \
      (MSG* msg, HWND window, UINT first, UINT last, UINT remove), \
      (msg, window, first, last, remove)) \
    X(BOOL, TranslateMessage, (const MSG* msg), (msg)) \
    X(LRESULT, DispatchMessageA, (const MSG* msg), (msg)) \
    X(int, MessageBoxA, \
      (HWND owner, const char* text, const char* caption, UINT type), \
      (owner, text, caption, type)) \
    X(BOOL, MessageBeep, (UINT type), (type)) \
    X(HICON, LoadIconA, (HMODULE instance, int resourceId), (instance, resourceId)) \
    X(BOOL, GetOpenFileNameA, (OPENFILENAMEA* ofn), (ofn)) \
    X(BOOL, IsIconic, (HWND window), (window)) \
    X(BOOL, GetClientRect, (HWND window, RECT* rect), (window, rect)) \
    X(int, GetSystemMetrics, (int index), (index)) \
    X(HDC, BeginPaint, (HWND window, PAINTSTRUCT* paint), (window, paint)) \
    X(BOOL, EndPaint, (HWND window, const PAINTSTRUCT* paint), (window, paint)) \
    X(BOOL, DrawIcon, (HDC dc, int x, int y, HICON icon), (dc, x, y, icon))

struct CallTime {
    long count = 0;
    double ms = 0;       // in all
    double own = 0;      // less the boundary calls made inside it
    double longest = 0;
};

class TimedPlatform : public Platform {
public:
    // The span runs from the trace line that contains spanFrom to the one
    // that contains spanTo.
    TimedPlatform(Platform& target, std::string spanFrom, std::string spanTo);

#define GX_BENCH_DECLARE(result, name, parameters, arguments) result name parameters override;
    GX_BENCH_TIMED_CALLS(GX_BENCH_DECLARE)
#undef GX_BENCH_DECLARE
    bool AppendText(const char* path, const char* text, std::size_t length) override;

    const std::map<std::string, CallTime>& Whole() const { return whole_; }
    const std::map<std::string, CallTime>& Span() const { return span_; }
    // One tally as text, the largest own time first, one call a line.
    static std::string Report(const std::map<std::string, CallTime>& calls);

private:
    class Scope;
    void Add(const char* name, double ms, double own);
    void NoteTraceLine(const char* text, std::size_t length);

    Platform& target_;
    std::string spanFrom_, spanTo_;
    enum class SpanState { Before, Inside, After } spanState_ = SpanState::Before;
    std::map<std::string, CallTime> whole_, span_;
    std::vector<double> inner_;  // per open call, the time of the calls inside it
};

}  // namespace bench
}  // namespace gx
