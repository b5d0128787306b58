// Shared by the real boundary's area files, which alone include <windows.h>.
#pragma once

#include "platform/platform.h"

namespace gx {

// The boundary's types mirror the Win32 ones bit for bit; the area files
// convert between them.
template <typename To, typename From>
To as(From value) {
    return reinterpret_cast<To>(value);
}

// One real instance of each area, never destroyed.
ProcessApi& Win32ProcessApi();
FilesApi& Win32FilesApi();
RegistryApi& Win32RegistryApi();
SecurityApi& Win32SecurityApi();
EventLogApi& Win32EventLogApi();
CabinetApi& Win32CabinetApi();
UiApi& Win32UiApi();

}  // namespace gx
