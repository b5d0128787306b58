// Libraries that Windows does not always take from the system folder are
// loaded by their full path there: the program runs elevated, and a file of
// the same name beside the executable or in the current folder must never be
// loaded in their place. Only this folder includes <windows.h>.
#pragma once

#include <windows.h>

namespace gx {
namespace win32 {

// Narrows the library search of the whole process to the system folder: no
// current folder, and where the platform can (Windows 8, Windows 7 with its
// update) none of the folders of the executable or of PATH for libraries that
// system code loads later by name. Call before anything loads a library.
void NarrowLibrarySearch();

// The library's full path in the system folder into `path` (MAX_PATH
// characters); false when the folder is unknown or the path does not fit.
bool SystemLibraryPath(const char* fileName, char* path);

// One library of the system folder, loaded on first use and kept for the
// process's life. Usage:
//   static SystemLibrary cabinet("cabinet.dll");
//   auto create = cabinet.Find<decltype(&::FCICreate)>("FCICreate");
class SystemLibrary {
public:
    explicit SystemLibrary(const char* fileName) : fileName_(fileName) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // Null when the library cannot be loaded; Error() tells why.
    HMODULE Module();

    // The function's address; null when the library or the name is missing
    // (Error() is then the load's error or ERROR_PROC_NOT_FOUND).
    FARPROC Proc(const char* name);
    template <typename Fn>
    Fn Find(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(Proc(name)));
    }

    // The last failure of Module() or Proc(); 0 when there was none.
    DWORD Error() const { return error_; }

private:
    const char* fileName_;
    HMODULE module_ = nullptr;
    bool tried_ = false;
    DWORD error_ = 0;
};

// The shell's library, loaded when the boundary's adapter is made.
SystemLibrary& ShellLibrary();

}  // namespace win32
}  // namespace gx
