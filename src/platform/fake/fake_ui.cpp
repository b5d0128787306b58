// The fake's windows_: dialogs built from the program's templates, run by a
// modal loop that takes its input from the scripted user_; controls with
// texts, enabled states, text limits and progress ranges; message boxes and
// the open-file dialog answered from the same script.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/fake/fake_ui.h"
#include "platform/fake/fake_templates.h"

namespace gx {

namespace {

using Kind = FakeUserAction::Kind;
using Moment = FakeUserAction::Moment;

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::Click: return "Click";
    case Kind::Type: return "Type";
    case Kind::Enter: return "Enter";
    case Kind::Escape: return "Escape";
    case Kind::Close: return "Close";
    case Kind::AltF4: return "AltF4";
    case Kind::LogOff: return "LogOff";
    case Kind::PostCommand: return "PostCommand";
    case Kind::Answer: return "Answer";
    case Kind::PickFile: return "PickFile";
    case Kind::CancelFile: return "CancelFile";
    case Kind::Check: return "Check";
    }
    return "?";
}

std::string Describe(const std::deque<FakeUserAction>& actions) {
    if (actions.empty()) return "the user's script is done";
    const FakeUserAction& next = actions.front();
    return std::string("the user's next action is ") + KindName(next.kind) + " " + std::to_string(next.id) +
           (next.moment == Moment::Pump ? " during a pump" : next.moment == Moment::Sleep ? " during a sleep" : "");
}

WPARAM Command(int id, UINT code) {
    return static_cast<WPARAM>((static_cast<DWORD>(code) << 16) | static_cast<WORD>(id));
}

bool IsEdit(const FakeWindow& window) { return window.cls == "Edit"; }
bool IsMultiLine(const FakeWindow& window) {
    return IsEdit(window) && (window.style & ES_MULTILINE) != 0;
}
bool IsDefaultButton(const FakeWindow& window) {
    return window.cls == "Button" && (window.style & 0xF) == BS_DEFPUSHBUTTON;
}

// Edit controls hold at most their text limit (Windows' default otherwise).
std::size_t LimitOf(const FakeWindow& window) {
    return window.textLimit > 0 ? static_cast<std::size_t>(window.textLimit) : 30000u;
}

}  // namespace

// ---- the script --------------------------------------------------------------

FakeUser& FakeUser::Add(Kind kind) {
    FakeUserAction action;
    action.kind = kind;
    actions_.push_back(action);
    return *this;
}

FakeUser& FakeUser::Click(int id) {
    Add(Kind::Click).actions_.back().id = id;
    return *this;
}
FakeUser& FakeUser::Type(int id, const std::string& text) {
    Add(Kind::Type).actions_.back().id = id;
    actions_.back().text = text;
    return *this;
}
FakeUser& FakeUser::Enter(int focusId) {
    Add(Kind::Enter).actions_.back().id = focusId;
    return *this;
}
FakeUser& FakeUser::Escape(int focusId) {
    Add(Kind::Escape).actions_.back().id = focusId;
    return *this;
}
FakeUser& FakeUser::Close() { return Add(Kind::Close); }
FakeUser& FakeUser::AltF4() { return Add(Kind::AltF4); }
FakeUser& FakeUser::LogOff() { return Add(Kind::LogOff); }
FakeUser& FakeUser::PostCommand(int id) {
    Add(Kind::PostCommand).actions_.back().id = id;
    return *this;
}
FakeUser& FakeUser::Answer(int result, FakeScript whileOpen) {
    Add(Kind::Answer).actions_.back().answer = result;
    actions_.back().script = std::move(whileOpen);
    return *this;
}
FakeUser& FakeUser::PickFile(const std::string& path) {
    Add(Kind::PickFile).actions_.back().text = path;
    return *this;
}
FakeUser& FakeUser::CancelFile() { return Add(Kind::CancelFile); }
FakeUser& FakeUser::Check(FakeScript script) {
    Add(Kind::Check).actions_.back().script = std::move(script);
    return *this;
}
FakeUser& FakeUser::In(int templateId) {
    actions_.back().templateId = templateId;
    return *this;
}
FakeUser& FakeUser::DuringPump(int wait) {
    actions_.back().moment = Moment::Pump;
    actions_.back().wait = wait;
    return *this;
}
FakeUser& FakeUser::DuringSleep(int wait) {
    actions_.back().moment = Moment::Sleep;
    actions_.back().wait = wait;
    return *this;
}

// ---- windows -------------------------------------------------------------------

BOOL FakeUi::InitCommonControls() {
    Log(FakeOp::InitCommonControls);
    return FailsNow(FakeOp::InitCommonControls, LastArgs()) ? FALSE : TRUE;
}

HWND FakeUi::NewWindowHandle() {
    // Small distinct numbers, never dereferenced and never reused.
    HWND handle = reinterpret_cast<HWND>(nextWindow_);
    nextWindow_ += 4;
    return handle;
}

HWND FakeUi::AddWindow(int id, const std::string& cls, const std::string& text) {
    HWND handle = NewWindowHandle();
    FakeWindow& window = windows_[handle];
    window.id = id;
    window.cls = cls;
    window.text = text;
    return handle;
}

FakeUi::FakeUi(FakeCore& core) : FakeArea(core) { core.MayFail({FakeOp::InitCommonControls}); }

FakeWindow& FakeUi::Win(HWND handle) {
    auto it = windows_.find(handle);
    if (it == windows_.end()) Unexpected("a window operation on an unknown window");
    return it->second;
}

const FakeWindow& FakeUi::Window(HWND handle) const {
    auto it = windows_.find(handle);
    if (it == windows_.end()) throw std::logic_error("no such window");
    return it->second;
}

void FakeUi::SetText(HWND window, const std::string& text) { Win(window).text = text; }
void FakeUi::SetText(int templateId, int id, const std::string& text) {
    HWND dialog = DialogOf(templateId);
    HWND control = dialog != nullptr ? ChildOf(dialog, id) : nullptr;
    if (control == nullptr) throw std::logic_error("SetText: no control " + std::to_string(id));
    Win(control).text = text;
}
void FakeUi::SetPosition(HWND progressBar, int position) { Win(progressBar).position = position; }
void FakeUi::Minimize(HWND window) { Win(window).iconic = true; }

HWND FakeUi::ActiveDialog() const { return runningDialogs_.empty() ? nullptr : runningDialogs_.back(); }

HWND FakeUi::DialogOf(int templateId) const {
    for (auto it = runningDialogs_.rbegin(); it != runningDialogs_.rend(); ++it)
        if (windows_.at(*it).templateId == templateId) return *it;
    return nullptr;
}

const FakeWindow& FakeUi::Control(int templateId, int id) const {
    HWND dialog = DialogOf(templateId);
    if (dialog == nullptr) throw std::logic_error("Control: dialog " + std::to_string(templateId) + " is not running");
    HWND control = ChildOf(dialog, id);
    if (control == nullptr) throw std::logic_error("Control: no control " + std::to_string(id));
    return windows_.at(control);
}

const FakeWindow& FakeUi::ClosedControl(int templateId, int id) const {
    auto it = closedDialogs_.find(templateId);
    if (it == closedDialogs_.end()) throw std::logic_error("dialog " + std::to_string(templateId) + " never closed");
    for (std::size_t i = 1; i < it->second.size(); ++i)
        if (it->second[i].id == id) return it->second[i];
    throw std::logic_error("no control " + std::to_string(id));
}

HWND FakeUi::ChildOf(HWND dialog, int id) const {
    for (const auto& entry : windows_)
        if (entry.second.parent == dialog && entry.second.id == id) return entry.first;
    return nullptr;
}

HWND FakeUi::CreateDialogWindow(int templateId, HWND owner, DLGPROC proc) {
    const FakeDialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
    HWND dialog = NewWindowHandle();
    FakeWindow& window = windows_[dialog];
    window.cls = "#32770";
    window.text = dialogTemplate->caption != nullptr ? dialogTemplate->caption : "";
    // DialogBox shows the dialog whether or not its template says visible.
    window.style = dialogTemplate->style | WS_VISIBLE;
    window.exStyle = dialogTemplate->exStyle;
    window.cx = dialogTemplate->cx;
    window.cy = dialogTemplate->cy;
    window.owner = owner;
    window.templateId = templateId;
    window.proc = proc;
    for (const FakeControlTemplate& item : dialogTemplate->controls) {
        HWND handle = NewWindowHandle();
        FakeWindow& control = windows_[handle];
        control.id = item.id;
        control.cls = item.cls;
        control.text = item.text;
        control.style = item.style;
        control.enabled = (item.style & WS_DISABLED) == 0;
        control.x = item.x;
        control.y = item.y;
        control.cx = item.cx;
        control.cy = item.cy;
        control.parent = dialog;
    }
    return dialog;
}

void FakeUi::DestroyDialog(HWND dialog) {
    std::vector<FakeWindow>& snapshot = closedDialogs_[windows_.at(dialog).templateId];
    snapshot.clear();
    snapshot.push_back(windows_.at(dialog));
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (it->second.parent == dialog) {
            snapshot.push_back(it->second);
            it = windows_.erase(it);
        } else {
            ++it;
        }
    }
    windows_.erase(dialog);
    // Messages for windows_ that are gone are dropped, as Windows does.
    messageQueue_.erase(std::remove_if(messageQueue_.begin(), messageQueue_.end(),
                                      [this](const MSG& msg) { return windows_.count(msg.hwnd) == 0; }),
                       messageQueue_.end());
}

void FakeUi::RecordFailure(const std::string& message) {
    if (!runningDialogs_.empty() && failure_.empty()) failure_ = message;
}

INT_PTR FakeUi::DialogBoxParamA(HMODULE, int templateId, HWND owner, DLGPROC proc, LPARAM param) {
    Log(FakeOp::DialogBoxParamA, {std::to_string(templateId)});
    if (onDialogBox_) return onDialogBox_(templateId, owner, proc, param);
    if (!failure_.empty()) return -1;
    if (FindDialogTemplate(templateId) == nullptr || proc == nullptr) {
        SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    HWND dialog = CreateDialogWindow(templateId, owner, proc);
    // A modal dialog disables its owner while it runs.
    bool ownerDisabled = false;
    auto ownerWindow = windows_.find(owner);
    if (ownerWindow != windows_.end() && ownerWindow->second.enabled) {
        ownerWindow->second.enabled = false;
        ownerDisabled = true;
    }
    runningDialogs_.push_back(dialog);
    try {
        HWND focus = nullptr;
        for (auto& entry : windows_)
            if (entry.second.parent == dialog && (entry.second.style & WS_TABSTOP) != 0 && entry.second.visible() &&
                entry.second.enabled) {
                focus = entry.first;
                break;
            }
        proc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
        while (failure_.empty() && !windows_.at(dialog).ended) {
            if (DispatchQueued(dialog)) continue;
            if (user_.actions_.empty() || user_.actions_.front().moment != Moment::Dialog ||
                user_.actions_.front().kind == Kind::Answer || user_.actions_.front().kind == Kind::PickFile ||
                user_.actions_.front().kind == Kind::CancelFile) {
                RecordFailure("dialog " + std::to_string(templateId) + " waits for input, but " +
                              Describe(user_.actions_));
                break;
            }
            FakeUserAction action = user_.actions_.front();
            user_.actions_.pop_front();
            Perform(action, dialog);
        }
    } catch (const std::exception& error) {
        RecordFailure(error.what());
    }
    INT_PTR result = windows_.at(dialog).ended ? windows_.at(dialog).result : -1;
    runningDialogs_.pop_back();
    DestroyDialog(dialog);
    if (ownerDisabled && windows_.count(owner) != 0) windows_.at(owner).enabled = true;
    if (!failure_.empty() && runningDialogs_.empty()) {
        std::string failure = failure_;
        failure_.clear();
        throw std::logic_error(failure);
    }
    return result;
}

BOOL FakeUi::EndDialog(HWND dialog, INT_PTR result) {
    Log(FakeOp::EndDialog, {std::to_string(result)});
    auto it = windows_.find(dialog);
    if (it != windows_.end() && it->second.templateId != 0) {
        // The window goes when control returns to its modal loop.
        it->second.ended = true;
        it->second.result = result;
    }
    return TRUE;
}

HWND FakeUi::GetDlgItem(HWND dialog, int id) {
    Log(FakeOp::GetDlgItem, {std::to_string(id)});
    auto it = windows_.find(dialog);
    if (it != windows_.end() && it->second.templateId != 0) {
        if (HWND control = ChildOf(dialog, id)) return control;
    } else {
        // Windows added one by one belong to no dialog.
        for (auto& entry : windows_)
            if (entry.second.id == id && entry.second.templateId == 0) return entry.first;
    }
    SetError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

BOOL FakeUi::SetWindowTextA(HWND window, const char* text) {
    FakeWindow& target = Win(window);
    Log(FakeOp::SetWindowTextA, {target.templateId != 0 ? "dialog " + std::to_string(target.templateId)
                                                  : std::to_string(target.id),
                           text != nullptr ? text : ""});
    target.text = text != nullptr ? text : "";
    return TRUE;
}

int FakeUi::GetWindowTextA(HWND window, char* buffer, int size) {
    Log(FakeOp::GetWindowTextA, {std::to_string(size)});
    const std::string& text = Win(window).text;
    if (size <= 0) return 0;
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

int FakeUi::GetWindowTextLengthA(HWND window) {
    Log(FakeOp::GetWindowTextLengthA);
    return static_cast<int>(Win(window).text.size());
}

BOOL FakeUi::EnableWindow(HWND window, BOOL enable) {
    FakeWindow& target = Win(window);
    Log(FakeOp::EnableWindow, {std::to_string(target.id), std::to_string(enable)});
    BOOL wasDisabled = target.enabled ? FALSE : TRUE;
    target.enabled = enable != FALSE;
    return wasDisabled;
}

BOOL FakeUi::IsWindowEnabled(HWND window) {
    Log(FakeOp::IsWindowEnabled);
    return Win(window).enabled ? TRUE : FALSE;
}

LONG_PTR FakeUi::SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    FakeWindow& target = Win(window);
    Log(FakeOp::SetWindowLongPtrA, {std::to_string(index), std::to_string(value)});
    if (index != DWLP_MSGRESULT) Unexpected("SetWindowLongPtrA other than DWLP_MSGRESULT");
    LONG_PTR previous = target.msgResult;
    target.msgResult = value;
    return previous;
}

// DefDlgProc: what a dialog does with a message its procedure left alone.
LRESULT FakeUi::DeliverToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DLGPROC proc = Win(dialog).proc;
    INT_PTR handled = proc != nullptr ? proc(dialog, message, wParam, lParam) : FALSE;
    if (windows_.count(dialog) == 0) return 0;
    if (handled) {
        // A few messages return the procedure's result itself.
        if (message == WM_INITDIALOG || message == WM_QUERYDRAGICON) return handled;
        return windows_.at(dialog).msgResult;
    }
    switch (message) {
    case WM_CLOSE: {
        // Closing means Cancel, and only while Cancel could be pressed; a
        // disabled Cancel beeps_ instead, as on Windows (Wine posts it anyway).
        HWND cancel = ChildOf(dialog, IDCANCEL);
        if (cancel == nullptr || windows_.at(cancel).enabled)
            PostMessageA(dialog, WM_COMMAND, Command(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        else
            MessageBeep(0);
        return 0;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) return DeliverToDialog(dialog, WM_CLOSE, 0, 0);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    default:
        return 0;
    }
}

void FakeUi::ClickButton(HWND button) {
    FakeWindow& target = Win(button);
    if (!target.enabled || !target.visible()) {
        return;
    }
    DeliverToDialog(target.parent, WM_COMMAND, Command(target.id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

LRESULT FakeUi::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FakeWindow& target = Win(window);
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%X", message);
    char param[24];
    std::snprintf(param, sizeof(param), "0x%lX", static_cast<unsigned long>(lParam));
    Log(FakeOp::SendMessageA, {target.templateId != 0 ? "dialog " + std::to_string(target.templateId)
                                                : std::to_string(target.id),
                         hex, std::to_string(wParam), param});
    if (target.templateId != 0) {
        switch (message) {
        case WM_SETICON: {
            HICON& slot = wParam == ICON_BIG ? target.bigIcon : target.smallIcon;
            HICON previous = slot;
            slot = reinterpret_cast<HICON>(lParam);
            return reinterpret_cast<LRESULT>(previous);
        }
        case WM_SETTEXT:
            target.text = reinterpret_cast<const char*>(lParam);
            return TRUE;
        default:
            return DeliverToDialog(window, message, wParam, lParam);
        }
    }
    switch (message) {
    case PBM_SETRANGE: {
        LRESULT previous = static_cast<LRESULT>((static_cast<DWORD>(target.rangeMax) << 16) |
                                                static_cast<WORD>(target.rangeMin));
        target.rangeMin = static_cast<short>(lParam & 0xFFFF);
        target.rangeMax = static_cast<short>((lParam >> 16) & 0xFFFF);
        return previous;
    }
    case PBM_SETSTEP: {
        int previous = target.step;
        target.step = static_cast<int>(wParam);
        return previous;
    }
    case PBM_STEPIT: {
        int previous = target.position;
        int next = target.position + target.step;
        // Past the maximum it starts over, modulo the range (as Wine measures it).
        int span = target.rangeMax - target.rangeMin;
        if (next > target.rangeMax && span > 0) next = target.rangeMin + (next - target.rangeMin) % span;
        target.position = next;
        return previous;
    }
    case PBM_GETPOS:
        return target.position;
    case EM_LIMITTEXT:
        target.textLimit = static_cast<int>(wParam);
        return 0;
    case WM_SETTEXT:
        target.text = reinterpret_cast<const char*>(lParam);
        return TRUE;
    case BM_CLICK:
        ClickButton(window);
        return 0;
    default:
        return 0;
    }
}

BOOL FakeUi::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log(FakeOp::PostMessageA, {FakeHex(message), std::to_string(wParam)});
    messageQueue_.push_back(MSG{window, message, wParam, lParam});
    return TRUE;
}

// ---- message pumps ------------------------------------------------------------

LRESULT FakeUi::DispatchOne(const MSG& msg) {
    auto it = windows_.find(msg.hwnd);
    if (it == windows_.end()) return 0;
    if (it->second.templateId != 0) return DeliverToDialog(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    if (msg.message == BM_CLICK && it->second.cls == "Button") ClickButton(msg.hwnd);
    // A multi-line edit turns Esc into a close request of its dialog.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && IsMultiLine(it->second))
        PostMessageA(it->second.parent, WM_CLOSE, 0, 0);
    return 0;
}

bool FakeUi::DispatchQueued(HWND dialog) {
    bool any = false;
    while (!messageQueue_.empty() && failure_.empty() && !windows_.at(dialog).ended) {
        MSG msg = messageQueue_.front();
        messageQueue_.erase(messageQueue_.begin());
        DispatchOne(msg);
        any = true;
    }
    return any;
}

BOOL FakeUi::PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT remove) {
    Log(FakeOp::PeekMessageA, {std::to_string(remove)});
    UserActsAt(Moment::Pump);
    if (onPeekMessage_) {
        FakeScript script = onPeekMessage_;
        script();
    }
    messageQueue_.erase(std::remove_if(messageQueue_.begin(), messageQueue_.end(),
                                      [this](const MSG& queued) {
                                          return queued.hwnd != nullptr && windows_.count(queued.hwnd) == 0;
                                      }),
                       messageQueue_.end());
    if (messageQueue_.empty()) return FALSE;
    *msg = messageQueue_.front();
    if (remove == PM_REMOVE) messageQueue_.erase(messageQueue_.begin());
    return TRUE;
}

BOOL FakeUi::TranslateMessage(const MSG*) {
    Log(FakeOp::TranslateMessage);
    return FALSE;
}

LRESULT FakeUi::DispatchMessageA(const MSG* msg) {
    Log(FakeOp::DispatchMessageA, {std::to_string(msg->message)});
    return DispatchOne(*msg);
}

// ---- the scripted user_ --------------------------------------------------------

void FakeUi::UserActsAt(Moment moment) {
    if (!failure_.empty() || user_.actions_.empty() || user_.actions_.front().moment != moment) return;
    if (user_.actions_.front().wait > 0) {
        --user_.actions_.front().wait;
        return;
    }
    FakeUserAction action = user_.actions_.front();
    user_.actions_.pop_front();
    HWND dialog = ActiveDialog();
    if (dialog == nullptr) Unexpected(std::string(KindName(action.kind)) + " outside every dialog");
    Perform(action, dialog);
}

void FakeUi::Perform(const FakeUserAction& action, HWND dialog) {
    const int templateId = windows_.at(dialog).templateId;
    if (action.templateId != 0 && action.templateId != templateId)
        Unexpected(std::string(KindName(action.kind)) + " meant for dialog " + std::to_string(action.templateId) +
                   " while dialog " + std::to_string(templateId) + " is active");
    const bool pump = action.moment != Moment::Dialog;
    auto control = [&](bool mustBeUsable) -> HWND {
        HWND handle = ChildOf(dialog, action.id);
        if (handle == nullptr)
            Unexpected(std::string(KindName(action.kind)) + ": dialog " + std::to_string(templateId) +
                       " has no control " + std::to_string(action.id));
        if (mustBeUsable && (!windows_.at(handle).enabled || !windows_.at(handle).visible()))
            Unexpected(std::string(KindName(action.kind)) + ": control " + std::to_string(action.id) +
                       " is disabled or hidden");
        return handle;
    };
    switch (action.kind) {
    case Kind::Click: {
        HWND button = control(false);
        // In the program's own pump the click arrives as a message.
        if (pump)
            PostMessageA(button, BM_CLICK, 0, 0);
        else
            ClickButton(button);
        break;
    }
    case Kind::Type: {
        HWND edit = control(true);
        FakeWindow& target = windows_.at(edit);
        if (!IsEdit(target)) Unexpected("Type into a control that is no edit");
        if (!IsMultiLine(target) && action.text.find_first_of("\r\n") != std::string::npos)
            Unexpected("Type of a line break into a single-line edit");
        target.text = action.text.substr(0, LimitOf(target));
        break;
    }
    case Kind::Enter: {
        HWND focus = control(true);
        FakeWindow& target = windows_.at(focus);
        if (IsMultiLine(target) && (target.style & ES_WANTRETURN) != 0) {
            // Without vertical scrolling a one-line edit refuses a second line.
            if ((target.style & ES_AUTOVSCROLL) != 0 && target.text.size() + 2 <= LimitOf(target))
                target.text += "\r\n";
        } else if (target.cls == "Button") {
            ClickButton(focus);
        } else {
            // The dialog manager presses the default button, unless it is disabled.
            HWND defaultButton = nullptr;
            for (auto& entry : windows_)
                if (entry.second.parent == dialog && IsDefaultButton(entry.second)) {
                    defaultButton = entry.first;
                    break;
                }
            int id = defaultButton != nullptr ? windows_.at(defaultButton).id : IDOK;
            if (defaultButton == nullptr || windows_.at(defaultButton).enabled)
                DeliverToDialog(dialog, WM_COMMAND, Command(id, BN_CLICKED), reinterpret_cast<LPARAM>(defaultButton));
        }
        break;
    }
    case Kind::Escape: {
        HWND focus = action.id != 0 ? control(true) : nullptr;
        if (pump) {
            // No dialog manager in the program's pump: the key reaches the focus.
            PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        } else if (focus != nullptr && IsMultiLine(windows_.at(focus))) {
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        } else {
            HWND cancel = ChildOf(dialog, IDCANCEL);
            DeliverToDialog(dialog, WM_COMMAND, Command(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        }
        break;
    }
    case Kind::Close:
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    case Kind::AltF4:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case Kind::LogOff: {
        std::vector<HWND> asked = runningDialogs_;
        for (HWND each : asked)
            if (windows_.count(each) != 0) endSessionAnswers_.push_back(DeliverToDialog(each, WM_QUERYENDSESSION, 0, 0));
        break;
    }
    case Kind::PostCommand:
        PostMessageA(dialog, WM_COMMAND, Command(action.id, BN_CLICKED), 0);
        break;
    case Kind::Check:
        if (action.script) action.script();
        break;
    case Kind::Answer:
    case Kind::PickFile:
    case Kind::CancelFile:
        Unexpected(std::string(KindName(action.kind)) + " while no box is open");
    }
}

FakeUserAction FakeUi::TakeAnswer(const std::string& what, Kind a, Kind b) {
    if (user_.actions_.empty() || user_.actions_.front().moment != Moment::Dialog ||
        (user_.actions_.front().kind != a && user_.actions_.front().kind != b))
        Unexpected(what + " while " + Describe(user_.actions_));
    FakeUserAction answer = user_.actions_.front();
    user_.actions_.pop_front();
    return answer;
}

int FakeUi::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    char flags[16];
    std::snprintf(flags, sizeof(flags), "0x%X", type);
    Log(FakeOp::MessageBoxA, {text != nullptr ? text : "", caption != nullptr ? caption : "(null)", flags});
    FakeMessageBox box;
    box.owner = owner;
    auto ownerWindow = windows_.find(owner);
    box.ownerTemplate = ownerWindow != windows_.end() ? ownerWindow->second.templateId : 0;
    box.text = text != nullptr ? text : "";
    box.caption = caption != nullptr ? caption : "";
    box.hasCaption = caption != nullptr;
    box.type = type;
    messageBoxes_.push_back(box);
    if (!failure_.empty()) return IDOK;
    if (onMessageBox_) return onMessageBox_(owner, box.text, box.caption, type);
    FakeUserAction answer = TakeAnswer("MessageBoxA \"" + box.text + "\"", Kind::Answer, Kind::Answer);
    const UINT buttons = type & 0xF;
    const bool fits = (buttons == MB_OK && answer.answer == IDOK) ||
                      (buttons == MB_OKCANCEL && (answer.answer == IDOK || answer.answer == IDCANCEL)) ||
                      (buttons == MB_YESNO && (answer.answer == IDYES || answer.answer == IDNO));
    if (!fits) Unexpected("an answer " + std::to_string(answer.answer) + " the box \"" + box.text + "\" does not offer");
    if (answer.script) answer.script();
    return answer.answer;
}

BOOL FakeUi::MessageBeep(UINT type) {
    Log(FakeOp::MessageBeep, {FakeHex(type)});
    ++beeps_;
    return TRUE;
}

HICON FakeUi::LoadIconA(HMODULE, int resourceId) {
    Log(FakeOp::LoadIconA, {std::to_string(resourceId)});
    return reinterpret_cast<HICON>(static_cast<std::intptr_t>(0x1C00 + resourceId));
}

BOOL FakeUi::GetOpenFileNameA(OPENFILENAMEA* ofn) {
    char flags[16];
    std::snprintf(flags, sizeof(flags), "0x%X", ofn->Flags);
    Log(FakeOp::GetOpenFileNameA, {flags, std::to_string(ofn->nMaxFile)});
    FakeOpenFile record;
    record.owner = ofn->hwndOwner;
    record.hasFilter = ofn->lpstrFilter != nullptr;
    record.hasTitle = ofn->lpstrTitle != nullptr;
    record.hasDefExt = ofn->lpstrDefExt != nullptr;
    record.initialFile = ofn->lpstrFile != nullptr ? std::string(ofn->lpstrFile) : "(null)";
    record.flags = ofn->Flags;
    record.maxFile = ofn->nMaxFile;
    openFileDialogs_.push_back(record);
    if (!failure_.empty()) return FALSE;
    FakeUserAction answer = TakeAnswer("GetOpenFileNameA", Kind::PickFile, Kind::CancelFile);
    if (answer.kind == Kind::CancelFile) return FALSE;
    // A name longer than the buffer fails the dialog (FNERR_BUFFERTOOSMALL).
    if (ofn->lpstrFile == nullptr || answer.text.size() + 1 > ofn->nMaxFile) return FALSE;
    std::memcpy(ofn->lpstrFile, answer.text.c_str(), answer.text.size() + 1);
    return TRUE;
}

BOOL FakeUi::IsIconic(HWND window) {
    Log(FakeOp::IsIconic);
    auto it = windows_.find(window);
    return it != windows_.end() && it->second.iconic ? TRUE : FALSE;
}

BOOL FakeUi::GetClientRect(HWND window, RECT* rect) {
    Log(FakeOp::GetClientRect);
    // Dialog units of an 8-point font: 6 by 13 pixels per 4 by 8 units.
    auto it = windows_.find(window);
    *rect = RECT{0, 0, 0, 0};
    if (it != windows_.end()) {
        rect->right = it->second.cx * 6 / 4;
        rect->bottom = it->second.cy * 13 / 8;
    }
    return TRUE;
}

int FakeUi::GetSystemMetrics(int index) {
    Log(FakeOp::GetSystemMetrics, {std::to_string(index)});
    return 32;
}

HDC FakeUi::BeginPaint(HWND, PAINTSTRUCT* paint) {
    Log(FakeOp::BeginPaint);
    *paint = PAINTSTRUCT{};
    paint->hdc = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0xDC0));
    return paint->hdc;
}

BOOL FakeUi::EndPaint(HWND, const PAINTSTRUCT*) {
    Log(FakeOp::EndPaint);
    return TRUE;
}

BOOL FakeUi::DrawIcon(HDC, int x, int y, HICON icon) {
    Log(FakeOp::DrawIcon, {std::to_string(x), std::to_string(y),
                     std::to_string(reinterpret_cast<std::uintptr_t>(icon))});
    return TRUE;
}

}  // namespace gx
