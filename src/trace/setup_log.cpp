#include "trace/setup_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/constants.h"
#include "platform/platform.h"

using namespace gx;

namespace {
const char kSetupLogName[] = "CorNetPC_LOG.txt";
}

void GetSetupLogPath(char* path) {
    std::snprintf(path, MAX_PATH, "C:\\%s", kSetupLogName);
    char windows[MAX_PATH];
    std::memset(windows, 0, sizeof(windows));
    UINT length = os().GetWindowsDirectoryA(windows, MAX_PATH);
    // A folder too long for the name to follow keeps the drive-C path, as
    // does one that cannot be read.
    if (length == 0 || length >= MAX_PATH) return;
    std::size_t folder = std::strlen(windows);
    if (folder + 1 + sizeof(kSetupLogName) > MAX_PATH) return;
    std::memcpy(path, windows, folder);
    path[folder] = '\\';
    std::memcpy(path + folder + 1, kSetupLogName, sizeof(kSetupLogName));
}

void TraceSetupLog(const char* format, ...) {
    std::size_t formatLength = std::strlen(format);
    SYSTEMTIME now = {};
    os().GetLocalTime(&now);
    char line[kSetupLogBufferSize];
    std::memset(line, 0, sizeof(line));
    int stamp = std::snprintf(line, sizeof(line), "%.2i:%.2i:%.2i:%.4i: ", now.wHour, now.wMinute,
                              now.wSecond, now.wMilliseconds);
    if (stamp < 0) stamp = 0;
    if (formatLength > static_cast<std::size_t>(kSetupLogFormatLimit)) {
        std::snprintf(line + stamp, sizeof(line) - stamp, "%s", "------ Flush buffer too short !! ------\n");
    } else {
        va_list args;
        va_start(args, format);
        int length = std::vsnprintf(line + stamp, sizeof(line) - stamp, format, args);
        va_end(args);
        line[sizeof(line) - 1] = '\0';
        // An over-long expansion is cut at the end of the buffer (older
        // runtimes say so with -1); it keeps its line end, or the product's
        // next log line would run on.
        bool cut = length < 0 || length >= static_cast<int>(sizeof(line)) - stamp;
        if (cut && formatLength > 0 && format[formatLength - 1] == '\n')
            line[sizeof(line) - 2] = '\n';
    }
    line[sizeof(line) - 1] = '\0';
    char path[MAX_PATH];
    GetSetupLogPath(path);
    os().AppendText(path, line, std::strlen(line));
}
