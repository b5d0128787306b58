// Process entry of the Windows build: hands over to the framework.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "platform/win32/system_library.h"

int AfxWinMain();

namespace {
// Before every other static constructor: nothing may load a library by name
// from the executable's or the current folder.
struct LibrarySearch {
    LibrarySearch() { gx::win32::NarrowLibrarySearch(); }
} librarySearch __attribute__((init_priority(101)));
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }

#if defined(__GLIBCXX__)
// The runtime's default end for an escaped exception prints the exception's
// type, which needs its name demangler (a tenth of the exe), on a console
// this windowed program does not have. Ending at once is what remains of it.
void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
#endif
