// The program's dialog templates as data: what resources/dialogs.rc holds,
// with the styles the resource compiler gives each statement. The fake
// builds its dialogs from them; the Wine suite checks the real resources
// against them.
#pragma once

#include <vector>

#include "platform/types.h"

namespace gx {

struct FakeControlTemplate {
    int id;
    const char* cls;   // "Button", "Static", "Edit", "msctls_progress32"
    const char* text;  // Windows-1252
    DWORD style;       // complete, WS_CHILD and WS_VISIBLE included where set
    int x, y, cx, cy;  // dialog units
};

struct FakeDialogTemplate {
    int id;
    const char* caption;  // nullptr: no title
    DWORD style;
    DWORD exStyle;
    int pointSize;
    const char* font;
    int cx, cy;
    std::vector<FakeControlTemplate> controls;  // template (tab) order
};

const std::vector<FakeDialogTemplate>& DialogTemplates();
const FakeDialogTemplate* FindDialogTemplate(int id);

}  // namespace gx
