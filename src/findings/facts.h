// Everything the rules judge, read once at the end of a run through the
// operating-system boundary by readers split by source (registry, event
// log, Restart Manager, drives and token, collected files, installed
// software, product folders). Every part says whether it could be read and,
// if not, why: a rule then skips instead of guessing. Each fact carries its
// source (key, value, file and line, event record) for the evidence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "environment/run_record.h"
#include "findings/installed_software.h"
#include "findings/result.h"
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
    std::string key;  // "HKLM\\SYSTEM\\CurrentControlSet\\Services\\<name>"
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
    std::string installerKey;          // msiserver's key
    bool installerPresent = false;
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

// ---- collected files ----------------------------------------------------

// One installation log the run copied: its last attempt's failure if any.
struct InstallerLogFacts {
    bool installer = false;         // written by the installer service
    std::vector<Evidence> failure;  // empty: the last attempt did not fail
    std::string problem;            // why the log was not read to its end
};

struct SetupSection {
    Evidence heading, firstError;
    bool family = false;  // a line names the product family
};

// One device-setup log: its failed sections of the recent days.
struct SetupLogFacts {
    std::string shown;
    bool recognised = false;
    std::size_t failedCount = 0;
    std::size_t familyFailedCount = 0;     // of those, sections naming the family
    std::vector<SetupSection> lastFailed;  // the family's first
    std::string problem;
};

struct CrashFileFacts {
    std::string shown;
    std::uint64_t bytes = 0;
    std::string written;  // last write time, local; empty when unknown
    gx::DWORD time = 0;   // the same, seconds since 1970 UTC; 0 when unknown
    bool dump = false;
};

struct CollectedFacts {
    bool recorded = false;            // the file step recorded its rows
    std::size_t installationLogs = 0; // copied, of the installer or not
    std::vector<InstallerLogFacts> installerLogs;
    bool started = false;             // the run's start day is known
    std::vector<SetupLogFacts> setupLogs;
    std::vector<CrashFileFacts> crashFiles;
};

// ---- the family's registrations and folders --------------------------------

struct CachedPackage {
    std::string source;  // ...\InstallProperties\LocalPackage
    std::string name;    // DisplayName, or the packed product code
    std::string package;
    bool missing = false;
};

struct InstallerCacheFacts {
    long openStatus = 0;  // of the installer's Products key
    std::vector<CachedPackage> family;
};

// A product path the registry names, and what the file system says of it.
struct ProductPathFacts {
    std::string source, path;
    bool found = false;    // read from the registry
    std::string notFound;  // why not
    gx::DWORD attributes = 0xFFFFFFFFu;
    gx::DWORD error = 0;
};

struct FlaggedFile {
    std::string path;
    std::string words;  // as the attribute report names the bits
};

// The bounded walk of the product folders for read-only, compressed or
// encrypted files.
struct ProductFilesFacts {
    std::vector<std::string> roots;
    std::size_t bound = 0;
    std::size_t entries = 0;
    bool cut = false;  // stopped at the bound
    std::size_t flagged = 0;
    std::vector<FlaggedFile> first;   // the first few of them
    std::vector<std::string> programs;  // names of the programs found, lower case
    std::string unlisted;             // roots that could not be listed
    std::size_t unlistedFolders = 0;  // below the roots
};

struct Facts {
    gx::DWORD now = 0;  // seconds since 1970-01-01 UTC
    RunRecord run;      // what the run itself recorded
    std::vector<std::string> productFolders;  // the product paths as found
    PendingRestartFacts pendingRestart;
    Tri installerBusy = Tri::Unknown;
    std::string installerBusyReason;
    EventLogFacts application, system;
    ServicesFacts services;
    std::vector<DriveFacts> drives;
    Tri elevated = Tri::Unknown;
    std::string elevationReason;
    std::vector<FailedCopy> failedCopies;
    CollectedFacts collected;
    InstalledSoftware installed;  // also the overview's list
    InstallerCacheFacts installerCache;
    std::vector<ProductPathFacts> productPaths;
    ProductFilesFacts productFiles;
};

// How much the readers take in: a log beyond `logBytes`, all installation
// logs beyond `allLogsBytes`, or a tree beyond `walkEntries` are judged on
// their start, so the time stays bounded on any installation. Tests pass
// smaller bounds.
struct ReadBounds {
    std::uint64_t logBytes = 64ull << 20;
    std::uint64_t allLogsBytes = 256ull << 20;
    std::size_t walkEntries = 20000;
};

Facts ReadFacts(const CAction& action, const ReadBounds& bounds = ReadBounds());

// The event-log reader, for tests.
EventLogFacts ReadEventLog(const char* name, gx::DWORD now);

}  // namespace findings
