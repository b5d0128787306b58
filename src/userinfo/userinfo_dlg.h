// The questionnaire after a complete collection: five answers, written with
// their labels to "userinfo.txt" in the output folder when OK is pressed.
#pragma once

#include <string>

#include "environment/action.h"
#include "framework/dialog.h"

class CFile;

// Labels in both languages, in the layout of every text table.
enum UserInfoLabel { kLabelIntro, kLabelName, kLabelComputer, kLabelProblem, kLabelProduct, kLabelEmail };
extern const char* const UserInfoLabels[6][2];

constexpr int kProblemMaxChars = 2048;
constexpr int kFieldMaxChars = 256;

class CUserInfoDlg : public CDialog {
public:
    explicit CUserInfoDlg(CWnd* pParent = nullptr);

    CAction m_Action;
    std::string m_strProblem;
    std::string m_strName;
    std::string m_strLabelIntro;
    std::string m_strLabelComputer;
    std::string m_strLabelProblem;
    std::string m_strLabelName;
    std::string m_strComputer;
    std::string m_strEmail;
    std::string m_strProduct;
    std::string m_strLabelEmail;
    std::string m_strLabelProduct;

    // What OK did, for the overview: pressed at all, and the file written.
    bool m_bAnswered = false;
    bool m_bFileWritten = false;

protected:
    gx::BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    void WriteBlocks(CFile& file) const;
};
