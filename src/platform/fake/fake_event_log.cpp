// The fake's event logs; a backup is a file operation and goes through the
// fake's file system.
#include <cstring>
#include <fstream>

#include "platform/fake/fake_event_log.h"
#include "platform/fake/fake_files.h"

namespace gx {

namespace {

void Put32(std::string& bytes, std::size_t at, DWORD value) { std::memcpy(&bytes[at], &value, sizeof(value)); }

void Align4(std::string& bytes) {
    while (bytes.size() % 4 != 0) bytes += '\0';
}

// The record as ReadEventLogA hands it out: the fixed head, source and
// computer name, the strings, and the length again at the end.
std::string Serialise(const FakeEventRecord& record, DWORD number) {
    if (!record.raw.empty()) return record.raw;
    EVENTLOGRECORD head = {};
    std::string bytes(sizeof(head), '\0');
    bytes += record.source + '\0' + "GX-TEST" + '\0';
    Align4(bytes);
    head.StringOffset = static_cast<DWORD>(bytes.size());
    for (const std::string& text : record.strings) bytes += text + '\0';
    Align4(bytes);
    head.DataOffset = static_cast<DWORD>(bytes.size());
    head.UserSidOffset = head.DataOffset;
    head.Length = static_cast<DWORD>(bytes.size() + sizeof(DWORD));
    head.Reserved = 0x654c664c;  // "LfLe"
    head.RecordNumber = number;
    head.TimeGenerated = head.TimeWritten = record.timeGenerated;
    head.EventID = record.eventId;
    head.EventType = record.type;
    head.NumStrings = static_cast<WORD>(record.strings.size());
    std::memcpy(&bytes[0], &head, sizeof(head));
    bytes.resize(bytes.size() + sizeof(DWORD));
    Put32(bytes, bytes.size() - sizeof(DWORD), head.Length);
    return bytes;
}

}  // namespace

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

BOOL FakeEventLog::ReadEventLogA(HANDLE log, DWORD flags, DWORD offset, void* buffer, DWORD size, DWORD* read,
                                 DWORD* needed) {
    auto* name = static_cast<std::string*>(log);
    const bool known = handles_.count(name) != 0;
    Log(FakeOp::ReadEventLogA, {known ? *name : "?", std::to_string(flags), std::to_string(size)});
    *read = 0;
    *needed = 0;
    if (!known) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FailsNow(FakeOp::ReadEventLogA, LastArgs())) return FALSE;
    (void)offset;
    if (flags != (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ)) Unexpected("ReadEventLogA other than backwards");
    const std::vector<FakeEventRecord>& records = records_[*name];
    std::size_t& next = readNext_[log];
    if (next >= records.size()) {
        SetError(ERROR_HANDLE_EOF);
        return FALSE;
    }
    DWORD used = 0;
    while (next < records.size()) {
        const std::size_t index = records.size() - 1 - next;
        const std::string bytes = Serialise(records[index], static_cast<DWORD>(index + 1));
        if (used + bytes.size() > size) {
            if (used == 0) {
                *needed = static_cast<DWORD>(bytes.size());
                SetError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            break;
        }
        std::memcpy(static_cast<char*>(buffer) + used, bytes.data(), bytes.size());
        used += static_cast<DWORD>(bytes.size());
        ++next;
    }
    *read = used;
    return TRUE;
}

}  // namespace gx
