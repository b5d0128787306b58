// A platform that passes every call on: each area to an instance of that
// area. A decorator or probe derives from it and overrides only the calls
// it cares about; a platform built of separate area objects is one too.
#pragma once

#include "platform/platform.h"

namespace gx {

class ForwardingPlatform : public Platform {
public:
    // Every area to one other platform.
    explicit ForwardingPlatform(Platform& target)
        : ForwardingPlatform(target, target, target, target, target, target, target) {}
    ForwardingPlatform(ProcessApi& process, FilesApi& files, RegistryApi& registry,
                       SecurityApi& security, EventLogApi& eventLog, CabinetApi& cabinet,
                       UiApi& ui)
        : process_(process),
          files_(files),
          registry_(registry),
          security_(security),
          eventLog_(eventLog),
          cabinet_(cabinet),
          ui_(ui) {}

#define GX_FORWARD_PROCESS(result, name, parameters, arguments) \
    result name parameters override { return process_.name arguments; }
#define GX_FORWARD_FILES(result, name, parameters, arguments) \
    result name parameters override { return files_.name arguments; }
#define GX_FORWARD_REGISTRY(result, name, parameters, arguments) \
    result name parameters override { return registry_.name arguments; }
#define GX_FORWARD_SECURITY(result, name, parameters, arguments) \
    result name parameters override { return security_.name arguments; }
#define GX_FORWARD_EVENT_LOG(result, name, parameters, arguments) \
    result name parameters override { return eventLog_.name arguments; }
#define GX_FORWARD_CABINET(result, name, parameters, arguments) \
    result name parameters override { return cabinet_.name arguments; }
#define GX_FORWARD_UI(result, name, parameters, arguments) \
    result name parameters override { return ui_.name arguments; }
    GX_PROCESS_CALLS(GX_FORWARD_PROCESS)
    GX_FILES_CALLS(GX_FORWARD_FILES)
    GX_REGISTRY_CALLS(GX_FORWARD_REGISTRY)
    GX_SECURITY_CALLS(GX_FORWARD_SECURITY)
    GX_EVENT_LOG_CALLS(GX_FORWARD_EVENT_LOG)
    GX_CABINET_CALLS(GX_FORWARD_CABINET)
    GX_UI_CALLS(GX_FORWARD_UI)
#undef GX_FORWARD_PROCESS
#undef GX_FORWARD_FILES
#undef GX_FORWARD_REGISTRY
#undef GX_FORWARD_SECURITY
#undef GX_FORWARD_EVENT_LOG
#undef GX_FORWARD_CABINET
#undef GX_FORWARD_UI

private:
    ProcessApi& process_;
    FilesApi& files_;
    RegistryApi& registry_;
    SecurityApi& security_;
    EventLogApi& eventLog_;
    CabinetApi& cabinet_;
    UiApi& ui_;
};

}  // namespace gx
