// The real boundary: every operation forwards to the Win32 call of its name.
// Only this folder includes <windows.h>.
#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <fci.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

static_assert(sizeof(::DWORD) == sizeof(gx::DWORD), "DWORD width");
static_assert(sizeof(::LONG) == sizeof(gx::LONG), "LONG width");
static_assert(sizeof(::OSVERSIONINFOEXA) == sizeof(gx::OSVERSIONINFOEXA), "version record");
static_assert(sizeof(::WIN32_FIND_DATAA) == sizeof(gx::WIN32_FIND_DATAA), "find record");
static_assert(sizeof(::SYSTEMTIME) == sizeof(gx::SYSTEMTIME), "time record");
static_assert(sizeof(::TOKEN_PRIVILEGES) == sizeof(gx::TOKEN_PRIVILEGES), "privilege record");
static_assert(sizeof(::LUID) == sizeof(gx::LUID), "LUID");
static_assert(sizeof(::MSG) == sizeof(gx::MSG) && offsetof(::MSG, time) == offsetof(gx::MSG, time) &&
                  offsetof(::MSG, pt) == offsetof(gx::MSG, pt),
              "message record");
static_assert(sizeof(::PAINTSTRUCT) == sizeof(gx::PAINTSTRUCT) &&
                  offsetof(::PAINTSTRUCT, rcPaint) == offsetof(gx::PAINTSTRUCT, rcPaint) &&
                  offsetof(::PAINTSTRUCT, rgbReserved) == offsetof(gx::PAINTSTRUCT, rgbReserved),
              "paint record");
static_assert(sizeof(::WIN32_FILE_ATTRIBUTE_DATA) == sizeof(gx::WIN32_FILE_ATTRIBUTE_DATA), "file data");
static_assert(sizeof(::CCAB) == sizeof(gx::CCAB), "cabinet record");
static_assert(offsetof(::CCAB, szCabPath) == offsetof(gx::CCAB, szCabPath), "cabinet record layout");
static_assert(sizeof(::ERF) == sizeof(gx::ERF), "cabinet error record");

namespace gx {
namespace {

template <typename To, typename From>
To as(From value) {
    return reinterpret_cast<To>(value);
}

HINSTANCE Instance(HMODULE module) {
    return module != nullptr ? as<HINSTANCE>(module) : ::GetModuleHandleA(nullptr);
}

// Dialog procedures of the boundary take gx types; a thunk of the real
// signature forwards to them. The pair lives while the dialog runs.
struct DialogBinding {
    DLGPROC proc;
    LPARAM param;
};

INT_PTR CALLBACK DialogThunk(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    DialogBinding* binding = nullptr;
    if (message == WM_INITDIALOG) {
        binding = reinterpret_cast<DialogBinding*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
        return binding->proc(as<HWND>(hwnd), message, static_cast<WPARAM>(wParam), binding->param);
    }
    binding = reinterpret_cast<DialogBinding*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (binding == nullptr) return FALSE;
    return binding->proc(as<HWND>(hwnd), message, static_cast<WPARAM>(wParam),
                         static_cast<LPARAM>(lParam));
}

class Win32Platform final : public Platform {
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

    DWORD GetFileAttributesA(const char* path) override { return ::GetFileAttributesA(path); }
    BOOL CreateDirectoryA(const char* path, void* security) override {
        return ::CreateDirectoryA(path, static_cast<LPSECURITY_ATTRIBUTES>(security));
    }
    BOOL RemoveDirectoryA(const char* path) override { return ::RemoveDirectoryA(path); }
    BOOL DeleteFileA(const char* path) override { return ::DeleteFileA(path); }
    HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) override {
        return ::FindFirstFileA(pattern, as<::WIN32_FIND_DATAA*>(data));
    }
    BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override {
        return ::FindNextFileA(find, as<::WIN32_FIND_DATAA*>(data));
    }
    BOOL FindClose(HANDLE find) override { return ::FindClose(find); }
    HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security,
                       DWORD disposition, DWORD attributes, HANDLE tmpl) override {
        return ::CreateFileA(path, access, share, static_cast<LPSECURITY_ATTRIBUTES>(security),
                             disposition, attributes, tmpl);
    }
    BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written,
                   void* overlapped) override {
        return ::WriteFile(file, data, size, as<::DWORD*>(written),
                           static_cast<LPOVERLAPPED>(overlapped));
    }
    BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
    BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped) override {
        return ::ReadFile(file, data, size, as<::DWORD*>(read), static_cast<LPOVERLAPPED>(overlapped));
    }
    DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) override {
        return ::SetFilePointer(file, distance, as<::LONG*>(distanceHigh), method);
    }
    BOOL GetFileAttributesExA(const char* path, int infoLevel, WIN32_FILE_ATTRIBUTE_DATA* data) override {
        return ::GetFileAttributesExA(path, static_cast<::GET_FILEEX_INFO_LEVELS>(infoLevel), data);
    }
    BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) override {
        return ::FileTimeToLocalFileTime(as<const ::FILETIME*>(utc), as<::FILETIME*>(local));
    }
    BOOL FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) override {
        return ::FileTimeToDosDateTime(as<const ::FILETIME*>(time), date, dosTime);
    }
    bool AppendText(const char* path, const char* text, std::size_t length) override {
        std::FILE* file = std::fopen(path, "a+");
        if (file == nullptr) return false;
        std::fwrite(text, 1, length, file);
        std::fclose(file);
        return true;
    }
    void WriteStdout(const char* text) override {
        std::fputs(text, stdout);
        std::fflush(stdout);
    }

    int SHFileOperationA(SHFILEOPSTRUCTA* op) override {
        ::SHFILEOPSTRUCTA real = {};
        real.hwnd = as<::HWND>(op->hwnd);
        real.wFunc = op->wFunc;
        real.pFrom = op->pFrom;
        real.pTo = op->pTo;
        real.fFlags = op->fFlags;
        real.hNameMappings = op->hNameMappings;
        real.lpszProgressTitle = op->lpszProgressTitle;
        int result = ::SHFileOperationA(&real);
        op->fAnyOperationsAborted = real.fAnyOperationsAborted;
        return result;
    }
    LONG SHDeleteKeyA(HKEY root, const char* subKey) override {
        return static_cast<LONG>(::SHDeleteKeyA(as<::HKEY>(root), subKey));
    }

    LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access,
                       HKEY* result) override {
        return ::RegOpenKeyExA(as<::HKEY>(root), subKey, options, access, as<::HKEY*>(result));
    }
    LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved, char* cls,
                         DWORD options, REGSAM access, void* security, HKEY* result,
                         DWORD* disposition) override {
        return ::RegCreateKeyExA(as<::HKEY>(root), subKey, reserved, cls, options, access,
                                 static_cast<LPSECURITY_ATTRIBUTES>(security),
                                 as<::HKEY*>(result), as<::DWORD*>(disposition));
    }
    LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type,
                          BYTE* data, DWORD* size) override {
        return ::RegQueryValueExA(as<::HKEY>(key), name, as<::DWORD*>(reserved),
                                  as<::DWORD*>(type), data, as<::DWORD*>(size));
    }
    LONG RegSaveKeyA(HKEY key, const char* file, void* security) override {
        return ::RegSaveKeyA(as<::HKEY>(key), file, static_cast<LPSECURITY_ATTRIBUTES>(security));
    }
    LONG RegRestoreKeyA(HKEY key, const char* file, DWORD flags) override {
        return ::RegRestoreKeyA(as<::HKEY>(key), file, flags);
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                       char* cls, DWORD* classLength, FILETIME* lastWrite) override {
        return ::RegEnumKeyExA(as<::HKEY>(key), index, name, as<::DWORD*>(nameLength),
                               as<::DWORD*>(reserved), cls, as<::DWORD*>(classLength),
                               as<::FILETIME*>(lastWrite));
    }
    LONG RegCloseKey(HKEY key) override { return ::RegCloseKey(as<::HKEY>(key)); }

    HANDLE GetCurrentProcess() override { return ::GetCurrentProcess(); }
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override {
        return ::OpenProcessToken(process, access, token);
    }
    BOOL LookupPrivilegeValueA(const char* system, const char* name, LUID* luid) override {
        return ::LookupPrivilegeValueA(system, name, as<::LUID*>(luid));
    }
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,
                               DWORD length, TOKEN_PRIVILEGES* previous,
                               DWORD* returnLength) override {
        return ::AdjustTokenPrivileges(token, disableAll, as<::PTOKEN_PRIVILEGES>(state), length,
                                       as<::PTOKEN_PRIVILEGES>(previous),
                                       as<::PDWORD>(returnLength));
    }
    DWORD GetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID* owner, PSID* group,
                          PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) override {
        return ::GetSecurityInfo(object, static_cast<::SE_OBJECT_TYPE>(objectType), info,
                                 as<::PSID*>(owner), as<::PSID*>(group), as<::PACL*>(dacl),
                                 as<::PACL*>(sacl), as<::PSECURITY_DESCRIPTOR*>(descriptor));
    }
    DWORD SetEntriesInAclA(UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl,
                           PACL* newAcl) override {
        // Converted one record at a time: the program passes one.
        ::EXPLICIT_ACCESS_A real[4] = {};
        if (count > 4) return ERROR_INVALID_PARAMETER;
        for (UINT i = 0; i < count; ++i) {
            real[i].grfAccessPermissions = entries[i].grfAccessPermissions;
            real[i].grfAccessMode = static_cast<::ACCESS_MODE>(entries[i].grfAccessMode);
            real[i].grfInheritance = entries[i].grfInheritance;
            real[i].Trustee.pMultipleTrustee = nullptr;
            real[i].Trustee.MultipleTrusteeOperation =
                static_cast<::MULTIPLE_TRUSTEE_OPERATION>(entries[i].Trustee.MultipleTrusteeOperation);
            real[i].Trustee.TrusteeForm = static_cast<::TRUSTEE_FORM>(entries[i].Trustee.TrusteeForm);
            real[i].Trustee.TrusteeType = static_cast<::TRUSTEE_TYPE>(entries[i].Trustee.TrusteeType);
            real[i].Trustee.ptstrName = entries[i].Trustee.ptstrName;
        }
        return ::SetEntriesInAclA(count, real, as<::PACL>(oldAcl), as<::PACL*>(newAcl));
    }
    DWORD SetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID owner, PSID group,
                          PACL dacl, PACL sacl) override {
        return ::SetSecurityInfo(object, static_cast<::SE_OBJECT_TYPE>(objectType), info,
                                 as<::PSID>(owner), as<::PSID>(group), as<::PACL>(dacl),
                                 as<::PACL>(sacl));
    }
    void* LocalFree(void* memory) override { return ::LocalFree(memory); }

    HFCI FCICreate(ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
                   PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close,
                   PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile, CCAB* ccab,
                   void* pv) override {
        return as<HFCI>(::FCICreate(as<::PERF>(erf), as<::PFNFCIFILEPLACED>(filePlaced),
                                    as<::PFNFCIALLOC>(alloc), as<::PFNFCIFREE>(free),
                                    as<::PFNFCIOPEN>(open), as<::PFNFCIREAD>(read),
                                    as<::PFNFCIWRITE>(write), as<::PFNFCICLOSE>(close),
                                    as<::PFNFCISEEK>(seek), as<::PFNFCIDELETE>(remove),
                                    as<::PFNFCIGETTEMPFILE>(tempFile), as<::PCCAB>(ccab), pv));
    }
    BOOL FCIAddFile(HFCI fci, char* sourceFile, char* nameInCabinet, BOOL execute,
                    PFNFCIGETNEXTCABINET nextCabinet, PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo,
                    TCOMP compression) override {
        return ::FCIAddFile(as<::HFCI>(fci), sourceFile, nameInCabinet, execute,
                            as<::PFNFCIGETNEXTCABINET>(nextCabinet), as<::PFNFCISTATUS>(status),
                            as<::PFNFCIGETOPENINFO>(openInfo), compression);
    }
    BOOL FCIFlushCabinet(HFCI fci, BOOL getNextCabinet, PFNFCIGETNEXTCABINET nextCabinet,
                         PFNFCISTATUS status) override {
        return ::FCIFlushCabinet(as<::HFCI>(fci), getNextCabinet, as<::PFNFCIGETNEXTCABINET>(nextCabinet),
                                 as<::PFNFCISTATUS>(status));
    }
    BOOL FCIDestroy(HFCI fci) override { return ::FCIDestroy(as<::HFCI>(fci)); }

    HANDLE OpenEventLogA(const char* server, const char* source) override {
        return ::OpenEventLogA(server, source);
    }
    BOOL BackupEventLogA(HANDLE log, const char* file) override {
        return ::BackupEventLogA(log, file);
    }
    BOOL CloseEventLog(HANDLE log) override { return ::CloseEventLog(log); }

    void InitCommonControls() override { ::InitCommonControls(); }
    INT_PTR DialogBoxParamA(HMODULE instance, int templateId, HWND owner, DLGPROC proc,
                            LPARAM param) override {
        DialogBinding binding{proc, param};
        return ::DialogBoxParamA(Instance(instance), MAKEINTRESOURCEA(templateId),
                                 as<::HWND>(owner), DialogThunk,
                                 reinterpret_cast<::LPARAM>(&binding));
    }
    BOOL EndDialog(HWND dialog, INT_PTR result) override {
        return ::EndDialog(as<::HWND>(dialog), result);
    }
    HWND GetDlgItem(HWND dialog, int id) override {
        return as<HWND>(::GetDlgItem(as<::HWND>(dialog), id));
    }
    BOOL SetWindowTextA(HWND window, const char* text) override {
        return ::SetWindowTextA(as<::HWND>(window), text);
    }
    int GetWindowTextA(HWND window, char* buffer, int size) override {
        return ::GetWindowTextA(as<::HWND>(window), buffer, size);
    }
    int GetWindowTextLengthA(HWND window) override {
        return ::GetWindowTextLengthA(as<::HWND>(window));
    }
    BOOL EnableWindow(HWND window, BOOL enable) override {
        return ::EnableWindow(as<::HWND>(window), enable);
    }
    BOOL IsWindowEnabled(HWND window) override { return ::IsWindowEnabled(as<::HWND>(window)); }
    LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) override {
        return static_cast<LONG_PTR>(
            ::SetWindowLongPtrA(as<::HWND>(window), index, static_cast<::LONG_PTR>(value)));
    }
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        return ::SendMessageA(as<::HWND>(window), message, wParam, lParam);
    }
    BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        return ::PostMessageA(as<::HWND>(window), message, wParam, lParam);
    }
    BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove) override {
        return ::PeekMessageA(as<::MSG*>(msg), as<::HWND>(window), first, last, remove);
    }
    BOOL TranslateMessage(const MSG* msg) override { return ::TranslateMessage(as<const ::MSG*>(msg)); }
    LRESULT DispatchMessageA(const MSG* msg) override { return ::DispatchMessageA(as<const ::MSG*>(msg)); }
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override {
        return ::MessageBoxA(as<::HWND>(owner), text, caption, type);
    }
    BOOL MessageBeep(UINT type) override { return ::MessageBeep(type); }
    HICON LoadIconA(HMODULE instance, int resourceId) override {
        return as<HICON>(::LoadIconA(Instance(instance), MAKEINTRESOURCEA(resourceId)));
    }
    BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) override {
        ::OPENFILENAMEA real = {};
        real.lStructSize = sizeof(real);
        real.hwndOwner = as<::HWND>(ofn->hwndOwner);
        real.lpstrFilter = ofn->lpstrFilter;
        real.lpstrFile = ofn->lpstrFile;
        real.nMaxFile = ofn->nMaxFile;
        real.lpstrTitle = ofn->lpstrTitle;
        real.Flags = ofn->Flags;
        real.lpstrDefExt = ofn->lpstrDefExt;
        return ::GetOpenFileNameA(&real);
    }
    BOOL IsIconic(HWND window) override { return ::IsIconic(as<::HWND>(window)); }
    BOOL GetClientRect(HWND window, RECT* rect) override {
        return ::GetClientRect(as<::HWND>(window), as<::RECT*>(rect));
    }
    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }
    HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override {
        return as<HDC>(::BeginPaint(as<::HWND>(window), as<::PAINTSTRUCT*>(paint)));
    }
    BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) override {
        return ::EndPaint(as<::HWND>(window), as<const ::PAINTSTRUCT*>(paint));
    }
    BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override {
        return ::DrawIcon(as<::HDC>(dc), x, y, as<::HICON>(icon));
    }
};

}  // namespace

Platform* DefaultPlatform() {
    // Never destroyed: the trace log writes its last line during static
    // destruction and still needs the boundary then.
    static Win32Platform* const instance = new Win32Platform();
    return instance;
}

}  // namespace gx
