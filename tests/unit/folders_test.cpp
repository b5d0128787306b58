// CAction::Init: the Windows well-known folders, the product paths and the
// product-key holder.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "environment/action.h"
#include "environment/c_f_reg.h"
#include "environment/terminal_server.h"
#include "fake_fixture.h"

using Lines = std::vector<std::string>;

namespace {

const char kGlobalKey[] = "SOFTWARE\\HALVORN\\AUTSW\\Global";
const char kNetPCKey[] = "SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software";
const char kSentinel[] = "<untouched>";

class FoldersTest : public FakeTest {
protected:
    FoldersTest() { fake.files().MakeDirectory("C:\\Tools\\CollectInfo"); }

    void SetVersion(gx::DWORD major, gx::DWORD minor) {
        fake.process().SetWindowsVersion(major, minor);
    }

    // The lines traced after construction.
    Lines LinesSince(std::size_t constructionLines) {
        Lines lines = LogMessages();
        return Lines(lines.begin() + static_cast<std::ptrdiff_t>(std::min(constructionLines, lines.size())),
                     lines.end());
    }

    std::size_t LogSize() { return LogMessages().size(); }

    static void FillFolders(CAction& action) {
        for (std::string* member : Folders(action)) *member = kSentinel;
    }

    static std::vector<std::string*> Folders(CAction& action) {
        return {&action.m_szProgramFiles_Common, &action.m_szProgramFiles, &action.m_szCommAppPath,
                &action.m_szCommDocPath,         &action.m_szLocAppData,   &action.m_szWindowsPath,
                &action.m_szUserWindowsPath,     &action.m_szSystemDrive};
    }
};

const Lines kXpFolderLines = {
    "> CAction::GetWindowsPath->W2K, XP",
    "CTool::GetWindowsPath, m_szProgramFiles_Common:C:\\Program Files\\Common Files",
    "CTool::GetWindowsPath, m_szProgramFiles:C:\\Program Files",
    "CTool::GetWindowsPath, m_szCommAppPath:C:\\Documents and Settings\\All Users\\Application Data",
    "CTool::GetWindowsPath, m_szCommDocPath:C:\\Documents and Settings\\All Users\\Documents",
    "CTool::GetWindowsPath, m_szLocAppData:C:\\Documents and Settings\\user\\Local Settings\\Application Data",
    "CTool::GetWindowsPath, m_szWindowsPath:C:\\WINDOWS",
    "< CAction::GetWindowsPath",
};

TEST_F(FoldersTest, FullInitOnXpFindsSixFoldersAndBothProductPaths) {
    fake.registry().SetString(kGlobalKey, "SharedPath", "C:\\Program Files\\Halvorn\\Shared");
    fake.registry().SetString(kNetPCKey, "Path", "D:\\Halvorn\\NetPC\\");
    CAction action;
    std::size_t before = LogSize();
    fake.ClearCalls();
    EXPECT_EQ(action.Init(), 1);
    Lines expected = {"> CAction::Init"};
    expected.insert(expected.end(), kXpFolderLines.begin(), kXpFolderLines.end());
    Lines product = {
        "> CAction::GetAUTSW_GlobalRegistry",
        "CAction::GetAUTSW_GlobalRegistry, SOFTWARE\\HALVORN\\AUTSW\\Global SharedPath:C:\\Program Files\\Halvorn\\Shared",
        "< CAction::GetAUTSW_GlobalRegistry",
        "> CAction::GetAUTSW_CorvaneNetPCRegistry",
        "CAction::GetAUTSW_CorvaneNetPCRegistry, SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software Path:D:\\Halvorn\\NetPC\\",
        "< CAction::GetAUTSW_CorvaneNetPCRegistry",
        "< CAction::Init",
    };
    expected.insert(expected.end(), product.begin(), product.end());
    EXPECT_EQ(LinesSince(before), expected);

    EXPECT_EQ(action.m_szProgramFiles_Common, "C:\\Program Files\\Common Files");
    EXPECT_EQ(action.m_szProgramFiles, "C:\\Program Files");
    EXPECT_EQ(action.m_szCommAppPath, "C:\\Documents and Settings\\All Users\\Application Data");
    EXPECT_EQ(action.m_szCommDocPath, "C:\\Documents and Settings\\All Users\\Documents");
    EXPECT_EQ(action.m_szLocAppData, "C:\\Documents and Settings\\user\\Local Settings\\Application Data");
    EXPECT_EQ(action.m_szWindowsPath, "C:\\WINDOWS");
    EXPECT_EQ(action.m_szUserWindowsPath, "C:\\WINDOWS");
    EXPECT_EQ(action.m_szSystemDrive, "C:\\");
    EXPECT_EQ(action.m_szSharedPath, "C:\\Program Files\\Halvorn\\Shared");
    EXPECT_EQ(action.m_szNetPCPath, "D:\\Halvorn\\NetPC\\");

    // The already loaded shell library, six lookups in order with no owner,
    // no token and flags 0; no system-folder comparison outside Windows 2000.
    std::vector<gx::FakeCall> modules = fake.CallsOf(gx::FakeOp::GetModuleHandleA);
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].args[0], "Shell32.DLL");
    std::vector<gx::FakeCall> lookups = fake.CallsOf(gx::FakeOp::Call_SHGetFolderPathA);
    const char* order[] = {"0x2B", "0x26", "0x23", "0x2E", "0x1C", "0x24"};
    ASSERT_EQ(lookups.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(lookups[i].args, (std::vector<std::string>{order[i], "null", "null", "0"}));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::Call_GetSystemWindowsDirectoryA), 0);

    // Both keys opened to read, values read with 260 bytes, closed.
    std::vector<gx::FakeCall> opens = fake.CallsOf(gx::FakeOp::RegOpenKeyExA);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0].args, (std::vector<std::string>{kGlobalKey, "0x20019", "0"}));
    EXPECT_EQ(opens[1].args, (std::vector<std::string>{kNetPCKey, "0x20019", "0"}));
    std::vector<gx::FakeCall> reads = fake.CallsOf(gx::FakeOp::RegQueryValueExA);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].args, (std::vector<std::string>{"SharedPath", "260"}));
    EXPECT_EQ(reads[1].args, (std::vector<std::string>{"Path", "260"}));
    EXPECT_EQ(fake.registry().OpenKeys(), 0);
    EXPECT_EQ(fake.ui().Beeps(), 0);
}

TEST_F(FoldersTest, NtFourKnowsOnlyTheWindowsFolderAndSkipsTheShell) {
    SetVersion(4, 0);
    fake.process().SetWindowsDirectory("C:\\WINNT");
    CAction action;
    ASSERT_EQ(action.m_iWinOS, 4);
    FillFolders(action);
    std::size_t before = LogSize();
    const int moduleLookups = fake.CountOf(gx::FakeOp::GetModuleHandleA);  // the identification's own
    EXPECT_EQ(action.GetWindowsPath(), 1);
    EXPECT_EQ(LinesSince(before), (Lines{"> CAction::GetWindowsPath->NT", "CTool::GetWindowsPath, m_szWindowsPath:C:\\WINNT",
                                         "< CAction::GetWindowsPath"}));
    EXPECT_EQ(action.m_szWindowsPath, "C:\\WINNT");
    EXPECT_EQ(action.m_szSystemDrive, "C:\\");
    for (std::string* member : {&action.m_szProgramFiles_Common, &action.m_szProgramFiles, &action.m_szCommAppPath,
                                &action.m_szCommDocPath, &action.m_szLocAppData, &action.m_szUserWindowsPath})
        EXPECT_EQ(*member, "");
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetModuleHandleA), moduleLookups);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::Call_SHGetFolderPathA), 0);

    // An unreadable Windows folder, or one longer than the buffer, stays empty.
    fake.Fail(gx::FakeOp::GetWindowsDirectoryA, 5, 1);
    EXPECT_EQ(action.GetWindowsPath(), 1);
    EXPECT_EQ(action.m_szWindowsPath, "");
    EXPECT_EQ(action.m_szSystemDrive, "C:\\");
    fake.process().SetWindowsDirectory("D:\\" + std::string(300, 'w'));
    EXPECT_EQ(action.GetWindowsPath(), 1);
    EXPECT_EQ(action.m_szWindowsPath, "");
    EXPECT_EQ(action.m_szSystemDrive, "C:\\");
}

TEST_F(FoldersTest, WithoutTheFolderServiceTheRunGoesOnToTheProductPaths) {
    struct {
        const char* name;
        std::function<void(gx::FakePlatform&)> remove;
        const char* line;
    } cases[] = {
        {"no shell library", [](gx::FakePlatform& f) { f.process().UnloadModule("shell32.dll"); },
         "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == hmodS32 GetLastError:126"},
        {"no SHGetFolderPathA", [](gx::FakePlatform& f) { f.process().MissProcedure("shell32.dll!SHGetFolderPathA"); },
         "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == pf GetLastError:127"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        gx::FakePlatform other;
        gx::ScopedPlatform scope(other);
        other.files().MakeDirectory("C:\\Tools\\CollectInfo");
        // Windows 98 asks the shell too.
        gx::OSVERSIONINFOEXA version = other.process().Version();
        version.dwPlatformId = gx::VER_PLATFORM_WIN32_WINDOWS;
        version.dwMajorVersion = 4;
        version.dwMinorVersion = 10;
        other.process().SetVersion(version);
        other.registry().SetString(kGlobalKey, "SharedPath", "C:\\Shared");
        other.registry().SetString(kNetPCKey, "Path", "C:\\NetPC");
        c.remove(other);
        CAction action;
        ASSERT_EQ(action.m_iWinOS, 1);
        EXPECT_EQ(action.GetWindowsPath(), 2);
        EXPECT_EQ(action.Init(), 1);
        for (std::string* member : Folders(action)) EXPECT_EQ(*member, "");
        EXPECT_EQ(action.m_szSharedPath, "C:\\Shared");
        EXPECT_EQ(action.m_szNetPCPath, "C:\\NetPC");
        EXPECT_EQ(other.CountOf(gx::FakeOp::Call_SHGetFolderPathA), 0);
        EXPECT_EQ(other.ui().Beeps(), 0);
        TraceShutdown();
        fake.files().WriteFile("C:\\copy.log", other.files().ReadFile("C:\\Tools\\CollectInfo\\gathrix.log"));
        Lines lines = LogMessages("C:\\copy.log");
        auto init = std::find(lines.begin(), lines.end(), "> CAction::Init");
        ASSERT_NE(init, lines.end());
        EXPECT_EQ(Lines(init + 1, init + 5),
                  (Lines{"> CAction::GetWindowsPath->W2K, XP", c.line, "", "> CAction::GetAUTSW_GlobalRegistry"}));
        EXPECT_EQ(lines[lines.size() - 2], "< CAction::Init");
    }
}

TEST_F(FoldersTest, EachFailingLookupTracesItsErrorAndKeepsTheEarlierFolders) {
    const struct {
        int csidl;
        gx::DWORD result;
        const char* line;  // the status in lower-case hexadecimal
    } cases[] = {
        {0x2B, 0x80070002, "ERR1 CTool::GetWindowsPath -> CSIDL_PROGRAM_FILES_COMMON  = 80070002"},
        {0x26, 0x80070002, "ERR2 CTool::GetWindowsPath -> CSIDL_PROGRAM_FILES   = 80070002"},
        {0x23, 0x80070002, "ERR2 CTool::GetWindowsPath -> CSIDL_COMMON_APPDATA   = 80070002"},
        {0x2E, 0x8007000E, "ERR2 CTool::GetWindowsPath -> CSIDL_COMMON_DOCUMENTS   = 8007000e"},
        {0x1C, 0x80070002, "ERR2 CTool::GetWindowsPath -> CSIDL_LOCAL_APPDATA    = 80070002"},
        {0x24, 0x80070002, "ERR3 CTool::GetWindowsPath -> CSIDL_WINDOWS   = 80070002"},
    };
    fake.registry().SetString(kGlobalKey, "SharedPath", "C:\\Shared");
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(cases[i].line);
        char csidl[8];
        std::snprintf(csidl, sizeof(csidl), "0x%X", cases[i].csidl);
        fake.Fail(gx::FakeOp::Call_SHGetFolderPathA, cases[i].result, 1).WhenArg(0, csidl);
        CAction action;
        FillFolders(action);
        std::size_t before = LogSize();
        int beeps = fake.ui().Beeps();
        fake.ClearCalls();
        EXPECT_EQ(action.Init(), 0);
        Lines expected = {"> CAction::Init", "> CAction::GetWindowsPath->W2K, XP"};
        expected.insert(expected.end(), kXpFolderLines.begin() + 1, kXpFolderLines.begin() + 1 + i);
        expected.push_back(cases[i].line);
        expected.push_back("< CAction::Init, Error GetWindowsPath");
        EXPECT_EQ(LinesSince(before), expected);
        EXPECT_EQ(fake.ui().Beeps() - beeps, 5);
        // Earlier members hold their folders, later ones are untouched.
        std::vector<std::string*> members = Folders(action);
        for (std::size_t m = 0; m < 6; ++m) {
            if (m < i) EXPECT_EQ(*members[m], kXpFolderLines[m + 1].substr(kXpFolderLines[m + 1].find(":C:") + 1));
            else EXPECT_EQ(*members[m], kSentinel);
        }
        EXPECT_EQ(action.m_szSystemDrive, kSentinel);
        // The product keys are not read.
        EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 0);
        EXPECT_EQ(action.m_szSharedPath, "");
    }
}

TEST_F(FoldersTest, WindowsTwoThousandTerminalServerUserKeepsBothWindowsFolders) {
    SetVersion(5, 0);
    fake.process().SetShellFolder(gx::CSIDL_WINDOWS, "C:\\Documents and Settings\\ts1\\WINDOWS");
    fake.process().SetSystemWindowsDirectory("C:\\WINNT");
    CAction action;
    ASSERT_EQ(action.m_iWinOS, 5);
    std::size_t before = LogSize();
    EXPECT_EQ(action.GetWindowsPath(), 1);
    EXPECT_EQ(action.m_szWindowsPath, "C:\\WINNT");
    EXPECT_EQ(action.m_szUserWindowsPath, "C:\\Documents and Settings\\ts1\\WINDOWS");
    EXPECT_EQ(action.m_szSystemDrive, "C:\\");
    Lines lines = LinesSince(before);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[6], "CTool::GetWindowsPath, m_szWindowsPath:C:\\Documents and Settings\\ts1\\WINDOWS");
    EXPECT_EQ(Lines(lines.begin() + 7, lines.end()),
              (Lines{"<> CTerminalServer::GetPath_GetSystemWindowsDirectory, uSize:260 pszPath:C:\\WINNT", "",
                     "  GetPath_GetSystemWindowsDirectory: 2 cornetpc_log.txt available", "",
                     "< CAction::GetWindowsPath"}));
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::GetModuleHandleA).back().args[0], "KERNEL32.DLL");
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::GetProcAddress).back().args[0], "GetSystemWindowsDirectoryA");

    // The same folder twice changes nothing and adds no line.
    fake.process().SetSystemWindowsDirectory("C:\\Documents and Settings\\ts1\\WINDOWS");
    before = LogSize();
    EXPECT_EQ(action.GetWindowsPath(), 1);
    EXPECT_EQ(action.m_szWindowsPath, action.m_szUserWindowsPath);
    lines = LinesSince(before);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "  GetPath_GetSystemWindowsDirectory: 2 cornetpc_log.txt available"), 0);
}

TEST_F(FoldersTest, WindowsTwoThousandWithoutASystemFolderKeepsTheShellsFolder) {
    SetVersion(5, 0);
    fake.process().SetShellFolder(gx::CSIDL_WINDOWS, "C:\\Documents and Settings\\ts1\\WINDOWS");
    const struct {
        const char* name;
        std::function<void(gx::FakePlatform&)> breakIt;
        Lines lines;  // between the last lookup and the exit line
    } cases[] = {
        {"call fails", [](gx::FakePlatform& f) { f.Fail(gx::FakeOp::Call_GetSystemWindowsDirectoryA, 5, 1); },
         {"<> CTerminalServer::GetPath_GetSystemWindowsDirectory, pfGetSystemWindowsDirectoryA GetLastError:5", ""}},
        {"no such call", [](gx::FakePlatform& f) { f.process().MissProcedure("kernel32.dll!GetSystemWindowsDirectoryA"); },
         {"<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == pfGetSystemWindowsDirectoryA GetLastError:127",
          ""}},
        {"no kernel module", [](gx::FakePlatform& f) { f.process().UnloadModule("kernel32.dll"); },
         {"<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == hmodK32 GetLastError:126", ""}},
        // The platform answers with the size it needs and writes nothing.
        {"folder longer than the buffer", [](gx::FakePlatform& f) { f.process().SetSystemWindowsDirectory("C:\\" + std::string(300, 's')); },
         {"<> CTerminalServer::GetPath_GetSystemWindowsDirectory, uSize:260 pszPath:", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.breakIt(fake);
        CAction action;
        std::size_t before = LogSize();
        EXPECT_EQ(action.GetWindowsPath(), 1);
        EXPECT_EQ(action.m_szWindowsPath, "C:\\Documents and Settings\\ts1\\WINDOWS");
        EXPECT_EQ(action.m_szUserWindowsPath, action.m_szWindowsPath);
        Lines lines = LinesSince(before);
        Lines expected = c.lines;
        expected.insert(expected.end(), {"  GetPath_GetSystemWindowsDirectory Error", "", "< CAction::GetWindowsPath"});
        ASSERT_GE(lines.size(), expected.size());
        EXPECT_EQ(Lines(lines.end() - static_cast<std::ptrdiff_t>(expected.size()), lines.end()), expected);
        fake.process().LoadModule("kernel32.dll");
        fake.process().FindAllProcedures();
        fake.process().SetSystemWindowsDirectory("C:\\WINNT");
    }
}

TEST_F(FoldersTest, TerminalServerLookupReportsTheFolderItRead) {
    CTerminalServer terminalServer;
    fake.process().SetSystemWindowsDirectory("C:\\WINNT");
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(terminalServer.GetPath_GetSystemWindowsDirectory(buffer, 9), 1);
    EXPECT_STREQ(buffer, "C:\\WINNT");
    // Too small: the size needed counts as success, and the cut buffer is
    // never traced past its end.
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(terminalServer.GetPath_GetSystemWindowsDirectory(buffer, 8), 1);
    EXPECT_EQ(buffer[7], '\0');
    EXPECT_EQ(buffer[8], '#');
    Lines lines = LogMessages();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, uSize:9 pszPath:C:\\WINNT");
    EXPECT_EQ(lines[2], "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, uSize:8 pszPath:#######");
}

TEST_F(FoldersTest, OnlyWindowsTwoThousandComparesTheTwoWindowsFolders) {
    fake.process().SetSystemWindowsDirectory("C:\\WINNT");
    for (gx::DWORD minor : {1u, 2u}) {
        SetVersion(5, minor);
        CAction action;
        EXPECT_EQ(action.GetWindowsPath(), 1);
        EXPECT_EQ(action.m_szWindowsPath, "C:\\WINDOWS");
        EXPECT_EQ(action.m_szUserWindowsPath, "C:\\WINDOWS");
    }
    EXPECT_EQ(fake.CountOf(gx::FakeOp::Call_GetSystemWindowsDirectoryA), 0);
}

TEST_F(FoldersTest, SystemDriveIsTheWindowsFoldersDriveRootOrC) {
    const struct {
        const char* windows;
        const char* drive;
    } cases[] = {
        {"C:\\WINNT", "C:\\"},  {"D:\\Windows", "D:\\"}, {"e:\\w", "e:\\"},
        {"\\\\host\\share\\WINDOWS", "C:\\"},           {"", "C:\\"},
        {"D:\\", "C:\\"},       {"D:WINDOWS", "C:\\"},
    };
    CAction action;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        fake.process().SetShellFolder(gx::CSIDL_WINDOWS, c.windows);
        EXPECT_EQ(action.GetWindowsPath(), 1);
        EXPECT_EQ(action.m_szWindowsPath, c.windows);
        EXPECT_EQ(action.m_szSystemDrive, c.drive);
    }
    // The same rule on Windows NT 4.0.
    SetVersion(4, 0);
    CAction nt;
    fake.process().SetWindowsDirectory("F:\\WINNT");
    EXPECT_EQ(nt.GetWindowsPath(), 1);
    EXPECT_EQ(nt.m_szSystemDrive, "F:\\");
}

TEST_F(FoldersTest, MissingProductKeyStopsAfterTheFirstLookup) {
    fake.registry().SetString(kNetPCKey, "Path", "C:\\NetPC");
    CAction action;
    std::size_t before = LogSize();
    fake.ClearCalls();
    EXPECT_EQ(action.Init(), 1);
    Lines lines = LinesSince(before);
    Lines tail(lines.end() - 3, lines.end());
    EXPECT_EQ(tail, (Lines{"> CAction::GetAUTSW_GlobalRegistry",
                           "ERR1(2) CAction::GetAUTSW_GlobalRegistry -> SOFTWARE\\HALVORN\\AUTSW\\Global "
                           "RegOpenKeyEx(SOFTWARE\\HALVORN\\AUTSW\\Global)",
                           "CAction::Init, Error GetAUTSW_GlobalRegistry"}));
    EXPECT_EQ(fake.ui().Beeps(), 5);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 1);
    EXPECT_EQ(action.m_szSharedPath, "");
    EXPECT_EQ(action.m_szNetPCPath, "");
}

// On 64-bit Windows a path a 64-bit component wrote is found in the 64-bit
// view when the 32-bit view (Wow6432Node) lacks it; the 32-bit one wins.
TEST_F(FoldersTest, OnSixtyFourBitWindowsProductPathsComeFromThe32BitViewThenThe64BitView) {
    fake.process().SetWow64(true);
    fake.registry().SetString("SOFTWARE\\Wow6432Node\\HALVORN\\AUTSW\\Global", "SharedPath", "C:\\Shared32");
    fake.registry().SetString(kGlobalKey, "SharedPath", "C:\\Shared64");
    fake.registry().SetString(kNetPCKey, "Path", "C:\\NetPC64");
    CAction action;
    EXPECT_EQ(action.Init(), 1);
    EXPECT_EQ(action.m_szSharedPath, "C:\\Shared32");
    EXPECT_EQ(action.m_szNetPCPath, "C:\\NetPC64");
}

TEST_F(FoldersTest, MissingProductPathAloneEndsInitWithItsLineAndInitStillSucceeds) {
    fake.registry().SetString(kGlobalKey, "SharedPath", "C:\\Shared");
    CAction action;
    std::size_t before = LogSize();
    EXPECT_EQ(action.Init(), 1);
    Lines lines = LinesSince(before);
    Lines tail(lines.end() - 3, lines.end());
    EXPECT_EQ(tail, (Lines{"> CAction::GetAUTSW_CorvaneNetPCRegistry",
                           "ERR1(2) CAction::GetAUTSW_CorvaneNetPCRegistry -> SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC "
                           "Software RegOpenKeyEx(SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software)",
                           "CAction::Init, Error GetAUTSW_CorvaneNetPCRegistry"}));
    EXPECT_EQ(action.m_szSharedPath, "C:\\Shared");
    EXPECT_EQ(action.m_szNetPCPath, "");
}

TEST_F(FoldersTest, ProductValueFailuresTraceTheirStatusAndLeaveTheMemberEmpty) {
    fake.registry().SetString(kGlobalKey, "SharedPath", "C:\\Shared");
    CAction action;

    // Key there, value missing.
    fake.registry().MakeKey(kNetPCKey);
    std::size_t before = LogSize();
    EXPECT_EQ(action.GetAUTSW_CorvaneNetPCRegistry(), 0);
    EXPECT_EQ(LinesSince(before),
              (Lines{"> CAction::GetAUTSW_CorvaneNetPCRegistry",
                     "ERR2(2) CAction::GetAUTSW_CorvaneNetPCRegistry -> SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC "
                     "Software Path GetValueEx(SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software)"}));
    EXPECT_EQ(fake.registry().OpenKeys(), 0);

    // Key refused.
    fake.registry().DenyOpen(kNetPCKey);
    before = LogSize();
    EXPECT_EQ(action.GetAUTSW_CorvaneNetPCRegistry(), 0);
    EXPECT_EQ(LinesSince(before)[1], "ERR1(5) CAction::GetAUTSW_CorvaneNetPCRegistry -> SOFTWARE\\HALVORN\\AUTSW\\CORVANE "
                                     "NET PC Software RegOpenKeyEx(SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software)");

    // Longer than 260 bytes with its terminator.
    fake.registry().SetString(kGlobalKey, "SharedPath", std::string(260, 'L'));
    before = LogSize();
    EXPECT_EQ(action.GetAUTSW_GlobalRegistry(), 0);
    EXPECT_EQ(LinesSince(before)[1], "ERR2(234) CAction::GetAUTSW_GlobalRegistry -> SOFTWARE\\HALVORN\\AUTSW\\Global "
                                     "SharedPath GetValueEx(SOFTWARE\\HALVORN\\AUTSW\\Global)");
    EXPECT_EQ(action.m_szSharedPath, "");
    EXPECT_EQ(fake.registry().OpenKeys(), 0);

    // Init still goes on.
    before = LogSize();
    EXPECT_EQ(action.Init(), 1);
    EXPECT_EQ(LinesSince(before).back(), "CAction::Init, Error GetAUTSW_GlobalRegistry");
}

// A platform that leaves garbage after the bytes it returns, as a real
// registry may: only an explicit terminator ends the text.
class ScribblingRegistry : public gx::FakePlatform {
public:
    gx::LONG RegQueryValueExA(gx::HKEY key, const char* name, gx::DWORD* reserved, gx::DWORD* type, gx::BYTE* data,
                              gx::DWORD* size) override {
        if (data != nullptr && size != nullptr) std::memset(data, 'G', *size);
        return FakePlatform::RegQueryValueExA(key, name, reserved, type, data, size);
    }
};

TEST_F(FoldersTest, ValuesAreTerminatedInsideTheBuffer) {
    ScribblingRegistry registry;
    gx::ScopedPlatform scope(registry);
    registry.files().MakeDirectory("C:\\Tools\\CollectInfo");
    CAction action;
    const struct {
        const char* name;
        std::string stored;
        std::string read;
    } cases[] = {
        {"without terminator", "D:\\Shared", "D:\\Shared"},
        {"with terminator", std::string("D:\\Shared\0", 10), "D:\\Shared"},
        {"259 characters and terminator", std::string(259, 'a') + '\0', std::string(259, 'a')},
        {"260 characters, no terminator", std::string(260, 'b'), std::string(259, 'b')},
        {"empty", "", ""},
        {"embedded zero", std::string("C:\\x\0tail", 9), "C:\\x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        registry.registry().SetValue(kGlobalKey, "SharedPath", gx::REG_SZ, c.stored);
        EXPECT_EQ(action.GetAUTSW_GlobalRegistry(), 1);
        EXPECT_EQ(action.m_szSharedPath, c.read);
    }
    // The type is not looked at.
    registry.registry().SetValue(kNetPCKey, "Path", gx::REG_EXPAND_SZ, std::string("%ProgramFiles%\\NetPC", 20));
    EXPECT_EQ(action.GetAUTSW_CorvaneNetPCRegistry(), 1);
    EXPECT_EQ(action.m_szNetPCPath, "%ProgramFiles%\\NetPC");
    EXPECT_EQ(registry.registry().OpenKeys(), 0);
    TraceShutdown();
}

TEST_F(FoldersTest, ProductKeyHolderCreatesTheKeyAndClosesIt) {
    {
        C_F_Reg reg;
        EXPECT_EQ(reg.m_lStatus, 0);
        EXPECT_TRUE(reg.m_hKey);
        EXPECT_EQ(fake.registry().OpenKeys(), 1);
    }
    EXPECT_EQ(fake.registry().OpenKeys(), 0);
    std::shared_ptr<const gx::FakeRegNode> key = fake.registry().FindKey(kProductKey);
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(key->isVolatile);
    std::vector<gx::FakeCall> creates = fake.CallsOf(gx::FakeOp::RegCreateKeyExA);
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].args,
              (std::vector<std::string>{"SOFTWARE\\HALVORN\\CORVANE_NET\\CORVANE NET PC Software", "0xF003F", "0"}));
    // An existing key is opened again.
    C_F_Reg again;
    EXPECT_EQ(again.m_lStatus, 0);
    EXPECT_EQ(again.Close(), 0);
    EXPECT_FALSE(again.m_hKey);
    EXPECT_EQ(again.Close(), 0);
    EXPECT_FALSE(fake.files().Exists("C:\\WINDOWS\\CorNetPC_LOG.txt"));
}

TEST_F(FoldersTest, RefusedProductKeyIsNotedInTheSetupLogOnly) {
    fake.files().MakeDirectory("C:\\WINDOWS");
    fake.files().WriteFile("C:\\WINDOWS\\CorNetPC_LOG.txt", "setup line\r\n");
    fake.Fail(gx::FakeOp::RegCreateKeyExA, 5, 1);
    {
        C_F_Reg reg;
        EXPECT_FALSE(reg.m_hKey);
        EXPECT_EQ(reg.m_lStatus, 5);
        gx::BYTE data[8];
        gx::DWORD size = sizeof(data);
        EXPECT_EQ(reg.QueryValue("x", data, &size), 5);
        EXPECT_EQ(reg.Close(), 0);
    }
    EXPECT_EQ(fake.files().ReadFile("C:\\WINDOWS\\CorNetPC_LOG.txt"),
              "setup line\r\n09:05:03:0047: <> ERR:C_F_Reg -> RegCreateKeyEx: 5\r\n");
    EXPECT_FALSE(fake.files().Exists("C:\\Tools\\CollectInfo\\gathrix.log"));
    EXPECT_EQ(fake.ui().Beeps(), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegCloseKey), 0);
}

TEST_F(FoldersTest, OpenHolderKeepsTheStatusOfAFailedOpen) {
    gx::LONG status = -1;
    C_F_Reg reg(gx::HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", gx::KEY_ALL_ACCESS, &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(reg.m_lStatus, 2);
    EXPECT_FALSE(reg.m_hKey);
    gx::DWORD size = 4;
    EXPECT_EQ(reg.QueryValue("v", nullptr, &size), 2);
}

}  // namespace
