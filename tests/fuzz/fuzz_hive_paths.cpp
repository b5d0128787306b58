// Fuzzes the registry paths: a hive folder of any shape (the import tool
// takes it from any picked file) joined with the hive file names, for the
// export and the restore, and the restore keys composed with any subfolder
// name. Nothing past the limit reaches the platform, every hive file lies in
// the folder, and every restored key lies below the private branch.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "environment/action.h"
#include "fuzz_support.h"
#include "registry/hive_table.h"

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gx::FakePlatform& fake = fuzz::Platform();
    static CAction* action = [&fake] {
        for (const RegistryHive& hive : HiveTable) fake.registry().SetString(hive.szSubKey, "Name", hive.szSubKey);
        return new CAction();
    }();
    fuzz::NextInput(fake);
    fuzz::Reader in(data, size);

    std::uint8_t choices = in.Byte();
    const std::string folder = in.Text(600);
    const std::string name = in.Text(600);
    action->m_szDest_Path_Registry = folder;

    if ((choices & 1) != 0) {
        action->Collect_Registry();
        for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::RegSaveKeyA))
            fuzz::Check(StartsWith(call.args[0], folder) && call.args[0].size() > folder.size(),
                        "hive file outside its folder", call.args[0]);
        fuzz::CheckPathLimit(fake, folder);
    }
    fuzz::NextInput(fake);
    action->IsCollect_Registry_Exist();
    action->Restore_Registry((choices & 2) != 0 ? nullptr : name.c_str());
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::RegCreateKeyExA)) {
        if (call.args[1].find("options=1") == std::string::npos) continue;  // the product key holder
        fuzz::Check(StartsWith(call.args[0], std::string(kImportBranch) + "\\"), "restored key outside the branch",
                    call.args[0]);
    }
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::RegRestoreKeyA))
        fuzz::Check(StartsWith(call.args[0], folder), "hive file read outside its folder", call.args[0]);
    fuzz::CheckPathLimit(fake, folder + " | " + name);
    fuzz::Check(fake.registry().OpenKeys() == 0 && fake.security().OpenTokens() == 0, "a key or token left open", name);

    // The next input starts from a clean machine.
    fake.registry().RemoveKey("Software\\Gathrix");
    if ((choices & 1) != 0) fuzz::WipeDrives(fake);
    fake.security().DisableAllPrivileges();
    return 0;
}
