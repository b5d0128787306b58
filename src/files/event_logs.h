// The event logs a collection backs up into File_Save, in the order it
// backs them up and the overview lists them.
#pragma once

struct EventLogBackup {
    const char* source;   // the log's name for OpenEventLog, also its label
    const char* file;     // the backup's name
    const char* failure;  // trace line of a failed backup, with the error
};

constexpr int kEventLogCount = 3;
extern const EventLogBackup kEventLogBackups[kEventLogCount];
