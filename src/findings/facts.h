// What only the live system can tell at the end of a run, read once through
// the operating-system boundary for the rules. Every part says whether it
// could be read and, if not, why: a rule then skips instead of guessing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "findings/result.h"
#include "handoff/handoff.h"  // NamesFamily: one test of the product family
#include "platform/types.h"

class CAction;

namespace findings {

// How far back the event logs are read, and how many records at most.
constexpr gx::DWORD kEventDays = 90;
constexpr gx::DWORD kEventRecordLimit = 50000;
// An event string is kept up to this many characters (a record may hold
// 1 MB); evidence shows less.
constexpr std::size_t kEventTextKept = 1024;

struct EventRecord {
    gx::DWORD number = 0;
    gx::DWORD time = 0;  // seconds since 1970-01-01 UTC
    gx::DWORD id = 0;    // the id as shown: the low word of the stored one
    std::string source;
    std::vector<std::string> strings;
};

// The records of one log that a rule looks at (by source and id, chosen
// while reading), newest first.
struct EventLogFacts {
    const char* name = "";
    bool read = false;
    std::string reason;  // why not read
    std::vector<EventRecord> records;
    gx::DWORD scanned = 0;  // records looked at
    gx::DWORD damaged = 0;  // records skipped as unreadable
    bool limited = false;   // stopped at the record limit, not the age
    gx::DWORD oldest = 0;   // time of the oldest record looked at (0: none)
};

// The records a rule looks at: the installer's results and causes, the
// service control manager's failures, and the crash reports.
bool EventOfInterest(const std::string& source, gx::DWORD id);

// Each marker of a pending restart that is set, with its key or value.
struct PendingRestartFacts {
    bool read = false;
    std::string reason;
    std::vector<Evidence> renames;  // the rename lists, entry by entry (the first kept)
    std::size_t renameCount = 0;    // entries in all
    std::vector<Evidence> markers;  // keys and values other than the rename lists
    bool renamesUnreadable = false; // present, but not a list this rule can read
};

struct ServiceFacts {
    std::string name, displayName, imagePath;
    std::string imageFile;  // ImagePath resolved to a file; empty when it names none
    bool imageFound = true;
    bool hasStart = false;
    gx::DWORD start = 0;
};

struct ServicesFacts {
    bool read = false;
    std::string reason;
    std::vector<ServiceFacts> family;  // services of the product family
    bool installerPresent = false;     // msiserver
    bool installerHasStart = false;
    gx::DWORD installerStart = 0;
};

struct DriveFacts {
    std::string root;  // "C:\"
    std::string why;   // "system drive", "product installation path" ...
    bool systemDrive = false;
    bool read = false;
    gx::DWORD error = 0;
    std::uint64_t freeBytes = 0, totalBytes = 0;
};

enum class Tri { Unknown, Yes, No };

struct Holder {
    gx::DWORD processId = 0;
    std::string name;
};

// A file-table row whose copy failed, and who holds the file.
struct FailedCopy {
    int row = 0;  // 1-based
    std::string source;
    long code = 0;
    bool asked = false;      // the Restart Manager answered
    std::string askReason;   // why it was not asked or did not answer
    std::vector<Holder> holders;
};

struct Facts {
    gx::DWORD now = 0;  // seconds since 1970-01-01 UTC
    PendingRestartFacts pendingRestart;
    Tri installerBusy = Tri::Unknown;
    std::string installerBusyReason;
    EventLogFacts application, system;
    ServicesFacts services;
    std::vector<DriveFacts> drives;
    Tri elevated = Tri::Unknown;
    std::string elevationReason;
    std::vector<FailedCopy> failedCopies;
};

Facts ReadFacts(const CAction& action);

// The parts, for tests.
EventLogFacts ReadEventLog(const char* name, gx::DWORD now);
// "2026-12-01 09:05:03" from seconds since 1970; empty before 1970.
std::string CivilTimeText(long long secondsSince1970);
// "2026-12-01 09:05:03 UTC"
std::string UtcText(gx::DWORD secondsSince1970);
// How long before `now`: "3 days ago", "5 hours ago", "minutes ago".
std::string AgeText(gx::DWORD then, gx::DWORD now);
// Seconds since 1970 of a file time; 0 before 1970.
gx::DWORD SecondsOf(const gx::FILETIME& time);

}  // namespace findings
