// Files and folders, text appended the C runtime's way, the standard
// output, and the shell's file operations.
// One entry a call: X(result, name, (parameters), (arguments)).
#pragma once

#include <cstddef>

#include "platform/calls.h"
#include "platform/types.h"

#define GX_FILES_CALLS(X)                                                                          \
    X(DWORD, GetFileAttributesA, (const char* path), (path))                                       \
    X(BOOL, CreateDirectoryA, (const char* path, void* security), (path, security))                \
    X(BOOL, RemoveDirectoryA, (const char* path), (path))                                          \
    X(BOOL, DeleteFileA, (const char* path), (path))                                               \
    X(HANDLE, FindFirstFileA, (const char* pattern, WIN32_FIND_DATAA* data), (pattern, data))      \
    X(BOOL, FindNextFileA, (HANDLE find, WIN32_FIND_DATAA* data), (find, data))                    \
    X(BOOL, FindClose, (HANDLE find), (find))                                                      \
    X(HANDLE, CreateFileA, (const char* path, DWORD access, DWORD share, void* security,           \
      DWORD disposition, DWORD attributes, HANDLE tmpl),                                           \
      (path, access, share, security, disposition, attributes, tmpl))                              \
    X(BOOL, WriteFile, (HANDLE file, const void* data, DWORD size, DWORD* written,                 \
      void* overlapped),                                                                           \
      (file, data, size, written, overlapped))                                                     \
    X(BOOL, CloseHandle, (HANDLE handle), (handle))                                                \
    X(BOOL, ReadFile, (HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped),        \
      (file, data, size, read, overlapped))                                                        \
    X(DWORD, SetFilePointer, (HANDLE file, LONG distance, LONG* distanceHigh, DWORD method),       \
      (file, distance, distanceHigh, method))                                                      \
    X(BOOL, GetFileAttributesExA, (const char* path, int infoLevel,                                \
      WIN32_FILE_ATTRIBUTE_DATA* data),                                                            \
      (path, infoLevel, data))                                                                     \
    X(BOOL, FileTimeToLocalFileTime, (const FILETIME* utc, FILETIME* local), (utc, local))         \
    X(BOOL, FileTimeToDosDateTime, (const FILETIME* time, WORD* date, WORD* dosTime),              \
      (time, date, dosTime))                                                                       \
    /* The C runtime's fopen(path, "a+") in text mode, one fwrite, fclose: */                      \
    /* every "\n" is stored as CR LF. False when the file cannot be opened. */                     \
    X(bool, AppendText, (const char* path, const char* text, std::size_t length),                  \
      (path, text, length))                                                                        \
    /* printf to the process's standard output. */                                                 \
    X(void, WriteStdout, (const char* text), (text))                                               \
    X(int, SHFileOperationA, (SHFILEOPSTRUCTA* op), (op))                                          \
    X(BOOL, GetDiskFreeSpaceExA, (const char* directory, ULARGE_INTEGER* freeToCaller,             \
      ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree),                                           \
      (directory, freeToCaller, total, totalFree))                                                 \

namespace gx {

class FilesApi {
public:
    virtual ~FilesApi() = default;
    GX_FILES_CALLS(GX_DECLARE_CALL)
};

}  // namespace gx
