#include <functional>
#include <stdexcept>
#include <string>

#include "dialog_fixture.h"
#include "framework/dialog.h"
#include "framework/file.h"
#include "framework/file_dialog.h"
#include "resource.h"

namespace {

constexpr int kInfoTemplate = IDD_INFO_DIALOG;
constexpr int kNoSuchControl = 9999;  // an entry of the table that no control sends

// A dialog on the info template whose OK button runs a test's handler.
class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(std::function<void(ProbeDialog&)> onButton, CWnd* parent = nullptr)
        : CDialog(kInfoTemplate, parent), onButton_(std::move(onButton)) {}
    void OnButton() { onButton_(*this); }

protected:
    bool OnCommand(int id, int notifyCode) override {
        static const CommandEntry<ProbeDialog> table[] = {{kNoSuchControl, &ProbeDialog::OnButton}, {gx::IDOK, &ProbeDialog::OnButton}};
        return Dispatch(this, table, id, notifyCode) || CDialog::OnCommand(id, notifyCode);
    }

private:
    std::function<void(ProbeDialog&)> onButton_;
};

class FrameworkTest : public DialogTest {};

TEST_F(FrameworkTest, AnExceptionInAHandlerIsReportedAndNeverLeavesTheDialogProcedure) {
    int presses = 0;
    ProbeDialog dialog([&presses](ProbeDialog& self) {
        if (++presses == 1) throw CFileException(CFileException::diskFull, -1, "C:\\x.txt");
        if (presses == 2) throw std::runtime_error("anything else");
        self.EndDialog(gx::IDOK);
    });
    fake.ui().User().Click(gx::IDOK).Answer(gx::IDOK).Click(gx::IDOK).Answer(gx::IDOK).Click(gx::IDOK);
    EXPECT_EQ(dialog.DoModal(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 2u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text, "There is not enough disk space to write C:\\x.txt.");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].caption, "gathrix");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].ownerTemplate, kInfoTemplate);
    EXPECT_EQ(fake.ui().MessageBoxes()[1].text, "An unsupported operation was attempted.");
}

TEST_F(FrameworkTest, ParentlessDialogsAndBoxesBelongToTheRunningDialogWhichIsDisabledMeanwhile) {
    gx::HWND outer = nullptr;
    ProbeDialog inner([](ProbeDialog& self) {
        self.MessageBox("inner box", "caption", gx::MB_OKCANCEL);
        AfxMessageBox("framework box");
        self.EndDialog(gx::IDCANCEL);
    });
    ProbeDialog dialog([&](ProbeDialog& self) {
        outer = self.m_hWnd;
        EXPECT_EQ(inner.DoModal(), gx::IDCANCEL);
        EXPECT_TRUE(fake.ui().Window(outer).enabled);
        self.EndDialog(gx::IDOK);
    });
    app.m_pMainWnd = &dialog;
    fake.ui().User().Click(gx::IDOK).In(kInfoTemplate);
    fake.ui().User().Check([&] {
        EXPECT_EQ(fake.ui().RunningDialogs().size(), 2u);
        EXPECT_EQ(fake.ui().Window(fake.ui().ActiveDialog()).owner, outer);
        EXPECT_FALSE(fake.ui().Window(outer).enabled);
        EXPECT_EQ(app.m_hMainWnd, outer);
    });
    fake.ui().User().Click(gx::IDOK).Answer(gx::IDCANCEL).Answer(gx::IDOK);
    EXPECT_EQ(dialog.DoModal(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 2u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].caption, "caption");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].type, gx::MB_OKCANCEL);
    EXPECT_NE(fake.ui().MessageBoxes()[0].owner, outer);
    EXPECT_EQ(fake.ui().MessageBoxes()[1].caption, "gathrix");
    EXPECT_EQ(fake.ui().MessageBoxes()[1].owner, fake.ui().MessageBoxes()[0].owner);
    EXPECT_EQ(app.m_hMainWnd, nullptr);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, TheMainDialogHasNoOwnerAndAMissingTemplateEndsTheRunAtOnce) {
    ProbeDialog dialog([](ProbeDialog& self) { self.EndDialog(7); });
    app.m_pMainWnd = &dialog;
    fake.ui().User().Check([&] { EXPECT_EQ(fake.ui().Window(fake.ui().ActiveDialog()).owner, nullptr); }).Click(gx::IDOK);
    EXPECT_EQ(dialog.DoModal(), 7);
    class Missing : public CDialog {
    public:
        Missing() : CDialog(4711) {}
    } missing;
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(FrameworkTest, BoundControlsLeaveWithTheWindow) {
    CStatic text;
    class Bound : public CDialog {
    public:
        explicit Bound(CStatic& text) : CDialog(kInfoTemplate), text_(text) {}
        void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_INFO_TITLE, text_); }
        CStatic& text_;
    } dialog(text);
    fake.ui().User().Check([&] {
        ASSERT_NE(text.m_hWnd, nullptr);
        EXPECT_EQ(fake.ui().Window(text.m_hWnd).id, IDC_INFO_TITLE);
    });
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(dialog.DoModal(), gx::IDOK);
    EXPECT_EQ(text.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, TheFileWriterTruncatesAndReportsAFailedWrite) {
    const std::string path = "C:\\Tools\\CollectInfo\\out.txt";
    fake.files().WriteFile(path, "an older and longer content");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        file.Write("new", 3);
        file.Close();
    }
    EXPECT_EQ(fake.files().ReadFile(path), "new");
    auto calls = fake.CallsOf(gx::FakeOp::CreateFileA);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args[1], "0x40000000 0x0 2");

    CFile failing;
    CFileException error(CFileException::none, 0, "");
    EXPECT_FALSE(failing.Open("C:\\Missing\\out.txt", CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);

    fake.Fail(gx::FakeOp::WriteFile, gx::ERROR_DISK_FULL, 1);
    ASSERT_TRUE(failing.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    try {
        failing.Write("x", 1);
        ADD_FAILURE() << "no exception";
    } catch (const CFileException& thrown) {
        EXPECT_EQ(thrown.m_cause, CFileException::diskFull);
        EXPECT_EQ(thrown.m_lOsError, 112);
        EXPECT_EQ(thrown.m_strFileName, path);
    }
    failing.Abort();
}

TEST_F(FrameworkTest, TheOpenFileDialogIsOwnedByTheRunningDialogAndReturnsThePath) {
    std::string picked;
    ProbeDialog dialog([&](ProbeDialog& self) {
        CFileDialog files(TRUE);
        if (files.DoModal() == gx::IDOK) picked = files.GetPathName();
        CFileDialog cancelled(TRUE);
        EXPECT_EQ(cancelled.DoModal(), gx::IDCANCEL);
        self.EndDialog(gx::IDOK);
    });
    fake.ui().User().Click(gx::IDOK).PickFile("C:\\Data\\hive.sav").CancelFile();
    EXPECT_EQ(dialog.DoModal(), gx::IDOK);
    EXPECT_EQ(picked, "C:\\Data\\hive.sav");
    ASSERT_EQ(fake.ui().OpenFileDialogs().size(), 2u);
    const gx::FakeOpenFile& shown = fake.ui().OpenFileDialogs()[0];
    EXPECT_NE(shown.owner, nullptr);
    EXPECT_FALSE(shown.hasFilter);
    EXPECT_FALSE(shown.hasDefExt);
    EXPECT_EQ(shown.initialFile, "");
    EXPECT_EQ(shown.flags, gx::OFN_HIDEREADONLY | gx::OFN_EXPLORER);
    EXPECT_EQ(shown.maxFile, 260u);
}

TEST_F(FrameworkTest, TheMaximumLengthMessageNamesTheLimit) {
    EXPECT_EQ(MaxCharsPrompt(256), "Please enter no more than 256 characters.");
    EXPECT_EQ(MaxCharsPrompt(2048), "Please enter no more than 2048 characters.");
}

// The fake reports a script that does not fit the program, even from inside
// a handler that the framework shields.
TEST_F(FrameworkTest, AScriptThatDoesNotFitFailsLoudly) {
    ProbeDialog dialog([](ProbeDialog& self) { self.MessageBox("unexpected"); });
    fake.ui().User().Click(gx::IDOK).Click(gx::IDOK);
    EXPECT_THROW(dialog.DoModal(), std::logic_error);
    fake.ui().User().Clear();
}

}  // namespace
