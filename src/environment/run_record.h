// What a collection run found and did, recorded by each step as it goes, so
// that the overview for support tells the outcome of every item without a
// second look at the disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/event_logs.h"
#include "platform/types.h"
#include "registry/hive_table.h"

enum class ItemOutcome {
    NotRun,       // the step did not reach the item
    Skipped,      // not collected on this system (group 1 on Vista and later)
    Written,      // copied, backed up or saved; `bytes` tells the size when `sizeKnown`
    WithoutFile,  // the platform reported success but no file is there
    NotPresent,   // the source file does not exist
    NoFolder,     // its folder is not known on this system
    Refused,      // a path this system does not use (wrong form, too long)
    Failed,       // `step` failed with `code`
};

struct RecordedItem {
    ItemOutcome outcome = ItemOutcome::NotRun;
    std::uint64_t bytes = 0;
    bool sizeKnown = false;
    long code = 0;
    const char* step = "";
    std::string path;  // the source folder (file table rows) or the file written (logs, hives)
};

// `step` failed with `code` (a Win32 error or the step's own result).
RecordedItem FailedItem(const char* step, long code, const std::string& path);
// Not attempted: the path is one this system does not use.
RecordedItem RefusedItem(long code, const std::string& path);

// A product path from the registry: found, or why not.
struct ProductLookup {
    enum State { NotLookedUp, Found, OpenFailed, ReadFailed } state = NotLookedUp;
    long status = 0;
};

// What CAction::GetWindowsPath returned.
namespace WindowsPathResult {
constexpr int NotRun = -1;
constexpr int Failed = 0;
constexpr int Done = 1;
constexpr int NoFolderService = 2;  // the shell's folder function is not available
}  // namespace WindowsPathResult

// Where each product path is read, below HKEY_LOCAL_MACHINE.
struct ProductValueName {
    const char* key;
    const char* value;
};
constexpr char kProductKeyBase[] = "SOFTWARE\\HALVORN\\";
constexpr ProductValueName kSharedPathValue = {"SOFTWARE\\HALVORN\\AUTSW\\Global", "SharedPath"};
constexpr ProductValueName kNetPCPathValue = {"SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software", "Path"};

struct RunRecord {
    gx::SYSTEMTIME started = {};      // local time the run's folders were looked up
    gx::OSVERSIONINFOA version = {};  // the plain record the identification read
    int windowsPathResult = WindowsPathResult::NotRun;
    ProductLookup sharedPath;         // kSharedPathValue
    ProductLookup netPcPath;          // kNetPCPathValue
    std::vector<RecordedItem> rows;   // one per file-table row, once the file step ran
    RecordedItem eventLogs[kEventLogCount];  // in event-log table order
    RecordedItem hives[kHiveCount];          // in hive-table order
    // On 64-bit Windows, the 64-bit view of each branch the registry keeps
    // apart for 32-bit programs: hive-table row and the "<name>64.sav" saved.
    struct Hive64 {
        int row;
        RecordedItem item;
    };
    std::vector<Hive64> hives64;
    bool wow64 = false;                      // a 32-bit program on 64-bit Windows
    RecordedItem setupDevLog;                // %windir%\INF\setupapi.dev.log (Vista and later)
    bool setupDevLogCut = false;             // only its newest part was collected
};

// The size of a file just written, for the record: false when the platform
// cannot tell (the file is then not there).
bool RecordWrittenFile(const std::string& path, RecordedItem& item);
