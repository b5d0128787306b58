// The event-log reader: the Application and System logs newest first, back
// a fixed number of days or records, keeping only the records a rule looks
// at while reading.
#include <algorithm>
#include <cstring>

#include "findings/facts.h"
#include "findings/readers.h"
#include "findings/text.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

namespace {

// Reads a C string at `offset` of a record, never past `end`.
bool RecordText(const char* record, DWORD offset, DWORD end, std::string* text, DWORD* next) {
    if (offset >= end) return false;
    const void* zero = std::memchr(record + offset, '\0', end - offset);
    if (zero == nullptr) return false;
    const DWORD length = static_cast<DWORD>(static_cast<const char*>(zero) - (record + offset));
    text->assign(record + offset, length);
    *next = offset + length + 1;
    return true;
}


// One record of a buffer: the records a rule looks at are kept, a damaged
// one is counted and skipped. False when it is older than the window.
bool TakeRecord(const char* record, const EVENTLOGRECORD& head, DWORD oldest, EventLogFacts& facts) {
    ++facts.scanned;
    if (facts.oldest == 0 || head.TimeGenerated < facts.oldest) facts.oldest = head.TimeGenerated;
    if (head.TimeGenerated < oldest) return false;
    const DWORD end = head.Length - sizeof(DWORD);
    EventRecord item;
    DWORD next = 0;
    if (!RecordText(record, sizeof(head), end, &item.source, &next)) {
        ++facts.damaged;
        return true;
    }
    item.id = head.EventID & 0xFFFF;
    if (!EventOfInterest(item.source, item.id)) return true;
    item.number = head.RecordNumber;
    item.time = head.TimeGenerated;
    DWORD offset = head.StringOffset;
    for (WORD n = 0; n < head.NumStrings; ++n) {
        std::string text;
        if (!RecordText(record, offset, end, &text, &offset)) {
            ++facts.damaged;
            return true;
        }
        if (text.size() > kEventTextKept) text.resize(kEventTextKept);
        item.strings.push_back(std::move(text));
    }
    facts.records.push_back(std::move(item));
    return true;
}


}  // namespace

bool EventOfInterest(const std::string& source, DWORD id) {
    const std::string lower = Lower(source);
    if (lower == "msiinstaller")
        return id == 1022 || id == 1023 || id == 1024 || id == 1033 || id == 1034 || id == 1035 ||
               (id >= 11000 && id < 12000);
    if (lower == "service control manager") {
        switch (id) {
        case 7000: case 7001: case 7009: case 7011: case 7023: case 7024: case 7026:
        case 7031: case 7034: case 7038: case 7041: return true;
        default: return false;
        }
    }
    return (lower == "application error" && id == 1000) || (lower == "application hang" && id == 1002) ||
           (lower == ".net runtime" && id == 1026) || (lower == "windows error reporting" && id == 1001);
}

EventLogFacts ReadEventLog(const char* name, DWORD now) {
    EventLogFacts facts;
    facts.name = name;
    UniqueEventLog log(os().OpenEventLogA(nullptr, name));
    if (!log) {
        facts.reason = Error((std::string("the ") + name + " event log cannot be opened").c_str(),
                             static_cast<long>(os().GetLastError()));
        return facts;
    }
    const DWORD oldest = now > kEventDays * 86400 ? now - kEventDays * 86400 : 0;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0, needed = 0;
        if (!os().ReadEventLogA(log.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, buffer.data(),
                                static_cast<DWORD>(buffer.size()), &read, &needed)) {
            const DWORD error = os().GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            // One record larger than the buffer (at most 512 KB on Windows).
            if (error == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size() && needed <= 1024 * 1024) {
                buffer.resize(needed);
                continue;
            }
            facts.reason = Error((std::string("the ") + name + " event log cannot be read").c_str(),
                                 static_cast<long>(error));
            return facts;
        }
        read = std::min<DWORD>(read, static_cast<DWORD>(buffer.size()));
        DWORD at = 0;
        while (at + sizeof(EVENTLOGRECORD) <= read) {
            EVENTLOGRECORD head;
            std::memcpy(&head, buffer.data() + at, sizeof(head));
            if (head.Length < sizeof(head) + sizeof(DWORD) || head.Length > read - at) {
                // No length to step over it: the rest of this buffer is lost,
                // the next read goes on after it.
                ++facts.damaged;
                break;
            }
            const char* record = buffer.data() + at;
            at += head.Length;
            if (!TakeRecord(record, head, oldest, facts)) {
                facts.read = true;
                return facts;
            }
            if (facts.scanned >= kEventRecordLimit) {
                facts.limited = true;
                facts.read = true;
                return facts;
            }
        }
        if (read == 0) break;
    }
    facts.read = true;
    return facts;
}

}  // namespace findings
