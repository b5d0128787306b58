// The fake's event logs: System, Application and Security unless taken away;
// a backup is a small file naming its log.
#pragma once

#include <map>
#include <set>
#include <vector>
#include <string>

#include "platform/fake/fake_core.h"

namespace gx {

// One record of an event log as the fake serves it.
struct FakeEventRecord {
    DWORD eventId = 0;  // as stored: the id in the low word, severity and facility above
    WORD type = 1;      // EVENTLOG_ERROR_TYPE
    std::string source;
    DWORD timeGenerated = 0;  // seconds since 1970-01-01 UTC
    std::vector<std::string> strings;
    std::string raw;  // when set, served instead of the record built from the fields (a damaged record)
};

class FakeFiles;

class FakeEventLog final : public EventLogApi, private FakeArea {
public:
    FakeEventLog(FakeCore& core, FakeFiles& files);
    ~FakeEventLog() override;
    GX_EVENT_LOG_CALLS(GX_OVERRIDE_CALL)

    void RemoveLog(const std::string& name) { logs_.erase(name); }
    // Appended as the newest record of `log`.
    void AddRecord(const std::string& log, FakeEventRecord record) { records_[log].push_back(std::move(record)); }
    int OpenLogs() const { return openLogs_; }
    std::string OpenHandles() const;

private:
    FakeFiles& files_;
    std::set<std::string> logs_ = {"System", "Application", "Security"};
    int openLogs_ = 0;
    std::set<std::string*> handles_;
    std::map<std::string, std::vector<FakeEventRecord>> records_;  // by log, oldest first
    std::map<const void*, std::size_t> readNext_;  // per open log: records read backwards so far
};

}  // namespace gx
