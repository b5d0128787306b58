// The program's trace log "gathrix.log" in CollectInfo beside the executable.
#pragma once

#include <string>

constexpr int TRACE_INFO = 0;
constexpr int TRACE_ERROR = 1;

// printf-style; level 1 also sounds the error beep five times.
void Trace(int level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

class TraceOut {
public:
    // The one log object, created by the first call; null when it cannot be.
    static TraceOut* Instance();

    TraceOut();
    ~TraceOut();
    TraceOut(const TraceOut&) = delete;
    TraceOut& operator=(const TraceOut&) = delete;

    void BuildPath();
    void Write(const char* message);

    std::string m_szTraceFile;
    std::string m_szFileName;
};

// The error lines ("ERR...") written to the log file of this process so far.
int TraceErrorLines();

// What process exit does to the log: write the closing line and destroy the
// object. Tests call it to end one simulated run before the next.
void TraceShutdown();

// Buffer sizes of the trace path; exposed for tests and fuzzing.
constexpr int kTraceBufferSize = 512;
constexpr int kTraceFormatLimit = 448;

// Formats one log line (time stamp, TAB, message, line feed) into `line`
// (kTraceBufferSize bytes). An over-long message is cut so that the line
// keeps its line feed. Returns the line's length.
int FormatTraceLine(char* line, unsigned hour, unsigned minute, unsigned second,
                    unsigned milliseconds, const char* message);
