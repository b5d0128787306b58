#include "app/gathrix_dlg.h"

#include <string>

#include "app/gathrix_app.h"
#include "app/messages.h"
#include "environment/action.h"
#include "handoff/handoff.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "resource.h"
#include "userinfo/info_dlg.h"
#include "userinfo/userinfo_dlg.h"

namespace {
// The final text is composed in a buffer of this many characters, NUL included.
constexpr std::size_t kFinalTextBuffer = 512;
}  // namespace

CGathrixDlg::CGathrixDlg(CWnd* pParent)
    : CDialog(IDD_GATHRIX_DIALOG, pParent), m_bFinished(0),
      m_hIcon(gx::os().LoadIconA(nullptr, IDR_MAINFRAME)) {}

void CGathrixDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MESSAGE, m_stcMessage);
    DDX_Control(pDX, gx::IDOK, m_btnStart);
    DDX_Control(pDX, gx::IDCANCEL, m_btnEnd);
    DDX_Control(pDX, IDC_STATUS, m_stcStatus);
    DDX_Control(pDX, IDC_PROGRESS, m_ctlProgress);
}

bool CGathrixDlg::OnCommand(int id, int notifyCode) {
    static const CommandEntry<CGathrixDlg> table[] = {
        {gx::IDOK, &CGathrixDlg::OnStart},
        {IDC_INFO, &CGathrixDlg::OnInfo},
        {gx::IDCANCEL, &CGathrixDlg::OnCancel},
    };
    return Dispatch(this, table, id, notifyCode) || CDialog::OnCommand(id, notifyCode);
}

bool CGathrixDlg::OnWndMsg(gx::UINT message, gx::WPARAM wParam, gx::LPARAM, gx::INT_PTR* result) {
    if (!m_bRunning) return false;
    switch (message) {
    case gx::WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != gx::SC_CLOSE) return false;
        [[fallthrough]];
    case gx::WM_CLOSE:
        // Taken here: the dialog manager would turn it into Cancel.
        *result = TRUE;
        return true;
    case gx::WM_QUERYENDSESSION:
        // A logoff now would end the run half way.
        SetMsgResult(FALSE);
        *result = TRUE;
        return true;
    default:
        return false;
    }
}

gx::BOOL CGathrixDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(gx::WM_SETICON, gx::ICON_BIG, reinterpret_cast<gx::LPARAM>(m_hIcon));
    SendMessage(gx::WM_SETICON, gx::ICON_SMALL, reinterpret_cast<gx::LPARAM>(m_hIcon));
    // Its construction puts the folders and the Windows version in the log.
    CAction action;
    SetWindowText(kToolCaption);
    m_bFinished = 0;
    m_stcMessage.SetWindowText(MainDlgMessage(kMsgPrompt, action.CheckLanguage()));
    m_btnStart.SetWindowText(MainDlgMessage(kMsgStart, action.CheckLanguage()));
    m_btnEnd.SetWindowText(MainDlgMessage(kMsgEnd, action.CheckLanguage()));
    return TRUE;
}

void CGathrixDlg::OnStart() {
    // A Start posted by another program while the run pumps its messages.
    if (m_bRunning) return;
    m_btnEnd.EnableWindow(FALSE);
    m_btnStart.EnableWindow(FALSE);
    struct Running {
        explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
        ~Running() { flag_ = false; }
        bool& flag_;
    } running(m_bRunning);
    bool completed = false;

    CAction action(&m_ctlProgress, &m_stcStatus);
    m_stcMessage.SetWindowText(MainDlgMessage(kMsgCollecting, action.CheckLanguage()));
    if (!action.Init()) {
        m_stcMessage.SetWindowText(MainDlgMessage(kMsgError3, action.CheckLanguage()));
    } else {
        action.DeleteAllDirecory();
        if (!action.Collect_Files()) {
            m_stcMessage.SetWindowText(MainDlgMessage(kMsgError1, action.CheckLanguage()));
        } else if (!action.Collect_Registry()) {
            m_stcMessage.SetWindowText(MainDlgMessage(kMsgError2, action.CheckLanguage()));
        } else {
            action.Collect_FileAttributes();
            std::string text =
                MainDlgMessage(kMsgFinal, action.CheckLanguage()) + FolderForDisplay(action.m_szDest_Path);
            if (text.size() >= kFinalTextBuffer) text.resize(kFinalTextBuffer - 1);
            m_stcMessage.SetWindowText(text.c_str());
            completed = true;
            m_bFinished = 1;

            CUserInfoDlg questionnaire;
            questionnaire.DoModal();
            HandOff(action, kVersionText,
                    {questionnaire.m_bAnswered, questionnaire.m_bFileWritten, questionnaire.m_strProduct,
                     questionnaire.m_strProblem});
            MessageBox(text.c_str(), kToolCaption, gx::MB_OK | gx::MB_SETFOREGROUND);
            OnOK();
        }
    }
    m_btnEnd.EnableWindow(TRUE);
    if (!completed) m_btnStart.EnableWindow(TRUE);
}

void CGathrixDlg::OnCancel() {
    if (m_bRunning) return;
    if (m_bFinished == 1)
        OnOK();
    else
        EndDialog(gx::IDCANCEL);
}

void CGathrixDlg::OnInfo() {
    CInfoDlg info;
    info.DoModal();
}
