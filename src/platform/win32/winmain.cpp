// Process entry of the Windows build: hands over to the framework.
#include <windows.h>

int AfxWinMain();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
