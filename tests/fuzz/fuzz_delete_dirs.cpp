// Fuzzes the removal of the output subfolders: Xc_del_dir's deletion pattern
// for a folder of any shape, and DeleteAllDirecory below destinations
// composed from any executable path. A pattern is only ever built for an
// absolute folder without "..", fits the limit with both terminators, and
// reaches the shell as a one-path list.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "environment/action.h"
#include "environment/paths.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gx::FakePlatform& fake = fuzz::Platform();
    static CAction* action = new CAction();
    fuzz::NextInput(fake);
    fuzz::Reader in(data, size);

    std::uint8_t choices = in.Byte();
    const std::string folder = in.Text(600);
    // A folder to remove, now and then, so that the removal itself runs too.
    if ((choices & 1) != 0 && IsAbsolutePath(folder) && !HasParentStep(folder) && folder.size() < 200) {
        std::string host = fake.files().HostPath(folder);
        if (!host.empty()) {
            std::error_code ignored;
            std::filesystem::create_directories(host + "/sub", ignored);
        }
    }
    gx::DWORD result = action->Xc_del_dir(folder.c_str());
    std::vector<gx::FakeCall> deletes = fake.CallsOf(gx::FakeOp::SHFileOperationA);
    if (!IsAbsolutePath(folder) || HasParentStep(folder)) {
        fuzz::Check(deletes.empty() && result == gx::ERROR_INVALID_PARAMETER, "relative or climbing folder removed",
                    folder);
    } else if (folder.size() + 4 + 2 > gx::MAX_PATH) {
        fuzz::Check(deletes.empty() && result == gx::ERROR_FILENAME_EXCED_RANGE, "over-long pattern not refused",
                    folder);
    } else {
        fuzz::Check(deletes.size() == 1 && deletes[0].args[0] == folder + "\\*.*", "pattern", folder);
    }
    fuzz::CheckPathLimit(fake, folder);

    if ((choices & 2) != 0) {
        fuzz::NextInput(fake);
        fake.process().SetModulePath(in.Text(600));
        action->GetDest_Path();
        action->DeleteAllDirecory();
        fuzz::CheckPathLimit(fake, fake.process().ModulePath());
    }
    if ((choices & 1) != 0) fuzz::WipeDrives(fake);
    return 0;
}
