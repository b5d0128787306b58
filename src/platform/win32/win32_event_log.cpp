// The real boundary for event logs: each call forwards to the Win32 call of its
// name.
#include <windows.h>

#include <cstddef>

#include "platform/win32/win32_support.h"

static_assert(sizeof(::EVENTLOGRECORD) == sizeof(gx::EVENTLOGRECORD) &&
                  offsetof(::EVENTLOGRECORD, DataOffset) == offsetof(gx::EVENTLOGRECORD, DataOffset),
              "event record");

namespace gx {
namespace {

class Win32EventLog final : public EventLogApi {
public:
    HANDLE OpenEventLogA(const char* server, const char* source) override {
        return ::OpenEventLogA(server, source);
    }
    BOOL BackupEventLogA(HANDLE log, const char* file) override {
        return ::BackupEventLogA(log, file);
    }
    BOOL CloseEventLog(HANDLE log) override { return ::CloseEventLog(log); }
    BOOL ReadEventLogA(HANDLE log, DWORD flags, DWORD offset, void* buffer, DWORD size, DWORD* read,
                       DWORD* needed) override {
        return ::ReadEventLogA(log, flags, offset, buffer, size, as<::DWORD*>(read), as<::DWORD*>(needed));
    }
};

}  // namespace

EventLogApi& Win32EventLogApi() {
    static Win32EventLog* const instance = new Win32EventLog();
    return *instance;
}

}  // namespace gx
