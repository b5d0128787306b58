#include "registry_actions.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "../common/log_lines.h"
#include "environment/action.h"
#include "platform/platform.h"
#include "trace/trace.h"

namespace winetest {

namespace {

// Runs `operation` as one run of the program with its log in CollectInfo
// beside the test program (created for the run when missing).
TracedRun Traced(const std::function<int(CAction&)>& operation) {
    char module[260] = {};
    gx::os().GetModuleFileNameA(nullptr, module, sizeof(module) - 1);
    std::string folder(module);
    folder = folder.substr(0, folder.rfind('\\')) + "\\CollectInfo";
    const std::string log = folder + "\\gathrix.log";
    bool made = gx::os().GetFileAttributesA(folder.c_str()) == 0xFFFFFFFFu &&
                gx::os().CreateDirectoryA(folder.c_str(), nullptr);
    TraceShutdown();  // ends an earlier run: the next trace starts a new log

    TracedRun run;
    {
        CAction action;
        run.result = operation(action);
    }
    TraceShutdown();

    std::ifstream in(log.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    std::istringstream lines(text.str());
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t tab = line.find('\t');
        run.trace.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    gx::os().DeleteFileA(log.c_str());
    if (made) gx::os().RemoveDirectoryA(folder.c_str());
    return run;
}

}  // namespace

::testing::AssertionResult TracedRun::Traced(const std::string& line) const { return testlog::HasLine(trace, line); }

::testing::AssertionResult TracedRun::TracedStartingWith(const std::string& prefix, int times) const {
    return testlog::HasLinesStartingWith(trace, prefix, times);
}

TracedRun RunTraced(const std::function<int(CAction&)>& operation) { return Traced(operation); }

TracedRun CollectRegistryInto(const std::string& folder) {
    return Traced([&](CAction& action) {
        action.m_szDest_Path_Registry = folder;
        return action.Collect_Registry();
    });
}

TracedRun RestoreRegistryFrom(const std::string& folder, const std::string& name) {
    return Traced([&](CAction& action) {
        action.m_szDest_Path_Registry = folder;
        return action.Restore_Registry(name.c_str());
    });
}

TracedRun DeleteRegistryEntry(const std::string& keyPath) {
    return Traced([&](CAction& action) { return action.DeleteRegistryEntry(keyPath.c_str()); });
}

bool IsRegistryEntry(const std::string& keyPath) {
    return Traced([&](CAction& action) { return action.IsRegistryEntryExit(keyPath.c_str()); }).result != 0;
}

}  // namespace winetest
