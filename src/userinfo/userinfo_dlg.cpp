#include "userinfo/userinfo_dlg.h"

#include "framework/file.h"
#include "resource.h"
#include "trace/trace.h"

const char* const UserInfoLabels[6][2] = {
    {"Bitte geben Sie hier zusätzliche Informationen ein\n", "Please enter here additional information\n"},
    {"Name, Firma", "name, company"},
    {"Computer", "computer"},
    {"Kurze Beschreibung des Problems", "short explanation of the problem"},
    {"Welches Produkt installieren Sie?", "which product do you install?"},
    {"Kontakt/Emailadresse", "email address"},
};

namespace {
// Shown for an open failure and a write failure alike, spelled as it always was.
constexpr char kCannotWrite[] = "Could not open userinfo,txt";
// Answer text per trace line: the line keeps its time stamp and label.
constexpr std::size_t kAnswerPart = 400;

// One line per part of an answer; its line breaks written as "\n", so that
// every line of the log keeps its time stamp.
void TraceAnswer(const std::string& label, const std::string& answer) {
    std::string flat;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        if (answer[i] == '\r' && i + 1 < answer.size() && answer[i + 1] == '\n') continue;
        flat += answer[i] == '\r' || answer[i] == '\n' ? std::string("\\n") : std::string(1, answer[i]);
    }
    std::size_t start = 0;
    do {
        Trace(TRACE_INFO, "CUserInfoDlg::OnOK, %s: %s", label.c_str(), flat.substr(start, kAnswerPart).c_str());
        start += kAnswerPart;
    } while (start < flat.size());
}
}  // namespace

CUserInfoDlg::CUserInfoDlg(CWnd* pParent) : CDialog(IDD_USERINFO_DIALOG, pParent) {}

gx::BOOL CUserInfoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_Action.GetDest_Path();
    m_strLabelIntro = UserInfoLabels[kLabelIntro][m_Action.CheckLanguage()];
    m_strLabelName = UserInfoLabels[kLabelName][m_Action.CheckLanguage()];
    m_strLabelComputer = UserInfoLabels[kLabelComputer][m_Action.CheckLanguage()];
    m_strLabelProblem = UserInfoLabels[kLabelProblem][m_Action.CheckLanguage()];
    m_strLabelProduct = UserInfoLabels[kLabelProduct][m_Action.CheckLanguage()];
    m_strLabelEmail = UserInfoLabels[kLabelEmail][m_Action.CheckLanguage()];
    UpdateData(FALSE);
    return TRUE;
}

void CUserInfoDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROBLEM, m_strProblem);
    DDV_MaxChars(pDX, m_strProblem, kProblemMaxChars);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kFieldMaxChars);
    DDX_Text(pDX, IDC_INTRO, m_strLabelIntro);
    DDX_Text(pDX, IDC_COMPUTER_LABEL, m_strLabelComputer);
    DDX_Text(pDX, IDC_PROBLEM_LABEL, m_strLabelProblem);
    DDX_Text(pDX, IDC_NAME_LABEL, m_strLabelName);
    DDX_Text(pDX, IDC_COMPUTER, m_strComputer);
    DDV_MaxChars(pDX, m_strComputer, kFieldMaxChars);
    DDX_Text(pDX, IDC_EMAIL, m_strEmail);
    DDV_MaxChars(pDX, m_strEmail, kFieldMaxChars);
    DDX_Text(pDX, IDC_PRODUCT, m_strProduct);
    DDV_MaxChars(pDX, m_strProduct, kFieldMaxChars);
    DDX_Text(pDX, IDC_EMAIL_LABEL, m_strLabelEmail);
    DDX_Text(pDX, IDC_PRODUCT_LABEL, m_strLabelProduct);
}

void CUserInfoDlg::WriteBlocks(CFile& file) const {
    const std::string blocks[] = {
        "\r\n" + m_strLabelName + ": \r\n" + m_strName,
        "\r\n\r\n" + m_strLabelComputer + ": \r\n" + m_strComputer,
        "\r\n\r\n" + m_strLabelProduct + ": \r\n" + m_strProduct,
        "\r\n\r\n" + m_strLabelEmail + ": \r\n" + m_strEmail,
        "\r\n\r\n" + m_strLabelProblem + ": \r\n" + m_strProblem,
    };
    for (const std::string& block : blocks) file.Write(block.data(), static_cast<gx::UINT>(block.size()));
}

void CUserInfoDlg::OnOK() {
    // An empty output folder was refused: never write to a relative path.
    // The folder ends with a backslash; the doubled one is harmless.
    const std::string path = m_Action.m_szDest_Path.empty() ? std::string() : m_Action.m_szDest_Path + "\\userinfo.txt";
    CFile file;
    CFileException openError(CFileException::none, -1, path);
    bool written = false;
    if (!path.empty() && m_Action.OutputLinkRefused("CUserInfoDlg::OnOK", path)) {
        MessageBox(kCannotWrite);
    } else if (path.empty() || !file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite, &openError)) {
        Trace(TRACE_ERROR, "ERR CUserInfoDlg::OnOK -> open %s: %ld", path.c_str(),
              static_cast<long>(openError.m_lOsError));
        MessageBox(kCannotWrite);
    } else {
        UpdateData(TRUE);
        try {
            WriteBlocks(file);
            file.Close();
            written = true;
        } catch (const CFileException& error) {
            // After a complete collection a full disk must not end the
            // program: the user is told and the dialog ends as usual.
            file.Abort();
            Trace(TRACE_ERROR, "ERR CUserInfoDlg::OnOK -> write %s: %ld", path.c_str(),
                  static_cast<long>(error.m_lOsError));
            MessageBox(kCannotWrite);
        }
    }
    m_bAnswered = true;
    m_bFileWritten = written;
    if (!written) {
        // The user cannot retry: what was typed goes to the trace log, which
        // travels to support with the rest (a file held open by another
        // program leaves the log writable).
        UpdateData(TRUE);
        TraceAnswer(m_strLabelName, m_strName);
        TraceAnswer(m_strLabelComputer, m_strComputer);
        TraceAnswer(m_strLabelProduct, m_strProduct);
        TraceAnswer(m_strLabelEmail, m_strEmail);
        TraceAnswer(m_strLabelProblem, m_strProblem);
    }
    CDialog::OnOK();
}
