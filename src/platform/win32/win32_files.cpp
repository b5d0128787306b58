// The real boundary for files, folders, the standard output and the shell's
// file operations: each call forwards to the Win32 call of its name.
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdio>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_support.h"

static_assert(sizeof(::WIN32_FIND_DATAA) == sizeof(gx::WIN32_FIND_DATAA), "find record");
static_assert(sizeof(::WIN32_FILE_ATTRIBUTE_DATA) == sizeof(gx::WIN32_FILE_ATTRIBUTE_DATA), "file data");

namespace gx {
namespace {

class Win32Files final : public FilesApi {
public:
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
        static auto operation = win32::ShellLibrary().Find<decltype(&::SHFileOperationA)>("SHFileOperationA");
        if (operation == nullptr) return static_cast<int>(win32::ShellLibrary().Error());
        int result = operation(&real);
        op->fAnyOperationsAborted = real.fAnyOperationsAborted;
        return result;
    }
    BOOL GetDiskFreeSpaceExA(const char* directory, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                             ULARGE_INTEGER* totalFree) override {
        return ::GetDiskFreeSpaceExA(directory, as<::PULARGE_INTEGER>(freeToCaller), as<::PULARGE_INTEGER>(total),
                                     as<::PULARGE_INTEGER>(totalFree));
    }
};

}  // namespace

FilesApi& Win32FilesApi() {
    static Win32Files* const instance = new Win32Files();
    return *instance;
}

}  // namespace gx
