// The fake's windows: dialogs built from the program's templates, run by a
// modal loop that takes its input from the scripted user; controls with
// texts, enabled states, text limits and progress ranges; message boxes and
// the open-file dialog answered from the same script.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_core.h"

namespace gx {

// One scripted reaction of the user, run when the program calls a given
// operation (a dialog opening, a message box, a message pump).
using FakeScript = std::function<void()>;

// One step of the scripted user. Most happen while a dialog's modal loop
// waits for input; some during the program's own message pump or sleep
// (the middle of a collection run); answers go to the next message box or
// open-file dialog.
struct FakeUserAction {
    enum class Kind {
        Click,        // mouse click on a button (ignored when disabled or hidden)
        Type,         // replaces an edit's text, cut at its text limit
        Enter,        // the Enter key with the focus on a control
        Escape,       // the Esc key with the focus on a control (0: none)
        Close,        // close box: WM_CLOSE
        AltF4,        // WM_SYSCOMMAND SC_CLOSE
        LogOff,       // WM_QUERYENDSESSION to every running dialog
        PostCommand,  // another program posts WM_COMMAND with an id
        Answer,       // the next message box
        PickFile,     // the next open-file dialog: this file
        CancelFile,   // the next open-file dialog: cancelled
        Check,        // runs a test's script
    };
    enum class Moment { Dialog, Pump, Sleep };
    Kind kind = Kind::Check;
    Moment moment = Moment::Dialog;
    int id = 0;
    int templateId = 0;  // the dialog it is meant for; 0: the active one
    std::string text;
    int answer = 0;
    int wait = 0;  // pumps or sleeps to let pass first
    FakeScript script;  // Check: the script; Answer: run while the box is open
};

// Builds the user's script; each modifier changes the action added last.
class FakeUser {
public:
    FakeUser& Click(int id);
    FakeUser& Type(int id, const std::string& text);
    FakeUser& Enter(int focusId);
    FakeUser& Escape(int focusId = 0);
    FakeUser& Close();
    FakeUser& AltF4();
    FakeUser& LogOff();
    FakeUser& PostCommand(int id);
    FakeUser& Answer(int result, FakeScript whileOpen = {});
    FakeUser& PickFile(const std::string& path);
    FakeUser& CancelFile();
    FakeUser& Check(FakeScript script);
    FakeUser& In(int templateId);
    FakeUser& DuringPump(int wait = 0);
    FakeUser& DuringSleep(int wait = 0);
    bool Done() const { return actions_.empty(); }
    // Forgets what is left of the script.
    void Clear() { actions_.clear(); }
    // Puts an action before all others.
    void PutFirst(const FakeUserAction& action) { actions_.push_front(action); }

private:
    friend class FakeUi;
    FakeUser& Add(FakeUserAction::Kind kind);
    std::deque<FakeUserAction> actions_;
};

struct FakeMessageBox {
    HWND owner = nullptr;
    int ownerTemplate = 0;  // template of the owning dialog, 0 for none
    std::string text;
    std::string caption;
    bool hasCaption = false;
    UINT type = 0;
};

struct FakeOpenFile {
    HWND owner = nullptr;
    bool hasFilter = false;
    bool hasTitle = false;
    bool hasDefExt = false;
    std::string initialFile;
    DWORD flags = 0;
    DWORD maxFile = 0;
};

struct FakeWindow {
    int id = 0;
    std::string cls;  // "Static", "Button", "Edit", "msctls_progress32", "#32770"
    std::string text;
    bool enabled = true;
    int rangeMin = 0, rangeMax = 100, position = 0, step = 10;  // progress bars
    int textLimit = 0;
    // The dialog model: windows built from the program's templates.
    DWORD style = WS_VISIBLE;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    HWND parent = nullptr;             // a control's dialog
    HWND owner = nullptr;              // a dialog's owner window
    int templateId = 0;                // dialogs only
    DLGPROC proc = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    LONG_PTR msgResult = 0;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    bool iconic = false;
    bool visible() const { return (style & WS_VISIBLE) != 0; }
};
class FakeUi final : public UiApi, private FakeArea {
public:
    explicit FakeUi(FakeCore& core);
    GX_UI_CALLS(GX_OVERRIDE_CALL)

    // ---- the scripted user and what the program showed ----------------------
    FakeUser& User() { return user_; }
    const FakeUser& User() const { return user_; }
    const std::vector<FakeMessageBox>& MessageBoxes() const { return messageBoxes_; }
    const std::vector<FakeOpenFile>& OpenFileDialogs() const { return openFileDialogs_; }
    const std::vector<LRESULT>& EndSessionAnswers() const { return endSessionAnswers_; }
    void ClearShown() {
        messageBoxes_.clear();
        openFileDialogs_.clear();
    }
    int Beeps() const { return beeps_; }
    void ResetBeeps() { beeps_ = 0; }
    // In place of the modal loop and of message boxes.
    void OnDialogBox(std::function<INT_PTR(int templateId, HWND owner, DLGPROC proc, LPARAM param)> answer) {
        onDialogBox_ = std::move(answer);
    }
    void OnMessageBox(
        std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)> answer) {
        onMessageBox_ = std::move(answer);
    }
    void OnPeekMessage(std::function<void()> script) { onPeekMessage_ = std::move(script); }

    // ---- windows -----------------------------------------------------------
    HWND AddWindow(int id, const std::string& cls, const std::string& text = "");
    const FakeWindow& Window(HWND handle) const;
    void SetText(HWND window, const std::string& text);
    void SetText(int templateId, int id, const std::string& text);
    void SetPosition(HWND progressBar, int position);
    void Minimize(HWND window);
    // Running modal dialogs, innermost last, and what they left behind.
    const std::vector<HWND>& RunningDialogs() const { return runningDialogs_; }
    HWND ActiveDialog() const;
    HWND DialogOf(int templateId) const;  // innermost running one, else null
    const FakeWindow& Control(int templateId, int id) const;
    // The dialog and its controls as they were when it closed, by template.
    const FakeWindow& ClosedControl(int templateId, int id) const;
    // Posted by another program, waiting for the message pump.
    void QueueMessage(const MSG& msg) { messageQueue_.push_back(msg); }
    std::size_t QueuedMessages() const { return messageQueue_.size(); }

    // ---- for the other areas -----------------------------------------------
    void UserActsAt(FakeUserAction::Moment moment);
    void RecordFailure(const std::string& message);

private:
    FakeWindow& Win(HWND handle);
    HWND NewWindowHandle();
    HWND CreateDialogWindow(int templateId, HWND owner, DLGPROC proc);
    void DestroyDialog(HWND dialog);
    HWND ChildOf(HWND dialog, int id) const;
    LRESULT DeliverToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchOne(const MSG& msg);
    bool DispatchQueued(HWND dialog);
    void ClickButton(HWND button);
    void Perform(const FakeUserAction& action, HWND dialog);
    FakeUserAction TakeAnswer(const std::string& what, FakeUserAction::Kind a, FakeUserAction::Kind b);

    std::map<HWND, FakeWindow> windows_;
    std::vector<HWND> runningDialogs_;
    std::map<int, std::vector<FakeWindow>> closedDialogs_;
    FakeUser user_;
    std::vector<FakeMessageBox> messageBoxes_;
    std::vector<FakeOpenFile> openFileDialogs_;
    std::vector<LRESULT> endSessionAnswers_;
    std::function<INT_PTR(int templateId, HWND owner, DLGPROC proc, LPARAM param)> onDialogBox_;
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)> onMessageBox_;
    std::vector<MSG> messageQueue_;
    std::function<void()> onPeekMessage_;
    int beeps_ = 0;
    std::uintptr_t nextWindow_ = 0x10004;
    std::string failure_;  // an unexpected call inside a modal loop, reported when it unwinds
};

}  // namespace gx
