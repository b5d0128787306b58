// The registry import tool: loads the five saved hives below
// HKLM\Software\Gathrix\<subfolder> and removes that branch again.
#pragma once

#include <string>

#include "framework/dialog.h"
#include "framework/wnd.h"

class CRegImportDlg : public CDialog {
public:
    explicit CRegImportDlg(CWnd* pParent = nullptr);

    std::string m_strInfo;
    CEdit m_editUser;
    gx::HICON m_hIcon;

protected:
    gx::BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(int id, int notifyCode) override;
    bool OnWndMsg(gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam, gx::INT_PTR* result) override;
    void OnPaint();
    gx::HICON OnQueryDragIcon();
    void OnButtonImport();
    void OnButtonDelete();
};
