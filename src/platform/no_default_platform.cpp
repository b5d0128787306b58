#include "platform/platform.h"

namespace gx {

// Hosts without Win32 have no real platform: tests install the fake.
Platform* DefaultPlatform() { return nullptr; }

}  // namespace gx
