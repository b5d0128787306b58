#include "platform/fake/fake_templates.h"

#include "platform/constants.h"
#include "resources/resource.h"

namespace gx {

namespace {

// The styles the resource compiler gives each control statement.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefPush = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kLText = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kCText = kChild | SS_CENTER | WS_GROUP;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP;
constexpr DWORD kHidden = WS_DISABLED;  // with WS_VISIBLE removed
// Multi-line so that Enter breaks the line instead of pressing a button.
constexpr DWORD kShortField = kEdit | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN;

constexpr DWORD kDialog = DS_MODALFRAME | DS_SETFONT | WS_POPUP;

std::vector<FakeDialogTemplate> Build() {
    return {
        {IDD_GATHRIX_DIALOG, "Gathrix", kDialog | WS_CAPTION, 0, 8, "MS Sans Serif", 366, 88,
         {
             {IDOK, "Button", "Start", kDefPush, 309, 41, 50, 14},
             {IDCANCEL, "Button", "Beenden", kPush, 309, 66, 50, 14},
             {IDC_PROGRESS, "msctls_progress32", "", kChild | WS_BORDER, 24, 43, 273, 15},
             {IDC_STATUS, "Static", "", kCText, 24, 63, 278, 8},
             {IDC_MESSAGE, "Static", "Static", kCText, 23, 10, 276, 27},
             {IDC_INFO, "Button", "Info", kDefPush, 309, 7, 50, 14},
         }},
        {IDD_USERINFO_DIALOG, nullptr, kDialog, 0, 8, "MS Sans Serif", 292, 214,
         {
             {IDC_NAME, "Edit", "", kShortField, 15, 45, 92, 12},
             {IDOK, "Button", "OK", kPush, 235, 185, 50, 14},
             {IDCANCEL, "Button", "Cancel", (kDefPush & ~WS_VISIBLE) | kHidden, 235, 157, 50, 14},
             {IDC_INTRO, "Static", "", kCText, 7, 9, 239, 9},
             {IDC_COMPUTER, "Edit", "", kShortField, 15, 81, 92, 12},
             {IDC_PROBLEM, "Edit", "", kEdit | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, 16, 119,
              208, 79},
             {IDC_NAME_LABEL, "Static", "", kLText, 16, 33, 53, 9},
             {IDC_COMPUTER_LABEL, "Static", "", kLText, 15, 70, 57, 8},
             {IDC_PROBLEM_LABEL, "Static", "", kLText, 17, 105, 238, 10},
             {IDC_PRODUCT, "Edit", "", kShortField, 129, 45, 94, 12},
             {IDC_PRODUCT_LABEL, "Static", "", kLText, 130, 33, 116, 9},
             {IDC_EMAIL, "Edit", "", kShortField, 129, 82, 95, 12},
             {IDC_EMAIL_LABEL, "Static", "", kLText, 130, 70, 73, 9},
         }},
        {IDD_INFO_DIALOG, nullptr, kDialog, 0, 8, "MS Sans Serif", 240, 146,
         {
             {IDC_STATIC, "Static", "", kChild | SS_ICON, 15, 17, 20, 20},
             {IDC_INFO_TITLE, "Static", "", kLText, 13, 36, 208, 11},
             {IDC_INFO_TEXT, "Static", "", kLText, 14, 55, 219, 64},
             {IDOK, "Button", "OK", kDefPush | WS_GROUP, 183, 125, 50, 14},
         }},
        {IDD_REGIMPORT_DIALOG, "Gathrix 1.0", kDialog | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, WS_EX_APPWINDOW, 8,
         "MS Sans Serif", 337, 146,
         {
             {IDOK, "Button", "OK", kDefPush, 151, 125, 50, 14},
             {IDCANCEL, "Button", "Cancel", (kPush & ~WS_VISIBLE) | kHidden, 235, 125, 50, 14},
             {IDC_IMPORT, "Button", "User-Registry importieren", kPush, 185, 67, 145, 14},
             {IDC_IMPORT_TEXT, "Static", "", kLText, 15, 15, 309, 35},
             {IDC_STATIC, "Button", "Registry-Daten", kChild | BS_GROUPBOX, 7, 7, 323, 108},
             {IDC_DELETE, "Button", "User-Registry komplett wieder löschen", kPush, 186, 90, 144, 14},
             {IDC_SUBFOLDER, "Edit", "", kEdit | ES_AUTOHSCROLL, 185, 51, 24, 13},
             {IDC_STATIC, "Static", "UsrX", kLText, 218, 53, 54, 9},
         }},
    };
}

}  // namespace

const std::vector<FakeDialogTemplate>& DialogTemplates() {
    static const std::vector<FakeDialogTemplate> templates = Build();
    return templates;
}

const FakeDialogTemplate* FindDialogTemplate(int id) {
    for (const FakeDialogTemplate& dialog : DialogTemplates())
        if (dialog.id == id) return &dialog;
    return nullptr;
}

}  // namespace gx
