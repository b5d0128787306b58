// CAction construction: destination folders, Windows identification and the
// language rule, checked through the trace log the fake collects.
#include <cstring>
#include <string>
#include <vector>

#include "environment/action.h"
#include "fake_fixture.h"

using gx::FakePlatform;
using Lines = std::vector<std::string>;

namespace {

const Lines kDestBlock = {
    "> CTool::GetDest_Path",
    "CTool::GetDest_Path, m_szDest_Path_Files   :C:\\Tools\\CollectInfo\\File_Save\\",
    "CTool::GetDest_Path, m_szDest_Path_Registry:C:\\Tools\\CollectInfo\\Registry_Save\\",
    "< CTool::GetDest_Path",
};

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The four value lines of the extended record.
Lines Extended(const std::string& suite, const std::string& type, int spMajor, int spMinor) {
    return {
        "> CTool::CheckOS_2000_And_Later, wSuiteMask       :" + suite,
        "  CTool::CheckOS_2000_And_Later, wProductType     :" + type,
        "  CTool::CheckOS_2000_And_Later, wServicePackMajor:" + std::to_string(spMajor),
        "  CTool::CheckOS_2000_And_Later, wServicePackMinor:" + std::to_string(spMinor),
    };
}

Lines Closing(const std::string& csd, int platform, int minor, int major, int build, int code) {
    return {
        "  CTool::CheckOS, szCSDVersion  :" + csd,
        "  CTool::CheckOS, dwPlatformId  :" + std::to_string(platform),
        "  CTool::CheckOS, dwMinorVersion:" + std::to_string(minor),
        "  CTool::CheckOS, dwMajorVersion:" + std::to_string(major),
        "  CTool::CheckOS, dwBuildNumber :" + std::to_string(build),
        "< CTool::CheckOS, m_iWinOS      :" + std::to_string(code),
    };
}

class EnvironmentTest : public FakeTest {
protected:
    EnvironmentTest() { fake.files().MakeDirectory("C:\\Tools\\CollectInfo"); }

    void SetVersion(gx::DWORD platform, gx::DWORD major, gx::DWORD minor, gx::DWORD build, const char* csd,
                    gx::WORD suite = 0, gx::BYTE type = 0, gx::WORD spMajor = 0, gx::WORD spMinor = 0) {
        gx::OSVERSIONINFOEXA version = {};
        version.dwOSVersionInfoSize = sizeof(gx::OSVERSIONINFOEXA);
        version.dwPlatformId = platform;
        version.dwMajorVersion = major;
        version.dwMinorVersion = minor;
        version.dwBuildNumber = build;
        std::strcpy(version.szCSDVersion, csd);
        version.wSuiteMask = suite;
        version.wProductType = type;
        version.wServicePackMajor = spMajor;
        version.wServicePackMinor = spMinor;
        fake.process().SetVersion(version);
    }
};

TEST_F(EnvironmentTest, WindowsXpProfessionalSp2GivesTheExampleBlock) {
    CAction action;
    EXPECT_EQ(action.m_iWinOS, 6);
    EXPECT_EQ(LogMessages(), Concat({kDestBlock,
                                     {"Tool::CheckOS, VER_PLATFORM_WIN32_NT",
                                      "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Client"},
                                     Extended("0x100", "0x1", 2, 0),
                                     {"  CTool::CheckOS_2000_And_Later, VER_SUITE_SINGLEUSERTS",
                                      "  CTool::CheckOS_2000_And_Later, VER_NT_WORKSTATION",
                                      "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Professional"},
                                     Closing("Service Pack 2", 2, 1, 5, 2600, 6)}));
    // The plain record first, then the extended one, each with its own size.
    std::vector<gx::FakeCall> reads = fake.CallsOf(gx::FakeOp::GetVersionExA);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].args[0], "148");
    EXPECT_EQ(reads[1].args[0], "156");
    EXPECT_EQ(action.m_osvi.dwOSVersionInfoSize, 156u);
    EXPECT_EQ(action.m_osvi.wSuiteMask, 0x100);
    EXPECT_EQ(fake.ui().Beeps(), 0);
    // Nothing but the destinations and the code is known before Init.
    EXPECT_EQ(action.m_pProgress, nullptr);
    EXPECT_EQ(action.m_pStatusText, nullptr);
    for (const std::string* member : {&action.m_szNetPCPath, &action.m_szSharedPath, &action.m_szProgramFiles_Common,
                                      &action.m_szProgramFiles, &action.m_szWindowsPath, &action.m_szUserWindowsPath,
                                      &action.m_szSystemDrive, &action.m_szCommAppPath, &action.m_szCommDocPath,
                                      &action.m_szLocAppData})
        EXPECT_TRUE(member->empty()) << *member;
}

// A 32-bit program on 64-bit Windows says so before the code line.
TEST_F(EnvironmentTest, On64BitWindowsTheIdentificationSaysSo) {
    fake.process().SetWow64(true);
    CAction action;
    const Lines lines = LogMessages();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "  CTool::CheckOS, 64-bit Windows (gathrix runs as a 32-bit program)");
    EXPECT_TRUE(action.m_Record.wow64);
}

struct OsCase {
    const char* name;
    gx::DWORD platform, major, minor, build;
    const char* csd;
    gx::WORD suite;
    gx::BYTE type;
    int code;
    Lines block;  // between the destination lines and the closing lines
};

TEST_F(EnvironmentTest, EachVersionGivesItsCodeAndItsLines) {
    const std::string nt = "Tool::CheckOS, VER_PLATFORM_WIN32_NT";
    const std::string win = "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS";
    const std::string workstation = "  CTool::CheckOS_2000_And_Later, VER_NT_WORKSTATION";
    const OsCase cases[] = {
        {"Win32s", 0, 3, 10, 0, "Win32s 1.3", 0, 0, 2, {"Tool::CheckOS, VER_PLATFORM_WIN32s, Win32s on Windows 3.1"}},
        {"Windows 95", 1, 4, 0, 950, "", 0, 0, 1, {win, win + ", Windows 95"}},
        {"Windows 98", 1, 4, 10, 67766446, "", 0, 0, 1, {win, win + ", Windows 98"}},
        {"Windows Me", 1, 4, 90, 3000, " ", 0, 0, 1, {win, win + ", Windows Me"}},
        {"other 9x", 1, 4, 3, 0, "", 0, 0, 1, {win}},
        {"NT 3.51", 2, 3, 51, 1057, "Service Pack 5", 0, 1, 3, {nt, nt + ", Windows NT 3.51"}},
        {"NT 3.10", 2, 3, 10, 511, "", 0, 1, 1, {nt}},
        {"NT 4.0", 2, 4, 0, 1381, "Service Pack 6a", 0, 1, 4, {nt, nt + ", Windows NT 4.0"}},
        {"4.10 on NT", 2, 4, 10, 0, "", 0, 1, 1, {nt}},
        {"Windows 2000", 2, 5, 0, 2195, "Service Pack 4", 0, 1, 5,
         Concat({{nt, nt + ", Windows 2000"}, Extended("0x0", "0x1", 4, 0), {workstation}})},
        {"XP Home", 2, 5, 1, 2600, "Service Pack 3", 0x200, 1, 7,
         Concat({{nt, nt + ", Windows XP Client"}, Extended("0x200", "0x1", 4, 0),
                 {"  CTool::CheckOS_2000_And_Later, VER_SUITE_PERSONAL", workstation,
                  nt + ", Windows XP Home Edition"}})},
        {"5.1 domain controller", 2, 5, 1, 2600, "", 0, 2, 1,
         Concat({{nt, nt + ", Windows XP Client"}, Extended("0x0", "0x2", 4, 0),
                 {"  CTool::CheckOS_2000_And_Later, VER_NT_DOMAIN_CONTROLLER"}})},
        {"5.1 server", 2, 5, 1, 2600, "", 0, 3, 1,
         Concat({{nt, nt + ", Windows XP Client"}, Extended("0x0", "0x3", 4, 0),
                 {"< CTool::CheckOS_2000_And_Later, VER_NT_SERVER"}})},
        {".NET Server", 2, 5, 2, 3790, "Service Pack 2", 0x10, 3, 8,
         Concat({{nt, nt + ", Windows .NET Server"}, Extended("0x10", "0x3", 4, 0),
                 {"  CTool::CheckOS_2000_And_Later, VER_SUITE_TERMINAL",
                  "< CTool::CheckOS_2000_And_Later, VER_NT_SERVER"}})},
        {"Vista", 2, 6, 0, 6002, "Service Pack 2", 0x100, 1, 9,
         Concat({{nt, nt + ", Vista or Server 2008"}, Extended("0x100", "0x1", 4, 0),
                 {"  CTool::CheckOS_2000_And_Later, VER_SUITE_SINGLEUSERTS", workstation}})},
        {"Windows 7", 2, 6, 1, 7601, "Service Pack 1", 0, 1, 9,
         Concat({{nt, nt + ", Vista or Server 2008"}, Extended("0x0", "0x1", 4, 0), {workstation}})},
        {"Windows 10", 2, 10, 0, 19041, "", 0, 1, 1, {nt}},
        {"7.0", 2, 7, 0, 0, "", 0, 1, 1, {nt}},
        {"unknown platform", 3, 5, 0, 0, "", 0, 1, 1, {}},
    };
    for (const OsCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetVersion(c.platform, c.major, c.minor, c.build, c.csd, c.suite, c.type, 4, 0);
        TraceShutdown();  // the next line starts a new log
        CAction action;
        EXPECT_EQ(action.m_iWinOS, c.code);
        EXPECT_EQ(LogMessages(), Concat({kDestBlock, c.block,
                                         Closing(c.csd, static_cast<int>(c.platform), static_cast<int>(c.minor),
                                                 static_cast<int>(c.major), static_cast<int>(c.build), c.code)}));
        // Only Windows 2000 and later read the extended record.
        bool extended = c.platform == 2 && (c.major == 6 || (c.major == 5 && c.minor <= 2));
        EXPECT_EQ(fake.CountOf(gx::FakeOp::GetVersionExA), extended ? 2 : 1);
        EXPECT_EQ(action.m_osvi.dwOSVersionInfoSize, extended ? 156u : 0u);
        fake.ClearCalls();
    }
    EXPECT_EQ(fake.ui().Beeps(), 0);
}

TEST_F(EnvironmentTest, SuiteLinesFollowTheTableOrderAndFieldsWidenWithoutSign) {
    SetVersion(2, 5, 2, 3790, "", 0xFFFF, 0xFF, 0xFFFF, 0x8001);
    CAction action;
    Lines lines = LogMessages();
    Lines expected = Concat({{"Tool::CheckOS, VER_PLATFORM_WIN32_NT", "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows .NET Server"},
                             Extended("0xffff", "0xff", 65535, 32769),
                             {"  CTool::CheckOS_2000_And_Later, VER_SUITE_BACKOFFICE",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_DATACENTER",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_ENTERPRISE",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_PERSONAL",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_SMALLBUSINESS",
                              "  CheckOS_2000_And_Later, VER_SUITE_SMALLBUSINESS_RESTRICTED",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_TERMINAL",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_BLADE",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_SINGLEUSERTS",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_COMMUNICATIONS",
                              "  CTool::CheckOS_2000_And_Later, VER_SUITE_EMBEDDEDNT"},
                             // An unknown product type adds no line.
                             Closing("", 2, 2, 5, 3790, 8)});
    EXPECT_EQ(Lines(lines.begin() + kDestBlock.size(), lines.end()), expected);
}

TEST_F(EnvironmentTest, FailingExtendedReadKeepsCodeOneOnlyForXp) {
    fake.Fail(gx::FakeOp::GetVersionExA, gx::ERROR_INSUFFICIENT_BUFFER).WhenArg(0, "156");
    const struct {
        gx::DWORD major, minor;
        int code;
        const char* line;
    } cases[] = {
        {5, 0, 5, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows 2000"},
        {5, 1, 1, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Client"},
        {5, 2, 8, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows .NET Server"},
        {6, 1, 9, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Vista or Server 2008"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        SetVersion(2, c.major, c.minor, 1, "SP", 0x100, 1, 3);
        TraceShutdown();  // the next line starts a new log
        CAction action;
        EXPECT_EQ(action.m_iWinOS, c.code);
        Lines lines = LogMessages();
        EXPECT_EQ(Lines(lines.begin() + kDestBlock.size(), lines.end()),
                  Concat({{"Tool::CheckOS, VER_PLATFORM_WIN32_NT", c.line,
                           "<> CTool::CheckOS_2000_And_Later, GetVersionEx GetLastError:122"},
                          Closing("SP", 2, static_cast<int>(c.minor), static_cast<int>(c.major), 1, c.code)}));
        // Only the size field survives the refused read.
        gx::OSVERSIONINFOEXA cleared = {};
        cleared.dwOSVersionInfoSize = 156;
        EXPECT_EQ(std::memcmp(&action.m_osvi, &cleared, sizeof(cleared)), 0);
    }
}

// A platform that scribbles over the record and then refuses it.
class ScribblingVersion : public FakePlatform {
public:
    gx::BOOL GetVersionExA(gx::OSVERSIONINFOA* info) override {
        gx::DWORD size = info->dwOSVersionInfoSize;
        std::memset(info, 0xCC, size);
        SetLastError(87);
        return FALSE;
    }
};

TEST_F(EnvironmentTest, FailingPlainReadTracesAnEmptyRecordAndCodeOne) {
    ScribblingVersion scribbling;
    scribbling.files().MakeDirectory("C:\\Tools\\CollectInfo");
    gx::ScopedPlatform scope(scribbling);
    {
        CAction action;
        EXPECT_EQ(action.m_iWinOS, 1);
    }
    TraceShutdown();
    Lines expected = Concat({kDestBlock, {"<> CTool::CheckOS, GetVersionEx GetLastError:87"},
                             Closing("", 0, 0, 0, 0, 1), {"TraceOut::~TraceOut()"}});
    fake.files().WriteFile("C:\\copy.log", scribbling.files().ReadFile("C:\\Tools\\CollectInfo\\gathrix.log"));
    Lines lines = LogMessages("C:\\copy.log");
    EXPECT_EQ(lines, expected);
}

TEST_F(EnvironmentTest, TwoObjectsWriteTheirBlocksTwiceWithTheSameValues) {
    CAction first;
    CAction second;
    Lines lines = LogMessages();
    ASSERT_EQ(lines.size() % 2, 0u);
    Lines once(lines.begin(), lines.begin() + lines.size() / 2);
    EXPECT_EQ(Lines(lines.begin() + lines.size() / 2, lines.end()), once);
    EXPECT_EQ(Lines(once.begin(), once.begin() + kDestBlock.size()), kDestBlock);
    EXPECT_EQ(once.back(), "< CTool::CheckOS, m_iWinOS      :6");
    EXPECT_EQ(first.m_szDest_Path, second.m_szDest_Path);
}

TEST_F(EnvironmentTest, DestinationFoldersFollowTheExecutable) {
    struct {
        std::string module, root;
    } cases[] = {
        {"C:\\Tools\\x.exe", "C:\\Tools\\CollectInfo\\"},
        {"C:\\x.exe", "C:\\CollectInfo\\"},
        {"\\\\host\\share\\bin\\gathrix.exe", "\\\\host\\share\\bin\\CollectInfo\\"},
    };
    for (const auto& c : cases) {
        fake.process().SetModulePath(c.module);
        CAction action;
        EXPECT_EQ(action.m_szDest_Path, c.root);
        EXPECT_EQ(action.m_szDest_Path_Files, c.root + "File_Save\\");
        EXPECT_EQ(action.m_szDest_Path_Registry, c.root + "Registry_Save\\");
    }
    // A path without an absolute folder would put the output below the
    // current folder: refused like one too deep.
    for (const char* module : {"gathrix.exe", "C:gathrix.exe", "\\Tools\\gathrix.exe"}) {
        fake.process().SetModulePath(module);
        fake.ui().ResetBeeps();
        CAction action;
        EXPECT_EQ(action.m_szDest_Path + action.m_szDest_Path_Files + action.m_szDest_Path_Registry, "") << module;
        EXPECT_EQ(fake.ui().Beeps(), 5);
    }
    Lines lines = LogMessages();  // the log was opened by the first object
    EXPECT_TRUE(testlog::HasLine(lines, "ERR CTool::GetDest_Path -> no absolute folder: gathrix.exe"));

    // A repeated call recomputes the same values.
    fake.process().SetModulePath("C:\\Tools\\x.exe");
    CAction action;
    fake.process().SetModulePath("D:\\Elsewhere\\x.exe");
    action.GetDest_Path();
    EXPECT_EQ(action.m_szDest_Path_Files, "D:\\Elsewhere\\CollectInfo\\File_Save\\");
}

TEST_F(EnvironmentTest, ExecutableFolderTooDeepIsRefusedAndTraced) {
    Trace(TRACE_INFO, "log beside C:\\Tools\\gathrix.exe");
    // "\CollectInfo\Registry_Save\" adds 27 characters to the folder.
    std::string fits = "C:\\" + std::string(229, 'd');  // registry folder of 259 characters
    fake.process().SetModulePath(fits + "\\gathrix.exe");
    {
        CAction action;
        EXPECT_EQ(action.m_szDest_Path_Registry.size(), 259u);
        EXPECT_EQ(fake.ui().Beeps(), 0);
    }
    std::string deep = "C:\\" + std::string(230, 'd');
    fake.process().SetModulePath(deep + "\\x.exe");
    fake.ClearCalls();
    CAction action;
    EXPECT_EQ(action.m_szDest_Path, "");
    EXPECT_EQ(action.m_szDest_Path_Files, "");
    EXPECT_EQ(action.m_szDest_Path_Registry, "");
    EXPECT_EQ(fake.ui().Beeps(), 5);
    Lines lines = LogMessages();
    auto refused = std::find(lines.begin(), lines.end(),
                             "ERR CTool::GetDest_Path -> path too long (260 characters): " + deep + "\\x.exe");
    ASSERT_NE(refused, lines.end());
    EXPECT_EQ(*(refused + 1), "CTool::GetDest_Path, m_szDest_Path_Files   :");
    EXPECT_EQ(*(refused + 2), "CTool::GetDest_Path, m_szDest_Path_Registry:");

    // A module path the platform had to cut is refused the same way.
    fake.process().SetModulePath("C:\\" + std::string(300, 'e') + "\\x.exe");
    action.GetDest_Path();
    EXPECT_EQ(action.m_szDest_Path, "");
    EXPECT_EQ(fake.ui().Beeps(), 10);
}

TEST_F(EnvironmentTest, LanguageRuleLooksOnlyAtThePrimaryLanguage) {
    CAction action;
    const struct {
        gx::LANGID id;
        int index;
        const char* hex;
    } cases[] = {{0x407, 0, "0x407"}, {0xC07, 0, "0xC07"}, {0x807, 0, "0x807"},
                 {0x409, 1, "0x409"}, {0x40C, 1, "0x40C"}, {0x0000, 1, "0x0"}};
    for (const auto& c : cases) {
        TraceShutdown();  // the next line starts a new log
        fake.process().SetLanguage(c.id);
        EXPECT_EQ(action.CheckLanguage(), c.index) << c.hex;
        EXPECT_EQ(LogMessages(),
                  (Lines{std::string("> CTool::CheckLanguage(void) GetUserDefaultLangID() Language Identifiers -> ") +
                             c.hex,
                         "", c.index == 0 ? "> CTool::CheckLanguage(void) LANG_GERMAN" : "> CTool::CheckLanguage(void) default"}));
    }
}

}  // namespace
