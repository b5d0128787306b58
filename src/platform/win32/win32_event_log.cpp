// The real boundary for event logs: each call forwards to the Win32 call of its
// name.
#include <windows.h>

#include "platform/win32/win32_support.h"

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
};

}  // namespace

EventLogApi& Win32EventLogApi() {
    static Win32EventLog* const instance = new Win32EventLog();
    return *instance;
}

}  // namespace gx
