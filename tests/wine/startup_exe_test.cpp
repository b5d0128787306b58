// The real gathrix.exe under Wine: its trace log and its imports.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "wine_support.h"
#include "resource.h"

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
    EXPECT_TRUE(MakeFolders(folder / "CollectInfo"));
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
    EXPECT_TRUE(MakeFolders(folder / "CollectInfo"));
    RunResult run = RunAndCancel(folder / "probe.exe", "", folder.path());
    ASSERT_TRUE(run.exited);
    std::vector<std::string> lines = Lines(ReadFile(folder / "CollectInfo\\gathrix.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 6), "alive\t");
    EXPECT_EQ(lines[1].substr(0, 6), "alive\t");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 21), "TraceOut::~TraceOut()");
}

// What the platform reads from the file before it runs a line of it.
TEST(StartupExe, ManifestVersionRecordAndIconAreThoseOfTheProduct) {
    HMODULE exe = LoadLibraryExA(ProductExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr) << ProductExe();
    auto resource = [&](int id, int type) -> std::string {
        HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
        if (found == nullptr) return std::string();
        return std::string(static_cast<const char*>(LockResource(LoadResource(exe, found))), SizeofResource(exe, found));
    };
    const std::string manifest = resource(1, 24);  // RT_MANIFEST
    for (const char* part : {"name=\"gathrix.exe\"", "version=\"1.0.0.0\"", "processorArchitecture=\"X86\"",
                             "level=\"requireAdministrator\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    // The icon directory: one 32 x 32 image in 16 colours.
    const std::string icons = resource(IDR_MAINFRAME, 14);  // RT_GROUP_ICON
    ASSERT_GE(icons.size(), 6u + 14u);
    EXPECT_EQ(icons[4], 1);
    EXPECT_EQ(static_cast<unsigned char>(icons[6]), 32u);
    EXPECT_EQ(static_cast<unsigned char>(icons[7]), 32u);
    EXPECT_EQ(static_cast<unsigned char>(icons[8]), 16u);
    FreeLibrary(exe);

    DWORD size = GetFileVersionInfoSizeA(ProductExe().c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> record(size);
    ASSERT_TRUE(GetFileVersionInfoA(ProductExe().c_str(), 0, size, record.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030D4Au);  // 3.3402
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00070000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010D4Au);
    auto text = [&](const char* name) {
        char* value = nullptr;
        std::string path = std::string("\\StringFileInfo\\040704e4\\") + name;
        return VerQueryValueA(record.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ? std::string(value)
                                                                                                    : std::string();
    };
    EXPECT_EQ(text("FileVersion"), "V 2.1.0003.3402-REL");
    EXPECT_EQ(text("ProductVersion"), "V 07.00.1.3402");
}

TEST(StartupExe, WithoutCollectInfoNothingIsCreated) {
    ScratchFolder folder("nolog");
    std::string exe = CopyProduct(folder);
    RunResult run = RunAndCancel(exe, "", folder.path());
    ASSERT_TRUE(run.exited);
    EXPECT_FALSE(Exists(folder / "CollectInfo"));
    EXPECT_FALSE(Exists(folder / "gathrix.log"));
}

// Every other library is loaded by full path from the system folder at run
// time: an import is looked for beside the executable first, and so are the
// imports of an imported shell or dialog library.
TEST(StartupExe, ImportsOnlySystemLibrariesAndNothingNewerThanXp) {
    std::vector<std::string> dlls;
    std::vector<std::string> functions = ImportsOf(ProductExe(), &dlls);
    ASSERT_FALSE(dlls.empty());
    const std::vector<std::string> system = {"ADVAPI32.DLL", "GDI32.DLL", "KERNEL32.DLL",
                                             "MSVCRT.DLL",   "SHLWAPI.DLL", "USER32.DLL"};
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
