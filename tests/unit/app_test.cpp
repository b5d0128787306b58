#include <algorithm>
#include <string>
#include <vector>

#include "app/gathrix_app.h"
#include "fake_fixture.h"
#include "resource.h"

namespace {

class StartupTest : public FakeTest {
protected:
    StartupTest() {
        fake.files().MakeDirectory("C:\\Tools\\CollectInfo");
        fake.ui().OnDialogBox([this](int templateId, gx::HWND owner, gx::DLGPROC, gx::LPARAM) {
            dialogs.push_back(templateId);
            EXPECT_EQ(owner, nullptr);
            return static_cast<gx::INT_PTR>(gx::IDCANCEL);
        });
    }

    int RunWith(const std::string& commandLine) {
        fake.process().SetCommandLine(commandLine);
        dialogs.clear();
        CGathrixApp app;
        EXPECT_EQ(app.InitInstance(), FALSE);
        EXPECT_EQ(dialogs.size(), 1u);
        return dialogs.empty() ? 0 : dialogs.front();
    }

    std::vector<int> dialogs;
};

TEST_F(StartupTest, MarkerAnywhereInTheRawCommandLineChoosesTheImportTool) {
    EXPECT_EQ(RunWith("\"C:\\Tools\\gathrix.exe\""), IDD_GATHRIX_DIALOG);
    EXPECT_EQ(RunWith("\"C:\\Tools\\gathrix.exe\" \"CORVANE NET PC SOFTWARE\""), IDD_REGIMPORT_DIALOG);
    EXPECT_EQ(RunWith("C:\\Tools\\gathrix.exe /xCORVANE NET PC SOFTWAREy"), IDD_REGIMPORT_DIALOG);
    EXPECT_EQ(RunWith("C:\\Tools\\gathrix.exe corvane net pc software"), IDD_GATHRIX_DIALOG);
    EXPECT_EQ(RunWith("C:\\Tools\\gathrix.exe CORVANE NET PC SOFTWAR"), IDD_GATHRIX_DIALOG);
    EXPECT_EQ(RunWith("\"C:\\CORVANE NET PC SOFTWARE\\gathrix.exe\""), IDD_REGIMPORT_DIALOG);
    EXPECT_EQ(RunWith(""), IDD_GATHRIX_DIALOG);
}

TEST_F(StartupTest, LogBeginsWithVersionAndTheRawCommandLine) {
    fake.files().WriteFile("C:\\Tools\\CollectInfo\\gathrix.log", "previous run\r\n");
    RunWith("\"C:\\Tools\\gathrix.exe\"  -x  ");
    TraceShutdown();
    std::vector<std::string> lines = LogMessages();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Version:V 2.1.0003.3402-REL");
    EXPECT_EQ(lines[1], "CGathrixApp::InitInstance:\"C:\\Tools\\gathrix.exe\"  -x  ");
    EXPECT_EQ(lines[2], "TraceOut::~TraceOut()");
}

// The progress bar's library is needed by the collection dialog alone: the
// import tool never loads it, and when it cannot be loaded the ERR line says so.
TEST_F(StartupTest, CommonControlsAreRegisteredForTheCollectionDialogOnly) {
    RunWith("\"C:\\Tools\\gathrix.exe\" CORVANE NET PC SOFTWARE");
    EXPECT_EQ(fake.CountOf(gx::FakeOp::InitCommonControls), 0);
    fake.Fail(gx::FakeOp::InitCommonControls, gx::ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(RunWith("\"C:\\Tools\\gathrix.exe\""), IDD_GATHRIX_DIALOG);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::InitCommonControls), 1);
    std::vector<std::string> lines = LogMessages();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "ERR CGathrixApp::RunCollectionDialog -> InitCommonControls: 126"),
              lines.end());
}

TEST_F(StartupTest, VeryLongCommandLineIsTracedCutAndStillSearchedWhole) {
    std::string longLine = "\"C:\\Tools\\gathrix.exe\" " + std::string(10000, 'z') + " CORVANE NET PC SOFTWARE";
    EXPECT_EQ(RunWith(longLine), IDD_REGIMPORT_DIALOG);
    std::vector<std::string> lines = LogMessages();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("CGathrixApp::InitInstance:\"C:\\Tools\\gathrix.exe\" zzz", 0), 0u);
}

TEST_F(StartupTest, FrameworkNamesTheApplicationAfterTheExecutable) {
    fake.process().SetModulePath("C:\\Some Folder\\Gathrix.Tool.exe");
    fake.process().SetCommandLine("x");
    CGathrixApp app;
    EXPECT_EQ(AfxWinMain(), 0);
    EXPECT_EQ(app.m_strAppName, "Gathrix.Tool");
    EXPECT_EQ(dialogs, std::vector<int>{IDD_GATHRIX_DIALOG});
}

}  // namespace
