// The real boundary for windows, dialogs and messages: each call forwards to
// the Win32 call of its name.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_support.h"

static_assert(sizeof(::MSG) == sizeof(gx::MSG) && offsetof(::MSG, time) == offsetof(gx::MSG, time) &&
                  offsetof(::MSG, pt) == offsetof(gx::MSG, pt),
              "message record");
static_assert(sizeof(::PAINTSTRUCT) == sizeof(gx::PAINTSTRUCT) &&
                  offsetof(::PAINTSTRUCT, rcPaint) == offsetof(gx::PAINTSTRUCT, rcPaint) &&
                  offsetof(::PAINTSTRUCT, rgbReserved) == offsetof(gx::PAINTSTRUCT, rgbReserved),
              "paint record");

namespace gx {
namespace {

HINSTANCE Instance(HMODULE module) {
    return module != nullptr ? as<HINSTANCE>(module) : ::GetModuleHandleA(nullptr);
}

// Dialog procedures of the boundary take gx types; a thunk of the real
// signature forwards to them. The pair lives while the dialog runs.
struct DialogBinding {
    DLGPROC proc;
    LPARAM param;
};

INT_PTR CALLBACK DialogThunk(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    DialogBinding* binding = nullptr;
    if (message == WM_INITDIALOG) {
        binding = reinterpret_cast<DialogBinding*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
        return binding->proc(as<HWND>(hwnd), message, static_cast<WPARAM>(wParam), binding->param);
    }
    binding = reinterpret_cast<DialogBinding*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (binding == nullptr) return FALSE;
    return binding->proc(as<HWND>(hwnd), message, static_cast<WPARAM>(wParam),
                         static_cast<LPARAM>(lParam));
}

class Win32Ui final : public UiApi {
public:
    BOOL InitCommonControls() override {
        static win32::SystemLibrary library("comctl32.dll");
        using InitEx = BOOL(WINAPI*)(const ::INITCOMMONCONTROLSEX*);
        // Looked up once: registering the classes again is harmless.
        static InitEx init = library.Find<InitEx>("InitCommonControlsEx");
        if (init == nullptr) {
            ::SetLastError(library.Error());
            return FALSE;
        }
        ::INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
        return init(&classes);
    }
    INT_PTR DialogBoxParamA(HMODULE instance, int templateId, HWND owner, DLGPROC proc,
                            LPARAM param) override {
        DialogBinding binding{proc, param};
        return ::DialogBoxParamA(Instance(instance), MAKEINTRESOURCEA(templateId),
                                 as<::HWND>(owner), DialogThunk,
                                 reinterpret_cast<::LPARAM>(&binding));
    }
    BOOL EndDialog(HWND dialog, INT_PTR result) override {
        return ::EndDialog(as<::HWND>(dialog), result);
    }
    HWND GetDlgItem(HWND dialog, int id) override {
        return as<HWND>(::GetDlgItem(as<::HWND>(dialog), id));
    }
    BOOL SetWindowTextA(HWND window, const char* text) override {
        return ::SetWindowTextA(as<::HWND>(window), text);
    }
    int GetWindowTextA(HWND window, char* buffer, int size) override {
        return ::GetWindowTextA(as<::HWND>(window), buffer, size);
    }
    int GetWindowTextLengthA(HWND window) override {
        return ::GetWindowTextLengthA(as<::HWND>(window));
    }
    BOOL EnableWindow(HWND window, BOOL enable) override {
        return ::EnableWindow(as<::HWND>(window), enable);
    }
    BOOL IsWindowEnabled(HWND window) override { return ::IsWindowEnabled(as<::HWND>(window)); }
    LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) override {
        return static_cast<LONG_PTR>(
            ::SetWindowLongPtrA(as<::HWND>(window), index, static_cast<::LONG_PTR>(value)));
    }
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        return ::SendMessageA(as<::HWND>(window), message, wParam, lParam);
    }
    BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        return ::PostMessageA(as<::HWND>(window), message, wParam, lParam);
    }
    BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove) override {
        return ::PeekMessageA(as<::MSG*>(msg), as<::HWND>(window), first, last, remove);
    }
    BOOL TranslateMessage(const MSG* msg) override { return ::TranslateMessage(as<const ::MSG*>(msg)); }
    LRESULT DispatchMessageA(const MSG* msg) override { return ::DispatchMessageA(as<const ::MSG*>(msg)); }
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override {
        return ::MessageBoxA(as<::HWND>(owner), text, caption, type);
    }
    BOOL MessageBeep(UINT type) override { return ::MessageBeep(type); }
    HICON LoadIconA(HMODULE instance, int resourceId) override {
        return as<HICON>(::LoadIconA(Instance(instance), MAKEINTRESOURCEA(resourceId)));
    }
    BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) override {
        ::OPENFILENAMEA real = {};
        real.lStructSize = sizeof(real);
        real.hwndOwner = as<::HWND>(ofn->hwndOwner);
        real.lpstrFilter = ofn->lpstrFilter;
        real.lpstrFile = ofn->lpstrFile;
        real.nMaxFile = ofn->nMaxFile;
        real.lpstrTitle = ofn->lpstrTitle;
        real.Flags = ofn->Flags;
        real.lpstrDefExt = ofn->lpstrDefExt;
        static win32::SystemLibrary library("comdlg32.dll");
        static auto open = library.Find<decltype(&::GetOpenFileNameA)>("GetOpenFileNameA");
        if (open == nullptr) {
            ::SetLastError(library.Error());
            return FALSE;
        }
        return open(&real);
    }
    BOOL IsIconic(HWND window) override { return ::IsIconic(as<::HWND>(window)); }
    BOOL GetClientRect(HWND window, RECT* rect) override {
        return ::GetClientRect(as<::HWND>(window), as<::RECT*>(rect));
    }
    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }
    HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override {
        return as<HDC>(::BeginPaint(as<::HWND>(window), as<::PAINTSTRUCT*>(paint)));
    }
    BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) override {
        return ::EndPaint(as<::HWND>(window), as<const ::PAINTSTRUCT*>(paint));
    }
    BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override {
        return ::DrawIcon(as<::HDC>(dc), x, y, as<::HICON>(icon));
    }
};

}  // namespace

UiApi& Win32UiApi() {
    static Win32Ui* const instance = new Win32Ui();
    return *instance;
}

}  // namespace gx
