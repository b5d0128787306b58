#include <gtest/gtest.h>

#include <string>

#include "files_fixture.h"

using namespace filestest;

namespace {

const std::string kReport = "C:\\Tools\\CollectInfo\\fileattr.txt";
const std::string kSystem32 = "C:\\WINDOWS\\system32";
const std::string kDrivers = "C:\\WINDOWS\\system32\\drivers";

constexpr gx::DWORD kReadOnly = gx::FILE_ATTRIBUTE_READONLY;
constexpr gx::DWORD kCompressed = gx::FILE_ATTRIBUTE_COMPRESSED;
constexpr gx::DWORD kEncrypted = gx::FILE_ATTRIBUTE_ENCRYPTED;

class AttributeReportTest : public FilesTest {
protected:
    AttributeReportTest() {
        fake.files().MakeDirectory(kDrivers);
        fake.files().MakeDirectory("C:\\Program Files\\Common Files");
    }

    void File(const std::string& path, gx::DWORD bits = 0) {
        fake.files().WriteFile(path, "x");
        if (bits != 0) fake.files().SetExtraAttributes(path, bits);
    }

    std::string Header(const std::string& folder, int attributes) {
        return "\r\n attribute of " + folder + ": " + std::to_string(attributes) + " \r\n";
    }

    std::string Run(int winOS = 6) {
        CAction action;
        SetFolders(action);
        action.m_iWinOS = winOS;
        EXPECT_EQ(action.Collect_FileAttributes(), TRUE);
        EXPECT_EQ(fake.files().OpenFiles(), 0);
        EXPECT_EQ(fake.files().OpenFinds(), 0);
        return fake.files().ReadFile(kReport);
    }
};

TEST_F(AttributeReportTest, ListsFlaggedEntriesOfTheFourFoldersWithWordsInTableOrder) {
    File(kSystem32 + "\\a.dll");
    File(kSystem32 + "\\B.sys", kEncrypted | kReadOnly);
    File(kSystem32 + "\\c.txt", kReadOnly | gx::FILE_ATTRIBUTE_HIDDEN);
    File(kDrivers + "\\x.sys");
    File("C:\\Program Files\\Common Files\\z.ocx", kCompressed);
    EXPECT_EQ(Run(), Header(kSystem32, 16) + "B.sys Attribute:readonly encrypted \r\n" +
                         "c.txt Attribute:readonly \r\n" + Header(kDrivers, 16) +
                         Header("C:\\Program Files", 16) + Header("C:\\Program Files\\Common Files", 16) +
                         "z.ocx Attribute:compressed \r\n");
    std::vector<gx::FakeCall> created = fake.CallsOf(gx::FakeOp::CreateFileA);
    ASSERT_EQ(created.size(), 1u);
    // Composed as the output folder followed by "\fileattr.txt".
    EXPECT_EQ(created[0].args, (std::vector<std::string>{"C:\\Tools\\CollectInfo\\\\fileattr.txt", "0x40000000 0x1 2"}));
    std::vector<gx::FakeCall> finds = fake.CallsOf(gx::FakeOp::FindFirstFileA);
    ASSERT_EQ(finds.size(), 4u);
    EXPECT_EQ(finds[0].args[0], kSystem32 + "\\*.*");
}

TEST_F(AttributeReportTest, CompressedFolderShowsItsValueItsTextAndItsDotEntry) {
    fake.files().SetExtraAttributes(kDrivers, kCompressed);
    File(kDrivers + "\\x.sys", kCompressed);
    std::string report = Run();
    EXPECT_EQ(report.substr(0, report.find(Header("C:\\Program Files", 16))),
              Header(kSystem32, 16) + "drivers Attribute:compressed \r\n" + Header(kDrivers, 2064) +
                  "Attribute:compressed \r\n" + ". Attribute:compressed \r\n" + "x.sys Attribute:compressed \r\n");
}

TEST_F(AttributeReportTest, DotDotIsListedWhenTheParentQualifies) {
    fake.files().SetExtraAttributes(kSystem32, kReadOnly);
    std::string report = Run();
    EXPECT_NE(report.find(Header(kSystem32, 17) + "Attribute:readonly \r\n. Attribute:readonly \r\n"),
              std::string::npos);
    EXPECT_NE(report.find(Header(kDrivers, 16) + ".. Attribute:readonly \r\n"), std::string::npos);
}

TEST_F(AttributeReportTest, MissingFolderIsTracedWithItsCodeAndTheNextFolderReported) {
    File("C:\\Program Files\\Common Files\\z.ocx", kReadOnly);
    CAction action;
    SetFolders(action);
    action.m_szProgramFiles = "C:\\Programs";
    action.Collect_FileAttributes();
    std::string report = fake.files().ReadFile(kReport);
    EXPECT_EQ(report.find("C:\\Programs"), std::string::npos);
    EXPECT_NE(report.find(Header("C:\\Program Files\\Common Files", 16) + "z.ocx Attribute:readonly \r\n"),
              std::string::npos);
    EXPECT_TRUE(Contains(LogMessages(), "Tool::Collect_FileAttributes C:\\Programs fail(2)"));
    EXPECT_EQ(fake.ui().Beeps(), 0);
}

TEST_F(AttributeReportTest, UnknownWindowsFolderIsNotLookedForOnTheCurrentDrive) {
    CAction action;
    SetFolders(action);
    action.m_szWindowsPath.clear();
    action.Collect_FileAttributes();
    EXPECT_TRUE(Contains(LogMessages(), "Tool::Collect_FileAttributes  fail(3)"));
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::GetFileAttributesA))
        EXPECT_EQ(call.args[0].substr(0, 3), "C:\\") << call.args[0];
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 2);
}

TEST_F(AttributeReportTest, LimitIsCheckedBetweenFoldersOnly) {
    for (int i = 0; i < 150; ++i) File(kSystem32 + "\\ro" + std::to_string(1000 + i) + ".dll", kReadOnly);
    for (int i = 0; i < 100; ++i) File(kDrivers + "\\ro" + std::to_string(1000 + i) + ".sys", kReadOnly);
    File("C:\\Program Files\\Common Files\\z.ocx", kReadOnly);
    std::string report = Run();
    int lines = 0;
    for (std::size_t at = report.find("Attribute:readonly"); at != std::string::npos;
         at = report.find("Attribute:readonly", at + 1))
        ++lines;
    EXPECT_EQ(lines, 250);  // folder 2 passes the limit and is still listed whole
    EXPECT_EQ(report.find("C:\\Program Files"), std::string::npos);
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::GetFileAttributesA))
        EXPECT_EQ(call.args[0].find("Program Files"), std::string::npos);
}

TEST_F(AttributeReportTest, TwoHundredListedEntriesDoNotStopTheReportButTwoHundredAndOneDo) {
    for (int i = 0; i < 200; ++i) File(kSystem32 + "\\ro" + std::to_string(1000 + i) + ".dll", kReadOnly);
    EXPECT_NE(Run().find(Header(kDrivers, 16)), std::string::npos);
    File(kSystem32 + "\\ro2000.dll", kReadOnly);
    EXPECT_EQ(Run().find(Header(kDrivers, 16)), std::string::npos);
}

TEST_F(AttributeReportTest, NtFourWritesNoReportAndLeavesAnOldOneAlone) {
    fake.files().WriteFile(kReport, "earlier run");
    Run(4);
    EXPECT_EQ(fake.files().ReadFile(kReport), "earlier run");
    EXPECT_EQ(fake.CountOf(gx::FakeOp::CreateFileA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
}

TEST_F(AttributeReportTest, ExistingReportIsReplaced) {
    fake.files().WriteFile(kReport, std::string(5000, 'Q'));
    EXPECT_EQ(Run().substr(0, Header(kSystem32, 16).size()), Header(kSystem32, 16));
    EXPECT_EQ(fake.files().ReadFile(kReport).find('Q'), std::string::npos);
}

TEST_F(AttributeReportTest, ReportThatCannotBeCreatedIsTracedAndNothingIsRead) {
    fake.Fail(gx::FakeOp::CreateFileA, gx::ERROR_ACCESS_DENIED);
    Run();
    EXPECT_TRUE(Contains(LogMessages(), "Tool::Could not open fileattr.txt"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
}

TEST_F(AttributeReportTest, RefusedDestinationCreatesNoReportAnywhere) {
    CAction action;
    SetFolders(action);
    action.m_szDest_Path.clear();
    EXPECT_EQ(action.Collect_FileAttributes(), TRUE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::CreateFileA), 0);
    EXPECT_TRUE(Contains(LogMessages(), "Tool::Could not open fileattr.txt"));
}

TEST_F(AttributeReportTest, FailingWriteIsTracedOnceAndTheReportEndsCleanly) {
    for (int i = 0; i < 5; ++i) File(kSystem32 + "\\ro" + std::to_string(i) + ".dll", kReadOnly);
    fake.Fail(gx::FakeOp::WriteFile, 112, -1, 1);  // disk full after the first header
    Run();
    std::vector<std::string> lines = LogMessages();
    EXPECT_TRUE(Contains(lines, "Tool::Could not write fileattr.txt(112)"));
    int failures = 0;
    for (const std::string& line : lines) failures += line.rfind("Tool::Could not write", 0) == 0 ? 1 : 0;
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(fake.files().ReadFile(kReport), Header(kSystem32, 16));
}

TEST_F(AttributeReportTest, AWriteTheDiskCutsShortIsAFullDisk) {
    fake.files().SetFreeSpace(10);
    EXPECT_EQ(Run(), Header(kSystem32, 16).substr(0, 10));
    EXPECT_TRUE(Contains(LogMessages(), "Tool::Could not write fileattr.txt(112)"));
}

TEST_F(FilesTest, AttributeTextNamesOnlyTheThreeBitsInTableOrder) {
    CAction action;
    std::string text = "left over";
    EXPECT_EQ(action.GetAttributeText(0x10 | 0x20 | 0x2 | 0x4, text), FALSE);
    EXPECT_EQ(text, "Attribute:\r\n");
    EXPECT_EQ(action.GetAttributeText(0x4000 | 0x800 | 0x1, text), TRUE);
    EXPECT_EQ(text, "Attribute:readonly compressed encrypted \r\n");
    EXPECT_EQ(action.GetAttributeText(0xFFFFFFFFu & ~0x1u & ~0x800u, text), TRUE);
    EXPECT_EQ(text, "Attribute:encrypted \r\n");
}

// On 64-bit Windows the program is shown SysWOW64 for System32; the report
// lists the real folders under their usual names, and the switch is back on
// after the run.
TEST_F(AttributeReportTest, On64BitWindowsTheRealSystem32IsListed) {
    fake.process().SetWow64(true);
    fake.files().MakeDirectory("C:\\WINDOWS\\SysWOW64\\drivers");
    File(kSystem32 + "\\native.dll", kReadOnly);
    File(kDrivers + "\\native.sys", kReadOnly);
    File("C:\\WINDOWS\\SysWOW64\\wow.dll", kReadOnly);
    const std::string report = Run();
    EXPECT_NE(report.find(Header(kSystem32, 16) + "native.dll Attribute:readonly \r\n" + Header(kDrivers, 16) +
                          "native.sys Attribute:readonly \r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("wow.dll"), std::string::npos);
    EXPECT_TRUE(fake.process().FsRedirected());
}

}  // namespace
