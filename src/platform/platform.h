// The operating-system boundary: one operation per Win32 call the program
// makes, named after it, with its arguments and results (error codes,
// HRESULTs, INVALID_FILE_ATTRIBUTES, the last-error value).
//
// Each area (process.h, files.h, registry.h, security.h, event_log.h,
// cabinet.h, ui.h) lists its calls once. platform/win32 forwards them to the
// real calls; platform/fake is a small Windows for tests; forwarding.h passes
// them on to another instance. The program reaches the one installed instance through
// gx::os().
#pragma once

#include <cstddef>
#include <string>

#include "platform/cabinet.h"
#include "platform/event_log.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/security.h"
#include "platform/types.h"
#include "platform/ui.h"

// Every call of the boundary, area by area.
#define GX_PLATFORM_CALLS(X)                                                                       \
    GX_PROCESS_CALLS(X)                                                                            \
    GX_FILES_CALLS(X)                                                                              \
    GX_REGISTRY_CALLS(X)                                                                           \
    GX_SECURITY_CALLS(X)                                                                           \
    GX_EVENT_LOG_CALLS(X)                                                                          \
    GX_CABINET_CALLS(X)                                                                            \
    GX_UI_CALLS(X)

namespace gx {

// The whole boundary: every area's calls on one object, so call sites read
// os().RegOpenKeyExA(...) whatever area the call belongs to.
class Platform : public ProcessApi,
                 public FilesApi,
                 public RegistryApi,
                 public SecurityApi,
                 public EventLogApi,
                 public CabinetApi,
                 public UiApi {};

// The installed instance: the one a test installed, else the build's default
// (the real adapter in Windows builds, none on other hosts).
Platform& os();
bool HasPlatform();

// The running executable's full path (GetModuleFileNameA, at most 260
// characters), always terminated. *cut tells that the platform gave no path
// or cut it at the limit: it may then name a parent folder.
std::string ModuleFileName(bool* cut);

// The build's default instance; null where there is none.
Platform* DefaultPlatform();

// Installs a platform for a scope (tests), restoring the previous one after.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

// Re-entrant lock for the one thread-shared resource, the trace log.
// Exists from static initialisation on, before any platform is installed,
// so it is not reached through os().
class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter();
    void Leave();

private:
    alignas(8) unsigned char storage_[64];
};

}  // namespace gx
