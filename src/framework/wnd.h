// Window and control classes of the dialog framework: thin holders of a
// window handle whose operations are the window calls of the boundary.
#pragma once

#include <string>

#include "platform/types.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    gx::HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(gx::HWND window) { m_hWnd = window; }
    gx::HWND Detach();

    gx::BOOL SetWindowText(const char* text);
    std::string GetWindowText() const;
    gx::BOOL EnableWindow(gx::BOOL enable = 1);
    gx::BOOL IsWindowEnabled() const;
    gx::LRESULT SendMessage(gx::UINT message, gx::WPARAM wParam = 0, gx::LPARAM lParam = 0);
    // Owned by this window; without a caption the application's name.
    int MessageBox(const char* text, const char* caption = nullptr, gx::UINT type = 0);

    gx::HWND m_hWnd = nullptr;
};

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CEdit : public CWnd {
public:
    void LimitText(int maximum);
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper);
    int SetStep(int step);
    int StepIt();
};
