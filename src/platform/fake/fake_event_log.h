// The fake's event logs: System, Application and Security unless taken away;
// a backup is a small file naming its log.
#pragma once

#include <set>
#include <string>

#include "platform/fake/fake_core.h"

namespace gx {

class FakeFiles;

class FakeEventLog final : public EventLogApi, private FakeArea {
public:
    FakeEventLog(FakeCore& core, FakeFiles& files);
    ~FakeEventLog() override;
    GX_EVENT_LOG_CALLS(GX_OVERRIDE_CALL)

    void RemoveLog(const std::string& name) { logs_.erase(name); }
    int OpenLogs() const { return openLogs_; }
    std::string OpenHandles() const;

private:
    FakeFiles& files_;
    std::set<std::string> logs_ = {"System", "Application", "Security"};
    int openLogs_ = 0;
    std::set<std::string*> handles_;
};

}  // namespace gx
