#include <cstring>
#include <new>
#include <regex>
#include <string>
#include <thread>

#include "fake_fixture.h"
#include "trace/trace.h"

namespace {
int g_failingNothrowAllocations = 0;
}

// The allocation the log object is made with; fails while a test asks it to.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_failingNothrowAllocations > 0) {
        --g_failingNothrowAllocations;
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

const char kLog[] = "C:\\Tools\\CollectInfo\\gathrix.log";

class TraceTest : public FakeTest {
protected:
    TraceTest() { fake.files().MakeDirectory("C:\\Tools\\CollectInfo"); }
};

TEST_F(TraceTest, LineCarriesUnpaddedTimeTabMessageAndCrLf) {
    fake.process().SetClock({2026, 12, 1, 7, 9, 5, 3, 47});
    Trace(TRACE_INFO, "> CTool::GetDest_Path");
    fake.process().SetClock({2026, 12, 1, 7, 23, 59, 59, 999});
    Trace(TRACE_INFO, "value %d %s", 42, "x");
    EXPECT_EQ(fake.files().ReadFile(kLog), "9:5:3:47\t> CTool::GetDest_Path\r\n23:59:59:999\tvalue 42 x\r\n");
}

TEST_F(TraceTest, MessageEndingInLineFeedLeavesAnEmptyLine) {
    Trace(TRACE_INFO, "ends here\n");
    EXPECT_EQ(fake.files().ReadFile(kLog), "9:5:3:47\tends here\r\n\r\n");
}

TEST_F(TraceTest, FormatOf448IsFormattedAnd449GivesTheNotice) {
    std::string exact(447, 'a');
    exact += "%d";  // 449 characters would be one more
    ASSERT_EQ(exact.size(), 449u);
    std::string limit = exact.substr(1);  // 448 characters
    Trace(TRACE_INFO, limit.c_str(), 7);
    Trace(TRACE_INFO, exact.c_str(), 7);
    std::vector<std::string> lines = LogMessages();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string(446, 'a') + "7");
    EXPECT_EQ(lines[1], "------ Flush buffer too short !! ------");
    EXPECT_EQ(lines[2], "");
}

TEST_F(TraceTest, OnlyLevelOneBeepsFiveTimesEvenWhenTheLineIsLost) {
    Trace(TRACE_INFO, "info");
    Trace(2, "other level");
    EXPECT_EQ(fake.ui().Beeps(), 0);
    Trace(TRACE_ERROR, "ERR1 something");
    EXPECT_EQ(fake.ui().Beeps(), 5);
    fake.files().LockFile(kLog);
    Trace(TRACE_ERROR, "ERR2 lost");
    EXPECT_EQ(fake.ui().Beeps(), 10);
    EXPECT_EQ(fake.files().ReadFile(kLog).find("lost"), std::string::npos);
}

TEST_F(TraceTest, ALogObjectThatCannotBeAllocatedLosesThatLineAndTheNextTraceTriesAgain) {
    fake.files().WriteFile(kLog, "old run\r\n");
    g_failingNothrowAllocations = 1;
    Trace(TRACE_INFO, "lost");
    EXPECT_EQ(g_failingNothrowAllocations, 0);
    EXPECT_EQ(fake.files().ReadFile(kLog), "old run\r\n");
    Trace(TRACE_INFO, "kept");
    EXPECT_EQ(LogMessages(), std::vector<std::string>{"kept"});
}

TEST_F(TraceTest, FirstTraceDeletesThePreviousLog) {
    fake.files().WriteFile(kLog, "old run\r\n");
    Trace(TRACE_INFO, "new run");
    Trace(TRACE_INFO, "second line");
    EXPECT_EQ(fake.files().ReadFile(kLog), "9:5:3:47\tnew run\r\n9:5:3:47\tsecond line\r\n");
}

TEST_F(TraceTest, ExitWritesTheClosingLineLast) {
    Trace(TRACE_INFO, "work");
    TraceShutdown();
    std::vector<std::string> lines = LogMessages();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "TraceOut::~TraceOut()");
    // The next run starts a new log.
    Trace(TRACE_INFO, "next run");
    EXPECT_EQ(LogMessages(), std::vector<std::string>{"next run"});
}

TEST_F(TraceTest, RunWithoutTracesStillDeletesOldLogAndLeavesTheClosingLine) {
    fake.files().WriteFile(kLog, "old run\r\n");
    TraceShutdown();
    EXPECT_EQ(fake.files().ReadFile(kLog), "9:5:3:47\tTraceOut::~TraceOut()\r\n");
}

TEST_F(TraceTest, OverlongExpansionIsCutAndTheLineStaysWhole) {
    std::string huge(5000, 'x');
    Trace(TRACE_INFO, "%s|%s", huge.c_str(), huge.c_str());
    std::string text = fake.files().ReadFile(kLog);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\r'), text.size() - 2);
    // Stamp, TAB and line feed stay inside the 512-byte line with its NUL.
    EXPECT_LE(text.size() - 1, 511u);
    EXPECT_EQ(text.find('|'), std::string::npos);
}

TEST(TraceLine, FormatTraceLineKeepsTheLineEndForAnyMessageLength) {
    char line[kTraceBufferSize + 16];
    std::memset(line, '#', sizeof(line));
    for (std::size_t length : {0u, 1u, 490u, 500u, 501u, 502u, 600u, 4096u}) {
        std::string message(length, 'm');
        int written = FormatTraceLine(line, 23, 59, 59, 999, message.c_str());
        ASSERT_LT(written, kTraceBufferSize) << length;
        EXPECT_EQ(line[written - 1], '\n') << length;
        EXPECT_EQ(line[written], '\0') << length;
        EXPECT_EQ(line[kTraceBufferSize], '#') << "wrote past the buffer at " << length;
    }
}

TEST_F(TraceTest, WithoutCollectInfoNothingIsWrittenAndNothingCreated) {
    gx::FakePlatform other;
    gx::ScopedPlatform scope(other);
    Trace(TRACE_ERROR, "ERR nowhere");
    EXPECT_EQ(other.ui().Beeps(), 5);
    EXPECT_FALSE(other.files().Exists("C:\\Tools\\CollectInfo"));
    TraceShutdown();
    EXPECT_FALSE(other.files().Exists("C:\\Tools\\CollectInfo"));
}

TEST_F(TraceTest, ExecutableTooDeepForTheLogPathIsRefusedWithoutOverflow) {
    std::string folder = "C:\\" + std::string(240, 'd');
    fake.process().SetModulePath(folder + "\\gathrix.exe");  // log path would be 266 characters
    fake.files().MakeDirectory(folder + "\\CollectInfo");
    TraceShutdown();  // the next trace builds a new path
    Trace(TRACE_INFO, "too deep");
    EXPECT_FALSE(fake.files().Exists(folder + "\\CollectInfo\\gathrix.log"));
    // A module path the platform cut at 260 characters is handled the same.
    fake.process().SetModulePath("C:\\" + std::string(300, 'e') + "\\gathrix.exe");
    TraceShutdown();
    Trace(TRACE_INFO, "cut path");
}

TEST_F(TraceTest, ACutExecutablePathNeverReachesAnotherFoldersLog) {
    // The platform cuts the module path inside its last folder, whose parent
    // C:\Tools holds the log of another installation: it stays untouched.
    const std::string other = "another installation's log\r\n";
    fake.files().WriteFile(kLog, other);
    fake.process().SetModulePath("C:\\Tools\\" + std::string(260, 'd') + "\\gathrix.exe");
    Trace(TRACE_ERROR, "lost line");
    TraceShutdown();
    EXPECT_EQ(fake.files().ReadFile(kLog), other);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::DeleteFileA), 0);
    EXPECT_EQ(fake.ui().Beeps(), 5);  // the line is lost, its beeps are not
}

TEST_F(TraceTest, TwoThreadsNeverMixTheirLines) {
    auto writer = [](char tag) {
        for (int i = 0; i < 200; ++i) Trace(TRACE_INFO, "%c line %03d %c%c%c%c%c%c", tag, i, tag, tag, tag, tag, tag, tag);
    };
    std::thread a(writer, 'A');
    std::thread b(writer, 'B');
    a.join();
    b.join();
    std::vector<std::string> lines = LogMessages();
    ASSERT_EQ(lines.size(), 400u);
    std::regex whole("([AB]) line \\d{3} \\1{6}");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, whole)) << line;
}

}  // namespace
