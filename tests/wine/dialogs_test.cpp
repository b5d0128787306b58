// The product's dialog templates built into real dialogs and read back
// through the real windows, against the template table the fake runs on.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_templates.h"
#include "wine_support.h"
#include "resource.h"

#include <commctrl.h>

namespace {

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

BOOL CALLBACK Collect(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// A DIALOGEX resource as the resource compiler wrote it.
struct ParsedControl {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string cls, text;
    int textOrdinal = -1;
};
struct ParsedDialog {
    DWORD style = 0, exStyle = 0;
    int cx = 0, cy = 0;
    std::string caption, font;
    int pointSize = 0;
    std::vector<ParsedControl> controls;
};

class Reader {
public:
    explicit Reader(const BYTE* data) : at_(data), start_(data) {}
    WORD Word() {
        WORD value;
        std::memcpy(&value, at_, 2);
        at_ += 2;
        return value;
    }
    DWORD Dword() {
        DWORD value;
        std::memcpy(&value, at_, 4);
        at_ += 4;
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    std::string String() {
        std::wstring wide;
        for (WORD c = Word(); c != 0; c = Word()) wide += static_cast<wchar_t>(c);
        if (wide.empty()) return std::string();
        char text[512] = {};
        WideCharToMultiByte(1252, 0, wide.c_str(), -1, text, sizeof(text), nullptr, nullptr);
        return text;
    }
    // A name or an ordinal; ordinals come back as -1 and in *ordinal.
    std::string NameOrOrdinal(int* ordinal) {
        WORD first;
        std::memcpy(&first, at_, 2);
        if (first == 0xFFFF) {
            Word();
            *ordinal = Word();
            return std::string();
        }
        return String();
    }
    void Align() {
        while ((at_ - start_) % 4 != 0) ++at_;
    }
    void Skip(std::size_t count) { at_ += count; }

private:
    const BYTE* at_;
    const BYTE* start_;
};

ParsedDialog Parse(const void* resource) {
    ParsedDialog dialog;
    Reader in(static_cast<const BYTE*>(resource));
    EXPECT_EQ(in.Word(), 1);       // version
    EXPECT_EQ(in.Word(), 0xFFFF);  // extended template
    in.Dword();                    // help id
    dialog.exStyle = in.Dword();
    dialog.style = in.Dword();
    int count = in.Word();
    in.Short();
    in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    int ordinal = -1;
    in.NameOrOrdinal(&ordinal);  // menu
    in.NameOrOrdinal(&ordinal);  // class
    dialog.caption = in.String();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        in.Word();
        in.Skip(2);
        dialog.font = in.String();
    }
    for (int i = 0; i < count; ++i) {
        in.Align();
        ParsedControl control;
        in.Dword();
        control.exStyle = in.Dword();
        control.style = in.Dword();
        control.x = in.Short();
        control.y = in.Short();
        control.cx = in.Short();
        control.cy = in.Short();
        control.id = static_cast<int>(in.Dword());
        int atom = -1;
        control.cls = in.NameOrOrdinal(&atom);
        if (atom == 0x80) control.cls = "Button";
        if (atom == 0x81) control.cls = "Edit";
        if (atom == 0x82) control.cls = "Static";
        control.text = in.NameOrOrdinal(&control.textOrdinal);
        in.Skip(in.Word());
        dialog.controls.push_back(control);
    }
    return dialog;
}

class Dialogs : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        product_ = LoadLibraryExA(winetest::ProductExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (product_ != nullptr) FreeLibrary(product_);
    }
    const DLGTEMPLATE* Resource(int id) {
        HRSRC found = FindResourceA(product_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
        return found != nullptr ? static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(product_, found)))
                                : nullptr;
    }
    static HMODULE product_;
};
HMODULE Dialogs::product_ = nullptr;

TEST_P(Dialogs, ResourceHoldsTheTabledTemplate) {
    ASSERT_NE(product_, nullptr) << winetest::ProductExe();
    const gx::FakeDialogTemplate* expected = gx::FindDialogTemplate(GetParam());
    ASSERT_NE(expected, nullptr);
    const DLGTEMPLATE* resource = Resource(expected->id);
    ASSERT_NE(resource, nullptr);
    ParsedDialog actual = Parse(resource);
    EXPECT_EQ(actual.style, expected->style);
    EXPECT_EQ(actual.exStyle, expected->exStyle);
    EXPECT_EQ(actual.cx, expected->cx);
    EXPECT_EQ(actual.cy, expected->cy);
    EXPECT_EQ(actual.caption, expected->caption != nullptr ? expected->caption : "");
    EXPECT_EQ(actual.font, expected->font);
    EXPECT_EQ(actual.pointSize, expected->pointSize);
    ASSERT_EQ(actual.controls.size(), expected->controls.size());
    for (std::size_t i = 0; i < actual.controls.size(); ++i) {
        const gx::FakeControlTemplate& want = expected->controls[i];
        const ParsedControl& got = actual.controls[i];
        SCOPED_TRACE("dialog " + std::to_string(expected->id) + ", control " + std::to_string(i));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(Lower(got.cls), Lower(want.cls));
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        if ((want.style & 0xF) == SS_ICON && want.cls == std::string("Static"))
            EXPECT_EQ(got.textOrdinal, IDR_MAINFRAME);
        else
            EXPECT_EQ(got.text, want.text);
    }
}

TEST_P(Dialogs, TemplateBuildsIntoARealDialogWithItsControlsInPlace) {
    ASSERT_NE(product_, nullptr) << winetest::ProductExe();
    const gx::FakeDialogTemplate* expected = gx::FindDialogTemplate(GetParam());
    ASSERT_NE(expected, nullptr);
    const DLGTEMPLATE* resource = Resource(expected->id);
    ASSERT_NE(resource, nullptr);
    // Built by this process: a data-file module cannot own windows.
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), resource, nullptr, QuietProc, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
    EXPECT_EQ(TextOf(dialog), expected->caption != nullptr ? expected->caption : "");
    EXPECT_EQ(IsWindowVisible(dialog) != FALSE, (expected->style & WS_VISIBLE) != 0);
    RECT size = {0, 0, expected->cx, expected->cy};
    MapDialogRect(dialog, &size);
    RECT client = {};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    std::vector<HWND> children;
    EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&children));
    ASSERT_EQ(children.size(), expected->controls.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const gx::FakeControlTemplate& control = expected->controls[i];
        HWND child = children[i];
        SCOPED_TRACE("dialog " + std::to_string(expected->id) + ", control " + std::to_string(i));
        EXPECT_EQ(GetDlgCtrlID(child), control.id);
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof(cls));
        EXPECT_EQ(Lower(cls), Lower(control.cls));
        if ((control.style & 0xF) != SS_ICON || control.cls != std::string("Static")) {
            EXPECT_EQ(TextOf(child), control.text);
        }
        const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ(style & WS_VISIBLE, control.style & WS_VISIBLE);
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, (control.style & WS_DISABLED) == 0);
        if (control.cls == std::string("Edit")) {
            EXPECT_EQ(style & (ES_MULTILINE | ES_WANTRETURN), control.style & (ES_MULTILINE | ES_WANTRETURN));
        }
        // Places as the dialog manager maps them: origin and size apart. An
        // icon control takes the size of its icon.
        if ((control.style & 0xF) == SS_ICON) continue;
        RECT place = {control.x, control.y, control.cx, control.cy};
        MapDialogRect(dialog, &place);
        RECT actual = {};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, place.left);
        EXPECT_EQ(actual.top, place.top);
        EXPECT_EQ(actual.right - actual.left, place.right);
        EXPECT_EQ(actual.bottom - actual.top, place.bottom);
    }
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Product, Dialogs,
                         ::testing::Values(IDD_GATHRIX_DIALOG, IDD_USERINFO_DIALOG, IDD_INFO_DIALOG,
                                           IDD_REGIMPORT_DIALOG));

// A few facts written out, so that a slip in the shared table shows too.
TEST(DialogTable, SaysWhatTheProductPromises) {
    const gx::FakeDialogTemplate* import = gx::FindDialogTemplate(IDD_REGIMPORT_DIALOG);
    ASSERT_NE(import, nullptr);
    EXPECT_EQ(import->exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_STREQ(import->controls[5].text, "User-Registry komplett wieder l\xF6schen");
    EXPECT_EQ(import->controls[1].style & (WS_VISIBLE | WS_DISABLED), static_cast<DWORD>(WS_DISABLED));
    const gx::FakeDialogTemplate* collection = gx::FindDialogTemplate(IDD_GATHRIX_DIALOG);
    ASSERT_NE(collection, nullptr);
    EXPECT_EQ(collection->style & WS_SYSMENU, 0u);
    EXPECT_EQ(collection->cx, 366);
    EXPECT_EQ(collection->cy, 88);
    const gx::FakeDialogTemplate* questionnaire = gx::FindDialogTemplate(IDD_USERINFO_DIALOG);
    ASSERT_NE(questionnaire, nullptr);
    EXPECT_EQ(questionnaire->caption, nullptr);
    EXPECT_EQ(questionnaire->style & WS_CAPTION, 0u);
    for (const gx::FakeControlTemplate& control : questionnaire->controls)
        if (std::string(control.cls) == "Edit") {
            EXPECT_EQ(control.style & (ES_MULTILINE | ES_WANTRETURN), static_cast<DWORD>(ES_MULTILINE | ES_WANTRETURN));
        }
    EXPECT_EQ(gx::FindDialogTemplate(IDD_INFO_DIALOG)->controls[0].style & 0xF, static_cast<DWORD>(SS_ICON));
}

}  // namespace
