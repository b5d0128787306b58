// The real gathrix.exe under Wine: its trace log and its imports.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "wine_support.h"

using namespace winetest;

namespace {

std::string CopyProduct(const ScratchFolder& folder) {
    std::string target = folder / "gathrix.exe";
    EXPECT_TRUE(CopyFileA(ProductExe().c_str(), target.c_str(), FALSE)) << ProductExe();
    return target;
}

TEST(StartupExe, TraceLogStartsWithVersionAndCommandLineAndEndsWithTheClosingLine) {
    ScratchFolder folder("startup");
    std::string exe = CopyProduct(folder);
    MakeFolders(folder / "CollectInfo");
    WriteFile(folder / "CollectInfo\\gathrix.log", "left by an earlier run\r\n");
    RunResult run = RunAndCancel(exe, "--some-arg", "C:\\");
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.exited);
    std::vector<std::string> lines = Lines(ReadFile(folder / "CollectInfo\\gathrix.log"));
    ASSERT_GE(lines.size(), 3u);
    std::regex line("\\d{1,2}:\\d{1,2}:\\d{1,2}:\\d{1,3}\t(.*)");
    std::smatch match;
    // The language lines end in a line feed of their own: an empty line follows each.
    for (const std::string& text : lines)
        if (!text.empty()) { EXPECT_TRUE(std::regex_match(text, line)) << text; }
    ASSERT_TRUE(std::regex_match(lines[0], match, line));
    EXPECT_EQ(match[1], "Version:V 2.1.0003.3402-REL");
    ASSERT_TRUE(std::regex_match(lines[1], match, line));
    EXPECT_EQ(match[1], "CGathrixApp::InitInstance:\"" + exe + "\" --some-arg");
    ASSERT_TRUE(std::regex_match(lines.back(), match, line));
    EXPECT_EQ(match[1], "TraceOut::~TraceOut()");
}

// The probe built beside the product in its link arrangement marks each log
// line "alive" or "gone": whether the application object still existed.
TEST(StartupExe, ApplicationObjectOutlivesTheClosingLineOfTheLog) {
    ScratchFolder folder("order");
    std::string product = ProductExe();
    std::string probe = product.substr(0, product.rfind('\\') + 1) + "gathrix_order_probe.exe";
    ASSERT_TRUE(CopyFileA(probe.c_str(), (folder / "probe.exe").c_str(), FALSE)) << probe;
    MakeFolders(folder / "CollectInfo");
    RunResult run = RunAndCancel(folder / "probe.exe", "", folder.path());
    ASSERT_TRUE(run.exited);
    std::vector<std::string> lines = Lines(ReadFile(folder / "CollectInfo\\gathrix.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 6), "alive\t");
    EXPECT_EQ(lines[1].substr(0, 6), "alive\t");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 21), "TraceOut::~TraceOut()");
}

TEST(StartupExe, WithoutCollectInfoNothingIsCreated) {
    ScratchFolder folder("nolog");
    std::string exe = CopyProduct(folder);
    RunResult run = RunAndCancel(exe, "", folder.path());
    ASSERT_TRUE(run.exited);
    EXPECT_FALSE(Exists(folder / "CollectInfo"));
    EXPECT_FALSE(Exists(folder / "gathrix.log"));
}

TEST(StartupExe, ImportsOnlySystemLibrariesAndNothingNewerThanXp) {
    std::vector<std::string> dlls;
    std::vector<std::string> functions = ImportsOf(ProductExe(), &dlls);
    ASSERT_FALSE(dlls.empty());
    const std::vector<std::string> system = {"ADVAPI32.DLL", "COMCTL32.DLL", "COMDLG32.DLL", "GDI32.DLL",
                                             "KERNEL32.DLL", "MSVCRT.DLL",   "SHELL32.DLL",  "SHLWAPI.DLL",
                                             "USER32.DLL"};
    for (std::string dll : dlls) {
        std::transform(dll.begin(), dll.end(), dll.begin(), ::toupper);
        EXPECT_NE(std::find(system.begin(), system.end(), dll), system.end()) << dll;
    }
    // Functions that arrived after Windows XP SP3.
    const std::vector<std::string> newer = {
        "GetTickCount64", "InitializeConditionVariable", "SleepConditionVariableCS",
        "SleepConditionVariableSRW", "WakeConditionVariable", "WakeAllConditionVariable",
        "InitializeSRWLock", "AcquireSRWLockExclusive", "AcquireSRWLockShared",
        "ReleaseSRWLockExclusive", "ReleaseSRWLockShared", "TryAcquireSRWLockExclusive",
        "FlsAlloc", "FlsFree", "FlsGetValue", "FlsSetValue", "InitOnceExecuteOnce",
        "InitializeCriticalSectionEx", "GetLocaleInfoEx", "CreateSymbolicLinkA",
        "GetFinalPathNameByHandleA", "SetFileInformationByHandle", "GetFileInformationByHandleEx",
        "CompareStringEx", "LCMapStringEx", "GetSystemTimePreciseAsFileTime", "CreateEventExA",
        "CreateEventExW", "CreateMutexExW", "CreateSemaphoreExW", "GetNumaNodeProcessorMaskEx",
        "SHGetKnownFolderPath", "RegGetValueA", "RegDeleteTreeA", "RegDeleteKeyExA", "TaskDialog"};
    for (const std::string& function : functions) {
        std::string name = function.substr(function.find('!') + 1);
        EXPECT_EQ(std::find(newer.begin(), newer.end(), name), newer.end()) << function;
    }
}

}  // namespace
