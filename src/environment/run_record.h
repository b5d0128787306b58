// What a collection run found and did, recorded by each step as it goes, so
// that the overview for support tells the outcome of every item without a
// second look at the disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

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

// A product path from the registry: found, or why not.
struct ProductLookup {
    enum State { NotLookedUp, Found, OpenFailed, ReadFailed } state = NotLookedUp;
    long status = 0;
};

struct RunRecord {
    gx::SYSTEMTIME started = {};      // local time the run's folders were looked up
    gx::OSVERSIONINFOA version = {};  // the plain record the identification read
    int windowsPathResult = -1;       // GetWindowsPath: 1 done, 0 failed, 2 no folder service
    ProductLookup sharedPath;
    ProductLookup netPcPath;
    std::vector<RecordedItem> rows;   // one per file-table row, once the file step ran
    RecordedItem eventLogs[3];        // System, Application, Security
    RecordedItem hives[5];            // in hive-table order
};

// The size of a file just written, for the record: false when the platform
// cannot tell (the file is then not there).
bool RecordWrittenFile(const std::string& path, RecordedItem& item);
