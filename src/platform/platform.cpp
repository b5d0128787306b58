#include "platform/platform.h"

#include <cstdlib>

namespace gx {

namespace {
Platform* g_installed = nullptr;
}

bool HasPlatform() { return g_installed != nullptr || DefaultPlatform() != nullptr; }

Platform& os() {
    if (g_installed != nullptr) return *g_installed;
    if (Platform* fallback = DefaultPlatform()) return *fallback;
    // Only a test that forgot to install its fake gets here.
    std::abort();
}

std::string ModuleFileName(bool* cut) {
    char path[261] = {};  // MAX_PATH and a NUL that older systems leave out
    DWORD length = os().GetModuleFileNameA(nullptr, path, 260);
    path[260] = '\0';
    *cut = length == 0 || length >= 260;
    return path;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(g_installed) {
    g_installed = &platform;
}

ScopedPlatform::~ScopedPlatform() { g_installed = previous_; }

}  // namespace gx
