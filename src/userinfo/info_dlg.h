// The info box of the collection dialog: tool, version, purpose and the
// output folder.
#pragma once

#include <string>

#include "framework/dialog.h"

extern const char* const InfoIntroText[1][2];
constexpr char kProductVersionText[] = "V 07.00.1.3402";

// A folder member without its trailing backslash, as the user reads it.
std::string FolderForDisplay(const std::string& folder);

class CInfoDlg : public CDialog {
public:
    explicit CInfoDlg(CWnd* pParent = nullptr);

    std::string m_strTitle;
    std::string m_strText;

protected:
    gx::BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};
