// Event logs.
// One entry a call: X(result, name, (parameters), (arguments)).
#pragma once

#include <cstddef>

#include "platform/calls.h"
#include "platform/types.h"

#define GX_EVENT_LOG_CALLS(X)                                                                      \
    X(HANDLE, OpenEventLogA, (const char* server, const char* source), (server, source))           \
    X(BOOL, BackupEventLogA, (HANDLE log, const char* file), (log, file))                          \
    X(BOOL, CloseEventLog, (HANDLE log), (log))                                                    \
    X(BOOL, ReadEventLogA, (HANDLE log, DWORD flags, DWORD offset, void* buffer, DWORD size,       \
      DWORD* read, DWORD* needed),                                                                 \
      (log, flags, offset, buffer, size, read, needed))                                            \

namespace gx {

class EventLogApi {
public:
    virtual ~EventLogApi() = default;
    GX_EVENT_LOG_CALLS(GX_DECLARE_CALL)
};

}  // namespace gx
