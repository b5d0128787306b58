// Lines appended to the product's setup log in the Windows folder.
#include <cstring>
#include <string>

#include "fake_fixture.h"
#include "trace/setup_log.h"

namespace {

const char kSetupLog[] = "C:\\WINDOWS\\CorNetPC_LOG.txt";

class SetupLogTest : public FakeTest {
protected:
    SetupLogTest() { fake.files().MakeDirectory("C:\\WINDOWS"); }
};

TEST_F(SetupLogTest, LinesCarryAZeroPaddedStampAndAreAppended) {
    fake.files().WriteFile(kSetupLog, "written by the installer\r\n");
    fake.process().SetClock({2026, 12, 1, 7, 9, 5, 3, 7});
    TraceSetupLog("<> ERR:C_F_Reg -> RegCreateKeyEx: %li\n", 5L);
    fake.process().SetClock({2026, 12, 1, 7, 14, 3, 27, 45});
    TraceSetupLog("no line end");
    TraceSetupLog("%s|%d\n", "runs on", 12);
    EXPECT_EQ(fake.files().ReadFile(kSetupLog),
              "written by the installer\r\n"
              "09:05:03:0007: <> ERR:C_F_Reg -> RegCreateKeyEx: 5\r\n"
              "14:03:27:0045: no line end14:03:27:0045: runs on|12\r\n");
    // The trace log is not touched.
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetModuleFileNameA), 0);
}

TEST_F(SetupLogTest, FormatOf4032IsFormattedAnd4033GivesTheNotice) {
    std::string limit = std::string(4028, 'a') + "%d\n";  // 4031 characters
    limit.insert(0, "b");
    ASSERT_EQ(limit.size(), 4032u);
    TraceSetupLog(limit.c_str(), 42);
    std::string over = "c" + limit;
    TraceSetupLog(over.c_str(), 42);
    EXPECT_EQ(fake.files().ReadFile(kSetupLog), "09:05:03:0047: b" + std::string(4028, 'a') + "42\r\n" +
                                            "09:05:03:0047: ------ Flush buffer too short !! ------\r\n");
}

TEST_F(SetupLogTest, OverlongExpansionIsCutToTheBufferAndKeepsItsLineEnd) {
    std::string huge(6000, 'x');
    TraceSetupLog("%s\n", huge.c_str());
    TraceSetupLog("next\n");
    std::string text = fake.files().ReadFile(kSetupLog);
    // 4095 characters of stamp and text (the last one the line end) and the
    // stored CR before it.
    std::string first = text.substr(0, text.find("\r\n") + 2);
    EXPECT_EQ(first.size(), 4096u);
    EXPECT_EQ(first, "09:05:03:0047: " + std::string(4079, 'x') + "\r\n");
    EXPECT_EQ(text.substr(first.size()), "09:05:03:0047: next\r\n");
    // Without a line end in the format the cut text simply ends.
    TraceSetupLog("%s", huge.c_str());
    EXPECT_EQ(fake.files().ReadFile(kSetupLog).size(), text.size() + 4095);
}

TEST_F(SetupLogTest, WindowsFolderThatCannotBeReadFallsBackToDriveC) {
    char path[gx::MAX_PATH + 8];
    std::memset(path, '#', sizeof(path));
    GetSetupLogPath(path);
    EXPECT_STREQ(path, "C:\\WINDOWS\\CorNetPC_LOG.txt");

    fake.Fail(gx::FakeOp::GetWindowsDirectoryA, 5, 1);
    GetSetupLogPath(path);
    EXPECT_STREQ(path, "C:\\CorNetPC_LOG.txt");

    // Longest folder that still leaves room for the name, then one more.
    std::string folder = "D:\\" + std::string(239, 'f');
    fake.process().SetWindowsDirectory(folder);
    GetSetupLogPath(path);
    EXPECT_EQ(std::string(path), folder + "\\CorNetPC_LOG.txt");
    EXPECT_EQ(std::strlen(path), 259u);
    fake.process().SetWindowsDirectory(folder + "f");
    GetSetupLogPath(path);
    EXPECT_STREQ(path, "C:\\CorNetPC_LOG.txt");
    // Longer than the buffer: the platform writes nothing and says so.
    fake.process().SetWindowsDirectory("D:\\" + std::string(400, 'g'));
    GetSetupLogPath(path);
    EXPECT_STREQ(path, "C:\\CorNetPC_LOG.txt");
    EXPECT_EQ(path[gx::MAX_PATH], '#');

    fake.Fail(gx::FakeOp::GetWindowsDirectoryA, 5, 1);
    TraceSetupLog("to drive C\n");
    EXPECT_EQ(fake.files().ReadFile("C:\\CorNetPC_LOG.txt"), "09:05:03:0047: to drive C\r\n");
}

TEST_F(SetupLogTest, LogThatCannotBeOpenedLosesTheLineSilently) {
    fake.files().LockFile(kSetupLog);
    TraceSetupLog("lost\n");
    EXPECT_FALSE(fake.files().Exists(kSetupLog));
    EXPECT_EQ(fake.ui().Beeps(), 0);
    fake.files().UnlockFiles();
    TraceSetupLog("kept\n");
    EXPECT_EQ(fake.files().ReadFile(kSetupLog), "09:05:03:0047: kept\r\n");
}

}  // namespace
