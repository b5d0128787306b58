#include "framework/wnd.h"

#include <vector>

#include "framework/winapp.h"
#include "platform/constants.h"
#include "platform/platform.h"

gx::HWND CWnd::Detach() {
    gx::HWND window = m_hWnd;
    m_hWnd = nullptr;
    return window;
}

gx::BOOL CWnd::SetWindowText(const char* text) { return gx::os().SetWindowTextA(m_hWnd, text); }

std::string CWnd::GetWindowText() const {
    int length = gx::os().GetWindowTextLengthA(m_hWnd);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    int got = gx::os().GetWindowTextA(m_hWnd, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

gx::BOOL CWnd::EnableWindow(gx::BOOL enable) { return gx::os().EnableWindow(m_hWnd, enable); }

gx::BOOL CWnd::IsWindowEnabled() const { return gx::os().IsWindowEnabled(m_hWnd); }

gx::LRESULT CWnd::SendMessage(gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam) {
    return gx::os().SendMessageA(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(const char* text, const char* caption, gx::UINT type) {
    CWinApp* app = AfxGetApp();
    if (caption == nullptr && app != nullptr) caption = app->m_strAppName.c_str();
    return gx::os().MessageBoxA(m_hWnd, text, caption, type);
}

void CEdit::LimitText(int maximum) { SendMessage(gx::EM_LIMITTEXT, static_cast<gx::WPARAM>(maximum), 0); }

void CProgressCtrl::SetRange(short lower, short upper) {
    // Minimum in the low word, maximum in the high word.
    gx::LPARAM range = static_cast<gx::LPARAM>((static_cast<gx::DWORD>(static_cast<gx::WORD>(upper)) << 16) |
                                               static_cast<gx::WORD>(lower));
    SendMessage(gx::PBM_SETRANGE, 0, range);
}

int CProgressCtrl::SetStep(int step) {
    return static_cast<int>(SendMessage(gx::PBM_SETSTEP, static_cast<gx::WPARAM>(step), 0));
}

int CProgressCtrl::StepIt() { return static_cast<int>(SendMessage(gx::PBM_STEPIT, 0, 0)); }
