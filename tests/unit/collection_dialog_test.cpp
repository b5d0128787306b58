#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/gathrix_app.h"
#include "app/gathrix_dlg.h"
#include "app/messages.h"
#include "dialog_fixture.h"
#include "files/file_table.h"
#include "resource.h"

namespace {

constexpr int kMain = IDD_GATHRIX_DIALOG;
constexpr int kQuestionnaire = IDD_USERINFO_DIALOG;
constexpr int kInfo = IDD_INFO_DIALOG;
const char kOutput[] = "C:\\Tools\\CollectInfo";
const char kEnglishFinal[] =
    "The program terminated successfully. The information has been stored in: C:\\Tools\\CollectInfo";

class CollectionDialogTest : public DialogTest {
protected:
    CollectionDialogTest() : savedTable_(std::begin(FileTable), std::end(FileTable)) {
        // One log of the table exists, so that a run copies something.
        fake.files().WriteFile("C:\\WINDOWS\\setupapi.log", "device setup");
    }
    ~CollectionDialogTest() override { std::copy(savedTable_.begin(), savedTable_.end(), FileTable); }

    gx::INT_PTR Run() { return RunAsMainWindow<CGathrixDlg>(); }

    // The user's part of a complete run: the questionnaire, then the box.
    void FinishRun(gx::FakeScript whileBoxIsOpen = {}) {
        fake.ui().User().Click(gx::IDOK).In(kQuestionnaire).Answer(gx::IDOK, std::move(whileBoxIsOpen));
    }

    // Progress-bar messages of a kind, as (wParam, lParam) texts.
    std::vector<std::string> Progress(const std::string& message) {
        std::vector<std::string> sent;
        for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::SendMessageA))
            if (call.args[0] == std::to_string(IDC_PROGRESS) && call.args[1] == message) sent.push_back(call.args[3]);
        return sent;
    }

    int Opened(int templateId) {
        int count = 0;
        for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::DialogBoxParamA))
            if (call.args[0] == std::to_string(templateId)) ++count;
        return count;
    }

    void ExpectReady(const std::string& message) {
        EXPECT_EQ(Text(kMain, IDC_MESSAGE), message);
        EXPECT_TRUE(Enabled(kMain, gx::IDOK));
        EXPECT_TRUE(Enabled(kMain, gx::IDCANCEL));
        EXPECT_TRUE(Enabled(kMain, IDC_INFO));
    }

private:
    std::vector<CollectedFile> savedTable_;
};

TEST_F(CollectionDialogTest, ReadyTextsFollowTheLanguageAndEndOrEscCancel) {
    const struct {
        gx::LANGID language;
        const char* prompt;
        const char* end;
    } cases[] = {
        {0x0407, "Bitte Start-Button dr\xFC" "cken, um mit dem Einlesen zu beginnen\n", "Ende"},
        {0x0C07, "Bitte Start-Button dr\xFC" "cken, um mit dem Einlesen zu beginnen\n", "Ende"},
        {0x0409, "Please press Button \"Start\" to start collecting data\n", "End"},
        {0x040C, "Please press Button \"Start\" to start collecting data\n", "End"},
        {0x0000, "Please press Button \"Start\" to start collecting data\n", "End"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        fake.process().SetLanguage(c.language);
        fake.ui().User().Check([&] {
            const gx::FakeWindow& dialog = fake.ui().Window(fake.ui().DialogOf(kMain));
            EXPECT_EQ(dialog.text, "CORVANE NET TOOL - Gathrix ");
            EXPECT_EQ(dialog.bigIcon, fake.LoadIconA(nullptr, IDR_MAINFRAME));
            EXPECT_EQ(dialog.smallIcon, dialog.bigIcon);
            ExpectReady(c.prompt);
            EXPECT_EQ(Text(kMain, gx::IDOK), "Start");
            EXPECT_EQ(Text(kMain, gx::IDCANCEL), c.end);
            EXPECT_EQ(Text(kMain, IDC_INFO), "Info");
            EXPECT_EQ(Text(kMain, IDC_STATUS), "");
            EXPECT_EQ(fake.ui().Control(kMain, IDC_PROGRESS).rangeMax, 100);
            EXPECT_EQ(fake.ui().Control(kMain, IDC_PROGRESS).position, 0);
        });
        // Outside a run a logoff may go ahead.
        fake.ui().User().LogOff();
        if (c.language == 0x0409)
            fake.ui().User().Escape();
        else
            fake.ui().User().Click(gx::IDCANCEL);
        EXPECT_EQ(Run(), gx::IDCANCEL);
    }
    EXPECT_EQ(fake.ui().EndSessionAnswers(), std::vector<gx::LRESULT>(5, TRUE));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::Call_SHGetFolderPathA), 0);  // no run started
}

TEST_F(CollectionDialogTest, ACompleteRunAsksTheQuestionsShowsTheFinalTextAndEnds) {
    fake.ui().User().Click(gx::IDOK);
    fake.ui().User().Check([this] {
        EXPECT_EQ(Text(kMain, IDC_MESSAGE), "Collecting data\n");
        EXPECT_FALSE(Enabled(kMain, gx::IDOK));
        EXPECT_FALSE(Enabled(kMain, gx::IDCANCEL));
        EXPECT_TRUE(Enabled(kMain, IDC_INFO));
    }).DuringPump();
    fake.ui().User().Check([this] {
        // The questionnaire comes after the last step, with the final text shown.
        EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\fileattr.txt"));
        EXPECT_EQ(Text(kMain, IDC_MESSAGE), kEnglishFinal);
        EXPECT_EQ(fake.ui().Window(fake.ui().ActiveDialog()).owner, fake.ui().DialogOf(kMain));
    }).In(kQuestionnaire);
    FinishRun([this] {
        EXPECT_FALSE(Enabled(kMain, gx::IDOK));
        EXPECT_EQ(Text(kMain, IDC_MESSAGE), fake.ui().MessageBoxes().back().text);
    });
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_EQ(IconsSet(kMain), (std::vector<std::string>{"big", "small"}));

    ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
    const gx::FakeMessageBox& box = fake.ui().MessageBoxes()[0];
    EXPECT_EQ(box.text, kEnglishFinal);
    EXPECT_EQ(box.caption, "CORVANE NET TOOL - Gathrix ");
    EXPECT_EQ(box.type, gx::MB_OK | gx::MB_SETFOREGROUND);
    EXPECT_EQ(box.ownerTemplate, kMain);
    EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\userinfo.txt"));
    EXPECT_EQ(fake.files().ReadFile(std::string(kOutput) + "\\File_Save\\WINDOWS\\setupapi.log"), "device setup");
    EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\File_Save\\_SysEvent.evt"));
    EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\Registry_Save"));
    // Start stays disabled; the status line keeps the last hive.
    EXPECT_FALSE(fake.ui().ClosedControl(kMain, gx::IDOK).enabled);
    EXPECT_EQ(fake.ui().ClosedControl(kMain, IDC_STATUS).text, "SOFTWARE\\Classes\\Installer\\Features");
    std::vector<std::string> ends;
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::EndDialog)) ends.push_back(call.args[0]);
    EXPECT_EQ(ends, (std::vector<std::string>{"1", "1"}));  // questionnaire, then the dialog
}

TEST_F(CollectionDialogTest, GermanFinalTextNamesTheFolderBesideTheExecutable) {
    fake.process().SetLanguage(0x0407);
    fake.process().SetModulePath("C:\\Programme\\Gathrix Tool\\gathrix.exe");
    fake.files().MakeDirectory("C:\\Programme\\Gathrix Tool\\CollectInfo");
    fake.ui().User().Click(gx::IDOK);
    FinishRun();
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text,
              "Das Programm wurde erfolgreich ausgef\xFChrt. Die Informationen wurden gespeichert in: "
              "C:\\Programme\\Gathrix Tool\\CollectInfo");
}

TEST_F(CollectionDialogTest, AFailedInitialisationRemovesNothingAndStartRepeatsTheWholeRun) {
    fake.files().WriteFile(std::string(kOutput) + "\\File_Save\\earlier.txt", "earlier run");
    fake.files().WriteFile(std::string(kOutput) + "\\Registry_Save\\halvorn.sav", "earlier hive");
    fake.Fail(gx::FakeOp::Call_SHGetFolderPathA, 0x80070002u, 1).WhenArg(0, "0x23");
    fake.ui().User().Click(gx::IDOK).Check([this] {
        ExpectReady("Error 0x80000003 has occurred.\n");
        EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\File_Save\\earlier.txt"));
        EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\Registry_Save\\halvorn.sav"));
        EXPECT_EQ(Opened(kQuestionnaire), 0);
    });
    fake.ui().User().Click(gx::IDOK);
    FinishRun();
    EXPECT_EQ(Run(), gx::IDOK);
    // The second run started from the beginning: folders asked again, the
    // earlier output removed before copying.
    EXPECT_EQ(fake.CountOf(gx::FakeOp::Call_SHGetFolderPathA), 3 + 6);
    EXPECT_FALSE(fake.files().Exists(std::string(kOutput) + "\\File_Save\\earlier.txt"));
}

TEST_F(CollectionDialogTest, AFailedHiveExportComesAfterAllCopiesAndEndsTheRunWithoutQuestions) {
    // The token's first opening is the event-log backups' privilege switch.
    fake.Fail(gx::FakeOp::OpenProcessToken, gx::ERROR_ACCESS_DENIED, 1, 1);
    fake.ui().User().Click(gx::IDOK).Check([this] {
        ExpectReady("Error 0x80000002 has occurred.\n");
        EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\File_Save\\WINDOWS\\setupapi.log"));
        EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\File_Save\\_SecEvent.evt"));
        EXPECT_FALSE(fake.files().Exists(std::string(kOutput) + "\\fileattr.txt"));
        EXPECT_FALSE(fake.files().Exists(std::string(kOutput) + "\\userinfo.txt"));
        EXPECT_EQ(Opened(kQuestionnaire), 0);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::BackupEventLogA), 3);
        // What the failed run copied is removed by the next one.
        fake.files().WriteFile(std::string(kOutput) + "\\File_Save\\marker.txt", "left by the first run");
    });
    fake.ui().User().Click(gx::IDOK);
    FinishRun();
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_FALSE(fake.files().Exists(std::string(kOutput) + "\\File_Save\\marker.txt"));
    EXPECT_TRUE(fake.files().Exists(std::string(kOutput) + "\\File_Save\\_SecEvent.evt"));
}

TEST_F(CollectionDialogTest, EndAfterAFailureCancels) {
    fake.Fail(gx::FakeOp::OpenProcessToken, gx::ERROR_ACCESS_DENIED);
    fake.ui().User().Click(gx::IDOK).Click(gx::IDCANCEL);
    EXPECT_EQ(Run(), gx::IDCANCEL);
    fake.ui().User().Click(gx::IDOK).Escape();
    EXPECT_EQ(Run(), gx::IDCANCEL);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::MessageBoxA), 0);  // failures are shown as the message text only
}

TEST_F(CollectionDialogTest, InfoDuringARunOpensAtTheNextDispatchAndTheRunWaitsForIt) {
    std::string statusWhenOpened;
    int peeksWhenOpened = 0;
    fake.ui().User().Click(gx::IDOK);
    fake.ui().User().Click(IDC_INFO).DuringPump(5);
    fake.ui().User().Check([&] {
        EXPECT_EQ(fake.ui().Window(fake.ui().ActiveDialog()).owner, fake.ui().DialogOf(kMain));
        EXPECT_FALSE(fake.ui().Window(fake.ui().DialogOf(kMain)).enabled);  // the info box is modal
        statusWhenOpened = Text(kMain, IDC_STATUS);
        peeksWhenOpened = fake.CountOf(gx::FakeOp::PeekMessageA);
    }).In(kInfo);
    fake.ui().User().Check([&] {
        // Nothing of the run went on while the box was open.
        EXPECT_EQ(Text(kMain, IDC_STATUS), statusWhenOpened);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::PeekMessageA), peeksWhenOpened);
    }).In(kInfo);
    fake.ui().User().Click(gx::IDOK).In(kInfo);
    FinishRun();
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_EQ(Opened(kInfo), 1);
    EXPECT_EQ(statusWhenOpened, FileTable[5].szFileName);  // five pumps passed: the sixth item's
}

TEST_F(CollectionDialogTest, EveryCloseRequestAndASecondStartDuringARunAreRefusedAndTheRunCompletes) {
    fake.ui().User().Click(gx::IDOK);
    fake.ui().User().PostCommand(gx::IDCANCEL).DuringPump(2);  // another program's Cancel
    fake.ui().User().PostCommand(gx::IDOK).DuringPump(2);      // and its Start
    fake.ui().User().Close().DuringPump(2);
    fake.ui().User().AltF4().DuringPump(2);
    fake.ui().User().Escape().DuringPump(2);
    fake.ui().User().LogOff().DuringPump(2);
    // The same during the hive export, straight to the dialog.
    std::vector<gx::LRESULT> duringExport;
    int closeBeeps = -1;
    fake.process().OnSleep([&] {
        gx::HWND dialog = fake.ui().DialogOf(kMain);
        if (dialog == nullptr || Text(kMain, IDC_STATUS) != "System\\CurrentControlSet\\Services" || !duringExport.empty())
            return;
        duringExport.push_back(fake.SendMessageA(dialog, gx::WM_QUERYENDSESSION, 0, 0));
        int beeps = fake.ui().Beeps();
        fake.SendMessageA(dialog, gx::WM_CLOSE, 0, 0);
        fake.SendMessageA(dialog, gx::WM_SYSCOMMAND, gx::SC_CLOSE, 0);
        closeBeeps = fake.ui().Beeps() - beeps;
        fake.PostMessageA(dialog, gx::WM_COMMAND, gx::IDCANCEL, 0);
        fake.PostMessageA(dialog, gx::WM_COMMAND, gx::IDOK, 0);
    });
    fake.ui().User().Check([this] { EXPECT_EQ(Text(kMain, IDC_MESSAGE), kEnglishFinal); }).In(kQuestionnaire);
    fake.ui().User().LogOff().In(kQuestionnaire);  // the questions belong to the run too
    FinishRun();
    EXPECT_EQ(Run(), gx::IDOK);
    // Pump: the main dialog refuses; questionnaire: the main dialog refuses,
    // the questionnaire itself would not mind.
    EXPECT_EQ(fake.ui().EndSessionAnswers(), (std::vector<gx::LRESULT>{FALSE, FALSE, TRUE}));
    EXPECT_EQ(duringExport, (std::vector<gx::LRESULT>{FALSE}));
    // The dialog took both closes: the dialog manager, its Cancel disabled,
    // would have beeped at them.
    EXPECT_EQ(closeBeeps, 0);
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::EndDialog)) EXPECT_EQ(call.args[0], "1");
    EXPECT_EQ(fake.CountOf(gx::FakeOp::EndDialog), 2);
    EXPECT_EQ(Opened(kQuestionnaire), 1);  // one run, none nested
}

TEST_F(CollectionDialogTest, ProgressRangesFollowTheStepsOnVistaAndOnXp) {
    fake.process().SetWindowsVersion(6, 0);
    fake.ui().User().Click(gx::IDOK);
    FinishRun();
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_EQ(Progress("0x401"), (std::vector<std::string>{"0x3C0000", "0x50000"}));
    EXPECT_EQ(Progress("0x405").size(), 65u);

    fake.ClearCalls();
    fake.process().SetWindowsVersion(5, 1);
    fake.ui().User().Click(gx::IDOK);
    FinishRun();
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_EQ(Progress("0x401"), (std::vector<std::string>{"0x360000", "0x3C0000", "0x50000"}));
    EXPECT_EQ(Progress("0x405").size(), 119u);
}

}  // namespace

namespace {

class StartupDialogTest : public DialogTest {};

TEST_F(StartupDialogTest, EachModeRunsItsDialogAsTheOwnerlessMainWindow) {
    CGathrixApp program;
    program.m_strAppName = "gathrix";
    gx::HWND seen = nullptr;
    fake.ui().User().Check([&] {
        seen = fake.ui().ActiveDialog();
        EXPECT_EQ(fake.ui().Window(seen).templateId, kMain);
        EXPECT_EQ(fake.ui().Window(seen).owner, nullptr);
        EXPECT_EQ(program.m_hMainWnd, seen);
    }).Click(gx::IDCANCEL);
    EXPECT_EQ(program.InitInstance(), FALSE);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(program.m_pMainWnd, nullptr);
    EXPECT_EQ(program.m_hMainWnd, nullptr);

    fake.process().SetCommandLine("\"C:\\Tools\\gathrix.exe\" \"CORVANE NET PC SOFTWARE\"");
    fake.ui().User().Check([&] { EXPECT_EQ(fake.ui().Window(fake.ui().ActiveDialog()).templateId, IDD_REGIMPORT_DIALOG); }).Escape();
    EXPECT_EQ(program.InitInstance(), FALSE);
}

}  // namespace

namespace {

// Entry e in language l is element 2·e + l of the table, German first.
TEST(MainDlgMessagesTable, HoldsTheTextsByteForByteInTheSharedLayout) {
    const char* const* flat = &MainDlgMessages[0][0];
    const char* const expected[16] = {
        "Bitte Start-Button dr\xFC" "cken, um mit dem Einlesen zu beginnen\n",
        "Please press Button \"Start\" to start collecting data\n",
        "Start", "Start",
        "Ende", "End",
        "Sammeln von Informationen\n", "Collecting data\n",
        "Es ist der Fehler 0x80000001 aufgetreten.\n", "Error 0x80000001 has occurred.\n",
        "Es ist der Fehler 0x80000002 aufgetreten.\n", "Error 0x80000002 has occurred.\n",
        "Das Programm wurde erfolgreich ausgef\xFChrt. Die Informationen wurden gespeichert in: ",
        "The program terminated successfully. The information has been stored in: ",
        "Es ist der Fehler 0x80000003 aufgetreten.\n", "Error 0x80000003 has occurred.\n",
    };
    for (int element = 0; element < 16; ++element) EXPECT_STREQ(flat[element], expected[element]) << element;
    EXPECT_EQ(sizeof(MainDlgMessages), 16 * sizeof(const char*));
    EXPECT_STREQ(MainDlgMessage(kMsgError3, 1), flat[2 * 7 + 1]);
}

}  // namespace
