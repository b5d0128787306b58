// The fake's windows. Dialog runs and message boxes go to hooks that a test
// scripts; window operations without a window model fail loudly.
#include <algorithm>
#include <cstdio>
#include <cstring>

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

HWND FakePlatform::AddWindow(int id, const std::string& cls, const std::string& text) {
    // Handles are small distinct numbers, never dereferenced.
    HWND handle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10000 + windows.size() * 4 + 4));
    FakeWindow& window = windows[handle];
    window.id = id;
    window.cls = cls;
    window.text = text;
    return handle;
}

FakePlatform::FakeWindow& FakePlatform::Window(HWND handle) {
    auto it = windows.find(handle);
    if (it == windows.end()) Unexpected("a window operation on an unknown window");
    return it->second;
}

HWND FakePlatform::GetDlgItem(HWND, int id) {
    for (auto& entry : windows)
        if (entry.second.id == id) return entry.first;
    lastError_ = 1421;  // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
}

BOOL FakePlatform::SetWindowTextA(HWND window, const char* text) {
    FakeWindow& target = Window(window);
    Log("SetWindowTextA", {std::to_string(target.id), text != nullptr ? text : ""});
    target.text = text != nullptr ? text : "";
    return TRUE;
}

int FakePlatform::GetWindowTextA(HWND window, char* buffer, int size) {
    const std::string& text = Window(window).text;
    if (size <= 0) return 0;
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

int FakePlatform::GetWindowTextLengthA(HWND window) { return static_cast<int>(Window(window).text.size()); }

BOOL FakePlatform::EnableWindow(HWND window, BOOL enable) {
    FakeWindow& target = Window(window);
    Log("EnableWindow", {std::to_string(target.id), std::to_string(enable)});
    BOOL wasDisabled = target.enabled ? FALSE : TRUE;
    target.enabled = enable != FALSE;
    return wasDisabled;
}

BOOL FakePlatform::IsWindowEnabled(HWND window) { return Window(window).enabled ? TRUE : FALSE; }

LRESULT FakePlatform::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FakeWindow& target = Window(window);
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%X", message);
    char param[24];
    std::snprintf(param, sizeof(param), "0x%lX", static_cast<unsigned long>(lParam));
    Log("SendMessageA", {std::to_string(target.id), hex, std::to_string(wParam), param});
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
    case WM_SETICON:
        return 0;
    default:
        return 0;
    }
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
