#include "trace/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/constants.h"
#include "platform/links.h"
#include "platform/platform.h"

using namespace gx;

namespace {

const char kOverflowNotice[] = "------ Flush buffer too short !! ------\n";

class TraceOutHolder {
public:
    ~TraceOutHolder() { Release(); }
    TraceOut* Get() const { return object_; }
    void Set(TraceOut* object) { object_ = object; }
    void Release() {
        if (!HasPlatform()) return;  // a host test binary ending without a fake
        TraceOut* object = TraceOut::Instance();
        // Still registered while it dies: its closing line, written through
        // Trace, must land in its own file and not create a new log.
        delete object;
        object_ = nullptr;
    }

private:
    TraceOut* object_ = nullptr;
};

// Constructed in this order, destroyed in the reverse one: the closing line
// is written while the lock still exists.
CriticalSection g_TraceLock;
TraceOutHolder g_TraceOutHolder;
// Error lines ("ERR...") that reached the current log file.
int g_ErrorLines = 0;

class LockGuard {
public:
    explicit LockGuard(CriticalSection& lock) : lock_(lock) { lock_.Enter(); }
    ~LockGuard() { lock_.Leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    CriticalSection& lock_;
};

}  // namespace

int FormatTraceLine(char* line, unsigned hour, unsigned minute, unsigned second,
                    unsigned milliseconds, const char* message) {
    std::memset(line, 0, kTraceBufferSize);
    int stamp = std::snprintf(line, kTraceBufferSize, "%u:%u:%u:%u\t", hour, minute, second,
                              milliseconds);
    if (stamp < 0) stamp = 0;
    // Room for the message: everything but the stamp, the line feed and the NUL.
    std::size_t room = static_cast<std::size_t>(kTraceBufferSize - stamp - 2);
    std::size_t length = std::strlen(message);
    if (length > room) length = room;
    std::memcpy(line + stamp, message, length);
    line[stamp + length] = '\n';
    line[stamp + length + 1] = '\0';
    return static_cast<int>(stamp + length + 1);
}

void Trace(int level, const char* format, ...) {
    if (!HasPlatform()) return;
    LockGuard guard(g_TraceLock);
    if (level == TRACE_ERROR) {
        for (int i = 0; i < 5; ++i) os().MessageBeep(MB_ICONHAND);
    }
    char message[kTraceBufferSize];
    std::memset(message, 0, sizeof(message));
    if (std::strlen(format) > static_cast<std::size_t>(kTraceFormatLimit)) {
        std::memcpy(message, kOverflowNotice, sizeof(kOverflowNotice));
    } else {
        va_list args;
        va_start(args, format);
        // Cuts an over-long expansion; some runtimes leave the cut text
        // unterminated, hence the explicit terminator.
        std::vsnprintf(message, sizeof(message), format, args);
        va_end(args);
        message[sizeof(message) - 1] = '\0';
    }
    if (TraceOut* out = TraceOut::Instance()) out->Write(message);
}

TraceOut* TraceOut::Instance() {
    if (g_TraceOutHolder.Get() == nullptr) g_TraceOutHolder.Set(new (std::nothrow) TraceOut());
    return g_TraceOutHolder.Get();
}

TraceOut::TraceOut() : m_szFileName("gathrix.log") {
    BuildPath();
    if (!m_szTraceFile.empty()) os().DeleteFileA(m_szTraceFile.c_str());
    g_ErrorLines = 0;
}

TraceOut::~TraceOut() { Trace(TRACE_INFO, "TraceOut::~TraceOut()"); }

void TraceOut::BuildPath() {
    bool cut = false;
    std::string composed = ModuleFileName(&cut);
    // A cut path may end inside a parent folder: its log belongs to another
    // installation and must be neither deleted nor written. No log.
    if (cut) {
        m_szTraceFile.clear();
        return;
    }
    std::size_t slash = composed.rfind('\\');
    if (slash != std::string::npos) {
        composed.erase(slash);
        composed += "\\CollectInfo\\";
    }
    composed += m_szFileName;
    // A log path the platform could not open anyway is refused: no log.
    if (composed.size() >= MAX_PATH) composed.clear();
    // Nor is one through a link: the log is deleted and written as
    // administrator, wherever the link points.
    if (slash != std::string::npos && !composed.empty() &&
        !LinkOnTheWay(composed.substr(0, slash + std::strlen("\\CollectInfo\\")), composed).empty())
        composed.clear();
    m_szTraceFile = composed;
}

void TraceOut::Write(const char* message) {
    SYSTEMTIME now = {};
    os().GetLocalTime(&now);
    char line[kTraceBufferSize];
    int length = FormatTraceLine(line, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                                 message);
    if (m_szTraceFile.empty()) return;
    if (os().AppendText(m_szTraceFile.c_str(), line, static_cast<std::size_t>(length)) &&
        std::strncmp(message, "ERR", 3) == 0)
        ++g_ErrorLines;
}

int TraceErrorLines() {
    LockGuard guard(g_TraceLock);
    return g_ErrorLines;
}

void TraceShutdown() {
    LockGuard guard(g_TraceLock);
    g_TraceOutHolder.Release();
}
