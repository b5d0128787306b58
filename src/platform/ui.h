// Windows, dialogs and messages.
// One entry a call: X(result, name, (parameters), (arguments)).
#pragma once

#include <cstddef>

#include "platform/calls.h"
#include "platform/types.h"

#define GX_UI_CALLS(X)                                                                             \
    /* Registers the common control classes (the progress bar); FALSE, with the last error,     \
       when their library cannot be loaded. */                                                     \
    X(BOOL, InitCommonControls, (), ())                                                            \
    X(INT_PTR, DialogBoxParamA, (HMODULE instance, int templateId, HWND owner, DLGPROC proc,       \
      LPARAM param),                                                                               \
      (instance, templateId, owner, proc, param))                                                  \
    X(BOOL, EndDialog, (HWND dialog, INT_PTR result), (dialog, result))                            \
    X(HWND, GetDlgItem, (HWND dialog, int id), (dialog, id))                                       \
    X(BOOL, SetWindowTextA, (HWND window, const char* text), (window, text))                       \
    X(int, GetWindowTextA, (HWND window, char* buffer, int size), (window, buffer, size))          \
    X(int, GetWindowTextLengthA, (HWND window), (window))                                          \
    X(BOOL, EnableWindow, (HWND window, BOOL enable), (window, enable))                            \
    X(BOOL, IsWindowEnabled, (HWND window), (window))                                              \
    /* Only DWLP_MSGRESULT: the result of a message a dialog procedure handled. */                 \
    X(LONG_PTR, SetWindowLongPtrA, (HWND window, int index, LONG_PTR value),                       \
      (window, index, value))                                                                      \
    X(LRESULT, SendMessageA, (HWND window, UINT message, WPARAM wParam, LPARAM lParam),            \
      (window, message, wParam, lParam))                                                           \
    X(BOOL, PostMessageA, (HWND window, UINT message, WPARAM wParam, LPARAM lParam),               \
      (window, message, wParam, lParam))                                                           \
    X(BOOL, PeekMessageA, (MSG* msg, HWND window, UINT first, UINT last, UINT remove),             \
      (msg, window, first, last, remove))                                                          \
    X(BOOL, TranslateMessage, (const MSG* msg), (msg))                                             \
    X(LRESULT, DispatchMessageA, (const MSG* msg), (msg))                                          \
    X(int, MessageBoxA, (HWND owner, const char* text, const char* caption, UINT type),            \
      (owner, text, caption, type))                                                                \
    X(BOOL, MessageBeep, (UINT type), (type))                                                      \
    X(HICON, LoadIconA, (HMODULE instance, int resourceId), (instance, resourceId))                \
    X(BOOL, GetOpenFileNameA, (OPENFILENAMEA* ofn), (ofn))                                         \
    X(BOOL, IsIconic, (HWND window), (window))                                                     \
    X(BOOL, GetClientRect, (HWND window, RECT* rect), (window, rect))                              \
    X(int, GetSystemMetrics, (int index), (index))                                                 \
    X(HDC, BeginPaint, (HWND window, PAINTSTRUCT* paint), (window, paint))                         \
    X(BOOL, EndPaint, (HWND window, const PAINTSTRUCT* paint), (window, paint))                    \
    X(BOOL, DrawIcon, (HDC dc, int x, int y, HICON icon), (dc, x, y, icon))                        \

namespace gx {

class UiApi {
public:
    virtual ~UiApi() = default;
    GX_UI_CALLS(GX_DECLARE_CALL)
};

}  // namespace gx
