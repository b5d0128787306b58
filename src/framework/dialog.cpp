#include "framework/dialog.h"

#include <algorithm>
#include <new>

#include "framework/exceptions.h"
#include "framework/winapp.h"
#include "platform/platform.h"

namespace {

// Running dialogs, innermost last; the dialog procedure finds its object here.
std::vector<CDialog*> g_running;

std::string TextOf(gx::HWND window) {
    int length = gx::os().GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    int got = gx::os().GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

}  // namespace

// ---- data exchange ----------------------------------------------------------

gx::HWND CDataExchange::PrepareCtrl(int id) {
    gx::HWND control = gx::os().GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (control == nullptr) Fail();
    m_hWndLastControl = control;
    return control;
}

void CDataExchange::Fail() { throw CUserException(); }

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd != nullptr) return;
    control.Attach(pDX->PrepareCtrl(id));
    pDX->m_pDlgWnd->m_boundControls.push_back(&control);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    gx::HWND control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = TextOf(control);
    else
        gx::os().SetWindowTextA(control, value.c_str());
}

std::string MaxCharsPrompt(int maxChars) {
    std::string prompt = "Please enter no more than %1 characters.";
    prompt.replace(prompt.find("%1"), 2, std::to_string(maxChars));
    return prompt;
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int maxChars) {
    if (pDX->m_bSaveAndValidate) {
        if (value.size() > static_cast<std::size_t>(maxChars)) {
            pDX->m_pDlgWnd->MessageBox(MaxCharsPrompt(maxChars).c_str(), nullptr, gx::MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    } else if (pDX->m_hWndLastControl != nullptr) {
        gx::os().SendMessageA(pDX->m_hWndLastControl, gx::EM_LIMITTEXT, static_cast<gx::WPARAM>(maxChars), 0);
    }
}

int AfxMessageBox(const char* text, gx::UINT type) {
    CWinApp* app = AfxGetApp();
    return gx::os().MessageBoxA(CDialog::ActiveWindow(), text, app != nullptr ? app->m_strAppName.c_str() : nullptr,
                                type);
}

// ---- the dialog -------------------------------------------------------------

CDialog::CDialog(int templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

gx::HWND CDialog::ActiveWindow() {
    for (auto it = g_running.rbegin(); it != g_running.rend(); ++it)
        if ((*it)->m_hWnd != nullptr) return (*it)->m_hWnd;
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_hMainWnd : nullptr;
}

gx::INT_PTR CDialog::DoModal() {
    gx::HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    CWinApp* app = AfxGetApp();
    if (owner == nullptr && !(app != nullptr && app->m_pMainWnd == this)) owner = ActiveWindow();
    g_running.push_back(this);
    gx::INT_PTR result = -1;
    try {
        result = gx::os().DialogBoxParamA(nullptr, m_nIDTemplate, owner, &CDialog::DialogProc,
                                          reinterpret_cast<gx::LPARAM>(this));
    } catch (...) {
        Closed();
        throw;
    }
    Closed();
    return result;
}

void CDialog::Closed() {
    g_running.erase(std::remove(g_running.begin(), g_running.end(), this), g_running.end());
    // The controls went with the window.
    for (CWnd* control : m_boundControls) control->Detach();
    m_boundControls.clear();
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) app->m_hMainWnd = nullptr;
    m_hWnd = nullptr;
}

gx::INT_PTR CDialog::DialogProc(gx::HWND window, gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == gx::WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = window;
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->m_pMainWnd == self) app->m_hMainWnd = window;
    } else {
        for (CDialog* running : g_running)
            if (running->m_hWnd == window) self = running;
    }
    if (self == nullptr) return FALSE;
    // Nothing may unwind through the platform's dialog manager.
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (const CException& error) {
        error.ReportError();
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Out of memory.", gx::MB_ICONHAND);
    } catch (...) {
        AfxMessageBox("An unsupported operation was attempted.", gx::MB_ICONHAND);
    }
    return message == gx::WM_INITDIALOG ? TRUE : FALSE;
}

gx::INT_PTR CDialog::WindowProc(gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam) {
    if (message == gx::WM_INITDIALOG) return OnInitDialog();
    if (message == gx::WM_COMMAND)
        return OnCommand(static_cast<int>(wParam & 0xFFFF), static_cast<int>((wParam >> 16) & 0xFFFF)) ? TRUE
                                                                                                           : FALSE;
    gx::INT_PTR result = 0;
    m_bDefault = false;
    if (!OnWndMsg(message, wParam, lParam, &result) || m_bDefault) return FALSE;
    return result;
}

bool CDialog::OnCommand(int id, int notifyCode) {
    static const CommandEntry<CDialog> table[] = {
        {gx::IDOK, &CDialog::OnOK},
        {gx::IDCANCEL, &CDialog::OnCancel},
    };
    return Dispatch(this, table, id, notifyCode);
}

bool CDialog::OnWndMsg(gx::UINT, gx::WPARAM, gx::LPARAM, gx::INT_PTR*) { return false; }

void CDialog::SetMsgResult(gx::LONG_PTR value) { gx::os().SetWindowLongPtrA(m_hWnd, gx::DWLP_MSGRESULT, value); }

gx::BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

gx::BOOL CDialog::UpdateData(gx::BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(gx::IDOK);
}

void CDialog::OnCancel() { EndDialog(gx::IDCANCEL); }

void CDialog::EndDialog(int result) { gx::os().EndDialog(m_hWnd, result); }
