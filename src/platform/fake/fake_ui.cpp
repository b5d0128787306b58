// The fake's windows. Dialog runs and message boxes go to hooks that a test
// scripts; window operations without a window model fail loudly.
#include <cstdio>

#include "platform/fake/fake_platform.h"

namespace gx {

void FakePlatform::InitCommonControls() { Log("InitCommonControls"); }

INT_PTR FakePlatform::DialogBoxParamA(HMODULE, int templateId, HWND owner, DLGPROC proc, LPARAM param) {
    Log("DialogBoxParamA", {std::to_string(templateId)});
    if (!onDialogBox) Unexpected("DialogBoxParamA without a scripted user");
    return onDialogBox(templateId, owner, proc, param);
}

BOOL FakePlatform::EndDialog(HWND, INT_PTR result) {
    Log("EndDialog", {std::to_string(result)});
    return TRUE;
}

HWND FakePlatform::GetDlgItem(HWND, int id) { Unexpected("GetDlgItem " + std::to_string(id)); }
BOOL FakePlatform::SetWindowTextA(HWND, const char* text) { Unexpected(std::string("SetWindowTextA ") + text); }
int FakePlatform::GetWindowTextA(HWND, char*, int) { Unexpected("GetWindowTextA"); }
int FakePlatform::GetWindowTextLengthA(HWND) { Unexpected("GetWindowTextLengthA"); }
BOOL FakePlatform::EnableWindow(HWND, BOOL) { Unexpected("EnableWindow"); }
BOOL FakePlatform::IsWindowEnabled(HWND) { Unexpected("IsWindowEnabled"); }
LRESULT FakePlatform::SendMessageA(HWND, UINT message, WPARAM, LPARAM) {
    Unexpected("SendMessageA " + std::to_string(message));
}
BOOL FakePlatform::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    messageQueue.push_back(MSG{window, message, wParam, lParam});
    return TRUE;
}

BOOL FakePlatform::PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT remove) {
    Log("PeekMessageA", {std::to_string(remove)});
    if (onPeekMessage) {
        FakeScript script = onPeekMessage;
        script();
    }
    if (messageQueue.empty()) return FALSE;
    *msg = messageQueue.front();
    if (remove == PM_REMOVE) messageQueue.erase(messageQueue.begin());
    return TRUE;
}

BOOL FakePlatform::TranslateMessage(const MSG*) {
    Log("TranslateMessage");
    return FALSE;
}

LRESULT FakePlatform::DispatchMessageA(const MSG* msg) {
    Log("DispatchMessageA", {std::to_string(msg->message)});
    return 0;
}

int FakePlatform::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    char flags[16];
    std::snprintf(flags, sizeof(flags), "0x%X", type);
    Log("MessageBoxA", {text != nullptr ? text : "", caption != nullptr ? caption : "(null)", flags});
    if (!onMessageBox) Unexpected(std::string("MessageBoxA ") + (text != nullptr ? text : ""));
    return onMessageBox(owner, text != nullptr ? text : "", caption != nullptr ? caption : "", type);
}

BOOL FakePlatform::MessageBeep(UINT) {
    ++beeps;
    return TRUE;
}

HICON FakePlatform::LoadIconA(HMODULE, int resourceId) {
    Log("LoadIconA", {std::to_string(resourceId)});
    return reinterpret_cast<HICON>(static_cast<std::intptr_t>(0x1C00 + resourceId));
}

BOOL FakePlatform::GetOpenFileNameA(OPENFILENAMEA*) { Unexpected("GetOpenFileNameA"); }
BOOL FakePlatform::IsIconic(HWND) { return FALSE; }
BOOL FakePlatform::GetClientRect(HWND, RECT* rect) {
    *rect = RECT{0, 0, 0, 0};
    return TRUE;
}
int FakePlatform::GetSystemMetrics(int) { return 32; }
HDC FakePlatform::BeginPaint(HWND, PAINTSTRUCT* paint) {
    *paint = PAINTSTRUCT{};
    return nullptr;
}
BOOL FakePlatform::EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }
BOOL FakePlatform::DrawIcon(HDC, int, int, HICON) { return TRUE; }

}  // namespace gx
