#include "platform/win32/system_library.h"

#include <cstring>

namespace gx {
namespace win32 {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

void NarrowLibrarySearch() {
    // Both are looked up: Windows XP before SP1 lacks the first, everything
    // before Windows 8 (without its update) the second.
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    using SetDirectory = BOOL(WINAPI*)(LPCSTR);
    using SetDefaults = BOOL(WINAPI*)(DWORD);
    auto setDirectory =
        reinterpret_cast<SetDirectory>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryA")));
    auto setDefaults =
        reinterpret_cast<SetDefaults>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectory != nullptr) setDirectory("");
    if (setDefaults != nullptr) setDefaults(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool SystemLibraryPath(const char* fileName, char* path) {
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    const std::size_t name = std::strlen(fileName);
    if (length == 0 || length >= MAX_PATH || length + 1 + name + 1 > MAX_PATH) return false;
    if (path[length - 1] != '\\') path[length++] = '\\';
    std::memcpy(path + length, fileName, name + 1);
    return true;
}

HMODULE SystemLibrary::Module() {
    if (tried_) return module_;
    tried_ = true;
    char path[MAX_PATH];
    if (!SystemLibraryPath(fileName_, path)) {
        error_ = ERROR_FILENAME_EXCED_RANGE;
        return nullptr;
    }
    // The library's own dependencies are looked for in its folder first.
    module_ = ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module_ == nullptr) {
        error_ = ::GetLastError();
        if (error_ == 0) error_ = ERROR_MOD_NOT_FOUND;
    }
    return module_;
}

FARPROC SystemLibrary::Proc(const char* name) {
    HMODULE module = Module();
    if (module == nullptr) return nullptr;
    FARPROC proc = ::GetProcAddress(module, name);
    if (proc == nullptr) error_ = ERROR_PROC_NOT_FOUND;
    return proc;
}

SystemLibrary& ShellLibrary() {
    static SystemLibrary library("shell32.dll");
    return library;
}

}  // namespace win32
}  // namespace gx
