// The fake's event logs; a backup is a file operation and goes through the
// fake's file system.
#include <fstream>

#include "platform/fake/fake_event_log.h"
#include "platform/fake/fake_files.h"

namespace gx {

FakeEventLog::FakeEventLog(FakeCore& core, FakeFiles& files) : FakeArea(core), files_(files) {
    core.MayFail({FakeOp::OpenEventLogA, FakeOp::BackupEventLogA, FakeOp::ReadEventLogA});
}

FakeEventLog::~FakeEventLog() {
    for (std::string* log : handles_) delete log;
}

std::string FakeEventLog::OpenHandles() const {
    std::string text;
    for (const std::string* log : handles_) text += "event log " + *log + "\n";
    return text;
}

HANDLE FakeEventLog::OpenEventLogA(const char* server, const char* source) {
    Log(FakeOp::OpenEventLogA, {server == nullptr ? "local" : server, source});
    DWORD code = 0;
    if (Injected(FakeOp::OpenEventLogA, LastArgs(), &code)) {
        SetError(code);
        return nullptr;
    }
    if (logs_.count(source) == 0) {
        SetError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    auto* handle = new std::string(source);
    handles_.insert(handle);
    ++openLogs_;
    return handle;
}

BOOL FakeEventLog::BackupEventLogA(HANDLE log, const char* file) {
    auto* name = static_cast<std::string*>(log);
    Log(FakeOp::BackupEventLogA, {handles_.count(name) ? *name : "?", file});
    if (handles_.count(name) == 0) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FailsNow(FakeOp::BackupEventLogA, LastArgs())) return FALSE;
    std::string host;
    if (DWORD refused = files_.RefuseNewEntry(file, &host)) {
        SetError(refused);
        return FALSE;
    }
    std::ofstream(host, std::ios::binary) << "event log backup: " << *name;
    return TRUE;
}

BOOL FakeEventLog::CloseEventLog(HANDLE log) {
    auto* name = static_cast<std::string*>(log);
    Log(FakeOp::CloseEventLog, {handles_.count(name) ? *name : "?"});
    readNext_.erase(log);
    if (handles_.erase(name) == 0) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete name;
    --openLogs_;
    return TRUE;
}

}  // namespace gx
