// Lines appended to the product's own setup log "CorNetPC_LOG.txt" in the
// Windows folder. No lock, no levels, no beep.
#pragma once

void TraceSetupLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Fills `path` (260 characters) with the setup log's path.
void GetSetupLogPath(char* path);

constexpr int kSetupLogBufferSize = 4096;
constexpr int kSetupLogFormatLimit = 4032;
