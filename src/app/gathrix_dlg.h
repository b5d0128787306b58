// The collection dialog: the prompt, Start, End and Info, and a whole
// collection run inside the Start handler.
#pragma once

#include "framework/dialog.h"
#include "framework/wnd.h"

class CGathrixDlg : public CDialog {
public:
    explicit CGathrixDlg(CWnd* pParent = nullptr);

    gx::BOOL m_bFinished;  // 1 once a run completed: closing then means OK
    CStatic m_stcMessage;
    CButton m_btnStart;
    CButton m_btnEnd;
    CStatic m_stcStatus;
    CProgressCtrl m_ctlProgress;
    gx::HICON m_hIcon;

protected:
    gx::BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(int id, int notifyCode) override;
    bool OnWndMsg(gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam, gx::INT_PTR* result) override;
    void OnCancel() override;
    void OnStart();
    void OnInfo();

private:
    // The run's objects live on OnStart's stack while the steps pump
    // messages: until it returns, every way of closing is refused.
    bool m_bRunning = false;
};
