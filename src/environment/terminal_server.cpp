#include "environment/terminal_server.h"

#include "platform/platform.h"
#include "trace/trace.h"

using namespace gx;

int CTerminalServer::GetPath_GetSystemWindowsDirectory(char* pszPath, UINT uSize) {
    HMODULE hmodK32 = os().GetModuleHandleA("KERNEL32.DLL");
    if (hmodK32 == nullptr) {
        Trace(TRACE_INFO, "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == hmodK32 GetLastError:%lu\n",
              static_cast<unsigned long>(os().GetLastError()));
        return 2;
    }
    FARPROC pfGetSystemWindowsDirectoryA = os().GetProcAddress(hmodK32, "GetSystemWindowsDirectoryA");
    if (pfGetSystemWindowsDirectoryA == nullptr) {
        Trace(TRACE_INFO,
              "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == pfGetSystemWindowsDirectoryA "
              "GetLastError:%lu\n",
              static_cast<unsigned long>(os().GetLastError()));
        return 2;
    }
    if (os().Call_GetSystemWindowsDirectoryA(pfGetSystemWindowsDirectoryA, pszPath, uSize) == 0) {
        Trace(TRACE_INFO,
              "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, pfGetSystemWindowsDirectoryA "
              "GetLastError:%lu\n",
              static_cast<unsigned long>(os().GetLastError()));
        return 2;
    }
    if (uSize > 0) pszPath[uSize - 1] = '\0';  // a cut or unwritten buffer is still traced safely
    Trace(TRACE_INFO, "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, uSize:%d pszPath:%s\n",
          static_cast<int>(uSize), pszPath);
    return 1;
}
