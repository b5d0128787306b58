// Modal dialogs of the framework: a template id, a dialog procedure that
// finds the C++ object and forwards to small virtual handlers, data
// exchange between members and controls, and per-class command tables.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/wnd.h"
#include "platform/constants.h"
#include "platform/types.h"

class CDialog;

// One transfer between a dialog's members and its controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, gx::BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    // The control of an id; a missing one fails the transfer.
    gx::HWND PrepareCtrl(int id);
    // Ends the transfer (the user has been told why).
    [[noreturn]] void Fail();

    gx::BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CDialog* m_pDlgWnd;
    gx::HWND m_hWndLastControl = nullptr;
};

// Binds a control object to the dialog's control (once, both directions).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// A control's text to or from a string member.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Loading: the last control's text limit. Saving: a longer text fails the
// transfer with the standard message.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int maxChars);
// "Please enter no more than %1 characters." with %1 replaced.
std::string MaxCharsPrompt(int maxChars);

// A message box owned by the running dialog, captioned with the
// application's name.
int AfxMessageBox(const char* text, gx::UINT type = gx::MB_OK);

template <class T>
struct CommandEntry {
    int id;
    void (T::*handler)();
};

class CDialog : public CWnd {
public:
    explicit CDialog(int templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog: IDOK, IDCANCEL, or -1 when it could
    // not be created. Without a parent the running dialog owns it.
    virtual gx::INT_PTR DoModal();
    virtual gx::BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    gx::BOOL UpdateData(gx::BOOL saveAndValidate = TRUE);
    virtual void OnOK();
    virtual void OnCancel();
    // The window closes when control is back in the modal loop.
    void EndDialog(int result);

    // The innermost running dialog, else the main window: owner of boxes.
    static gx::HWND ActiveWindow();

protected:
    // The class's command table: true when a handler took the command.
    virtual bool OnCommand(int id, int notifyCode);
    template <class T, std::size_t N>
    static bool Dispatch(T* self, const CommandEntry<T> (&table)[N], int id, int notifyCode) {
        if (notifyCode != static_cast<int>(gx::BN_CLICKED)) return false;
        for (const CommandEntry<T>& entry : table)
            if (entry.id == id) {
                (self->*entry.handler)();
                return true;
            }
        return false;
    }
    // Any other message; true when handled, with the result to return.
    virtual bool OnWndMsg(gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam, gx::INT_PTR* result);
    // Leaves the current message to the dialog manager's default.
    void Default() { m_bDefault = true; }
    // The result of a handled message that is not returned directly.
    void SetMsgResult(gx::LONG_PTR value);

    int m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    friend void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
    static gx::INT_PTR DialogProc(gx::HWND window, gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam);
    gx::INT_PTR WindowProc(gx::UINT message, gx::WPARAM wParam, gx::LPARAM lParam);
    void Closed();

    std::vector<CWnd*> m_boundControls;
    bool m_bDefault = false;
};
