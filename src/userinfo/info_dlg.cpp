#include "userinfo/info_dlg.h"

#include "environment/action.h"
#include "resource.h"

const char* const InfoIntroText[1][2] = {
    {"Sammelt Informationen der Corvane NET CD - Installation.\nDie Informationen werden abgelegt in:\n",
     "Collects information of the CORVANE NET CD - installation.\nThe information is stored in:\n"},
};

std::string FolderForDisplay(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder.substr(0, folder.size() - 1);
    return folder;
}

CInfoDlg::CInfoDlg(CWnd* pParent) : CDialog(IDD_INFO_DIALOG, pParent) {}

gx::BOOL CInfoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_strTitle = std::string(kToolCaption) + kProductVersionText;
    CAction action;
    m_strText = std::string(InfoIntroText[0][action.CheckLanguage()]) + FolderForDisplay(action.m_szDest_Path);
    UpdateData(FALSE);
    return TRUE;
}

void CInfoDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_INFO_TITLE, m_strTitle);
    DDX_Text(pDX, IDC_INFO_TEXT, m_strText);
}
