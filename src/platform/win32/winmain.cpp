// Process entry of the Windows build: hands over to the framework.
#include <windows.h>

#include <cstdlib>
#include <exception>

int AfxWinMain();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }

#if defined(__GLIBCXX__)
// The runtime's default end for an escaped exception prints the exception's
// type, which needs its name demangler (a tenth of the exe), on a console
// this windowed program does not have. Ending at once is what remains of it.
void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
#endif
