// Fuzzes the import tool's name handling through its real dialog: any text
// in the subfolder field (trimmed, refused when empty, naming no key of its
// own, or too long), any answers, and any picked file for the hive folder.
// Every key restored lies below the private branch under the typed name, no
// path past the limit reaches the platform, and an earlier import survives
// unless its own name was typed and its deletion confirmed.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "environment/action.h"
#include "framework/winapp.h"
#include "fuzz_support.h"
#include "registry/hive_table.h"
#include "registry/reg_import_dlg.h"
#include "resource.h"

namespace {

const char kKept[] = "Software\\Gathrix\\Keep\\SOFTWARE\\Microsoft\\Ole";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trimmed(const std::string& text) {
    const char* space = " \t\r\n\v\f";
    std::size_t first = text.find_first_not_of(space);
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gx::FakePlatform& fake = fuzz::Platform();
    static CWinApp* app = [&fake] {
        auto* made = new CWinApp();
        made->m_strAppName = "gathrix";
        for (const RegistryHive& hive : HiveTable) fake.registry().SetString(hive.szSubKey, "Name", hive.szSubKey);
        fake.files().MakeDirectory("C:\\Tools\\CollectInfo\\Registry_Save");
        return made;
    }();
    fuzz::NextInput(fake);
    fuzz::Reader in(data, size);

    const std::uint8_t answers = in.Byte();
    std::string typed = in.Text(400);
    // A single-line edit holds no line break.
    for (char& c : typed)
        if (c == '\r' || c == '\n') c = ' ';
    const std::string picked = in.Text(300);
    fake.registry().SetString(kKept, "Name", "earlier import");

    int box = 0;
    fake.ui().OnMessageBox([&](gx::HWND, const std::string&, const std::string&, gx::UINT type) {
        bool yes = ((answers >> (box++ % 8)) & 1) != 0;
        if ((type & 0xF) == gx::MB_YESNO) {
            if (yes) return gx::IDYES;
            // The folder question answered No: the user then picks a file or cancels.
            gx::FakeUserAction pick;
            pick.kind = picked.empty() ? gx::FakeUserAction::Kind::CancelFile : gx::FakeUserAction::Kind::PickFile;
            pick.text = picked;
            fake.ui().User().PutFirst(pick);
            return gx::IDNO;
        }
        return (type & 0xF) == gx::MB_OKCANCEL && !yes ? gx::IDCANCEL : gx::IDOK;
    });
    fake.ui().User().Clear();
    fake.ui().User().Type(IDC_SUBFOLDER, typed).Click(IDC_IMPORT).Click(gx::IDOK);
    {
        CRegImportDlg dialog;
        app->m_pMainWnd = &dialog;
        fuzz::Check(dialog.DoModal() == gx::IDOK, "the dialog did not end by OK", typed);
        app->m_pMainWnd = nullptr;
    }
    fuzz::Check(fake.ui().User().Done(), "the dialog stopped taking input", typed);

    const std::string name = Trimmed(typed);
    fuzz::CheckPathLimit(fake, typed);
    const std::string userKey = "Software\\Gathrix\\" + name;
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::RegCreateKeyExA)) {
        if (call.args[1].find("options=1") == std::string::npos) continue;  // the product key holder
        fuzz::Check(StartsWith(call.args[0], userKey + "\\") && call.args[0].size() > userKey.size() + 1,
                    "restored key outside the typed name's key", call.args[0]);
    }
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::SHDeleteKeyA))
        fuzz::Check(call.args[0] == userKey && !name.empty(), "deleted key other than the typed name's", call.args[0]);
    // Only a name that is the earlier import or lies inside it may replace it.
    if (Lower(name) != "keep" && !StartsWith(Lower(name), "keep\\"))
        fuzz::Check(fake.registry().FindKey(kKept) != nullptr, "an earlier import was lost", typed);
    fuzz::Check(fake.registry().OpenKeys() == 0 && fake.security().OpenTokens() == 0, "a key or token left open", typed);

    // The next input starts with the earlier import only.
    if (auto branch = fake.registry().FindKey("Software\\Gathrix"))
        for (const std::string& child : std::vector<std::string>(branch->childOrder))
            if (child != "keep") fake.registry().RemoveKey("Software\\Gathrix\\" + child);
    fake.ui().OnMessageBox(nullptr);
    fake.security().DisableAllPrivileges();
    return 0;
}
