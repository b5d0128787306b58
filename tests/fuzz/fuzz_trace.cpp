// Fuzzes the trace log's formatting and path composition: arbitrary
// messages through Trace and FormatTraceLine, arbitrary module paths
// through the log path and the destination folders.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "environment/action.h"
#include "fuzz_support.h"
#include "platform/fake/fake_platform.h"
#include "trace/setup_log.h"
#include "trace/trace.h"

namespace {
gx::FakePlatform* g_fake = nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (g_fake == nullptr) {
        g_fake = &fuzz::Install<gx::FakePlatform>();
        g_fake->files().MakeDirectory("C:\\Tools\\CollectInfo");
    }
    g_fake->ClearCalls();
    // The log and the setup log grow with every input: start them afresh now and then.
    static unsigned inputs = 0;
    if (++inputs % 1024 == 0) {
        TraceShutdown();
        fuzz::WipeDrives(*g_fake);
        g_fake->files().MakeDirectory("C:\\Tools\\CollectInfo");
    }
    if (size == 0) return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string text = input.substr(1);
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
    switch (data[0] % 4) {
    case 0: {
        // The message as an argument, never as a format.
        Trace(data[0] & 0x10 ? TRACE_ERROR : TRACE_INFO, "%s|%s", text.c_str(), text.c_str());
        char line[kTraceBufferSize + 1];
        line[kTraceBufferSize] = 'G';
        int length = FormatTraceLine(line, data[0], 59, 59, 999, text.c_str());
        if (length >= kTraceBufferSize || line[length - 1] != '\n' || line[kTraceBufferSize] != 'G') __builtin_trap();
        break;
    }
    case 1: {
        // A module path of any shape: the log path and the destinations.
        g_fake->process().SetModulePath(text);
        TraceShutdown();
        CAction action;
        if (action.m_szDest_Path_Registry.size() >= 260) __builtin_trap();
        if (!action.m_szDest_Path.empty() && action.m_szDest_Path_Files.rfind(action.m_szDest_Path, 0) != 0)
            __builtin_trap();
        g_fake->process().SetModulePath("C:\\Tools\\gathrix.exe");
        TraceShutdown();
        break;
    }
    case 2: {
        g_fake->process().SetWindowsDirectory(text);
        char path[260];
        std::memset(path, 'x', sizeof(path));
        GetSetupLogPath(path);
        if (std::memchr(path, '\0', sizeof(path)) == nullptr) __builtin_trap();
        TraceSetupLog("%s\n", text.c_str());
        g_fake->process().SetWindowsDirectory("C:\\WINDOWS");
        break;
    }
    default:
        // Over-long and %-laden formats are refused or cut, never overrun.
        if (text.find('%') == std::string::npos) Trace(TRACE_INFO, text.c_str(), 0);
        break;
    }
    return 0;
}
