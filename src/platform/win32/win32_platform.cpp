// The real boundary: the Win32 area objects behind one platform.
#include <windows.h>

#include "platform/forwarding.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_support.h"

static_assert(sizeof(::DWORD) == sizeof(gx::DWORD), "DWORD width");
static_assert(sizeof(::LONG) == sizeof(gx::LONG), "LONG width");

namespace gx {

Platform* DefaultPlatform() {
    // Never destroyed: the trace log writes its last line during static
    // destruction and still needs the boundary then.
    static Platform* const instance = [] {
        // The folder lookups find the shell's library through
        // GetModuleHandleA, as they did when it was imported.
        win32::ShellLibrary().Module();
        return new ForwardingPlatform(Win32ProcessApi(), Win32FilesApi(), Win32RegistryApi(),
                                      Win32SecurityApi(), Win32EventLogApi(), Win32CabinetApi(),
                                      Win32UiApi());
    }();
    return instance;
}

}  // namespace gx
