// STAND-IN dialogs of the foundation: each mode shows a placeholder dialog
// of its template id until the real dialogs replace this file.
#include "app/gathrix_app.h"
#include "platform/constants.h"
#include "platform/platform.h"

namespace {

gx::INT_PTR StandInProc(gx::HWND dialog, gx::UINT message, gx::WPARAM wParam, gx::LPARAM) {
    if (message == gx::WM_INITDIALOG) return TRUE;
    if (message == gx::WM_COMMAND) {
        int id = static_cast<int>(wParam & 0xFFFF);
        if (id == gx::IDOK || id == gx::IDCANCEL) {
            gx::os().EndDialog(dialog, id);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

void RunCollectionDialog() { gx::os().DialogBoxParamA(nullptr, 129, nullptr, StandInProc, 0); }

void RunImportDialog() { gx::os().DialogBoxParamA(nullptr, 102, nullptr, StandInProc, 0); }
