// Fuzzes the file table's path composition: a row of any source type, file
// name and subfolder against folder members of any shape (as shell folders
// and registry values may deliver them), below destinations composed from
// any executable path; then the copy and the event-log backups with them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "environment/action.h"
#include "environment/paths.h"
#include "files/file_table.h"
#include "fuzz_support.h"

namespace {

std::string CutTo(const std::string& text, std::size_t size) { return text.substr(0, size - 1); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gx::FakePlatform& fake = fuzz::Platform();
    static CAction* action = [&fake] {
        // Backups are measured but never written.
        fake.Fail(gx::FakeOp::BackupEventLogA, gx::ERROR_ACCESS_DENIED).MayNotFire();
        for (int i = 0; i < kFileTableSize; ++i) FileTable[i].iSourceType = 0;  // rows traced, never copied
        return new CAction();
    }();
    fuzz::NextInput(fake);
    fuzz::Reader in(data, size);

    std::uint8_t choices = in.Byte();
    fake.process().SetModulePath(in.Text(600));
    action->GetDest_Path();
    const std::string destFiles = action->m_szDest_Path_Files;
    fuzz::Check(destFiles.empty() || (IsAbsolutePath(destFiles) && destFiles.size() < gx::MAX_PATH),
                "destination neither refused nor an absolute path within the limit", destFiles);

    // Each folder member from the input, or a plain one.
    std::string CAction::*members[] = {
        &CAction::m_szWindowsPath, &CAction::m_szUserWindowsPath, &CAction::m_szSystemDrive,
        &CAction::m_szProgramFiles, &CAction::m_szProgramFiles_Common, &CAction::m_szNetPCPath,
        &CAction::m_szSharedPath, &CAction::m_szCommAppPath, &CAction::m_szCommDocPath, &CAction::m_szLocAppData,
    };
    for (auto member : members) action->*member = (choices & 1) != 0 ? in.Text(600) : "C:\\WINDOWS";

    CollectedFile row = {};
    std::snprintf(row.szFileName, sizeof(row.szFileName), "%s", CutTo(in.Text(600), sizeof(row.szFileName)).c_str());
    std::snprintf(row.szSourcePath, sizeof(row.szSourcePath), "%s",
                  CutTo(in.Text(600), sizeof(row.szSourcePath)).c_str());
    row.iSourceType = static_cast<std::int32_t>(in.Byte() % 17) - 1;  // -1 to 15: outside the table too
    row.iCopyMode = 1;

    CollectedFilePaths paths = ComposeCollectedFilePaths(*action, row);
    const std::string context = std::string(row.szFileName) + " | " + paths.source + " -> " + paths.destination;
    fuzz::Check(paths.source.empty() == paths.destination.empty(), "only one of the two paths composed", context);
    if (!paths.source.empty()) {
        fuzz::Check(IsAbsolutePath(paths.source) && !HasParentStep(paths.source), "source relative or climbing",
                    context);
        fuzz::Check(paths.destination.compare(0, destFiles.size(), destFiles) == 0,
                    "copy outside the file folder", context);
        fuzz::Check(!HasParentStep(paths.destination.substr(destFiles.size())), "copy climbing out of the file folder",
                    context);
        // The copy itself refuses what does not fit; nothing past the limit
        // reaches the platform. Sources rarely exist, so nothing is written.
        int result = action->CopyFileTo(paths.source.c_str(), paths.destination.c_str());
        fuzz::Check(result == 0 || result == 1, "CopyFileTo result", context);
        fuzz::CheckPathLimit(fake, context);
    }
    if ((choices & 2) != 0 && !destFiles.empty()) {
        // The event-log backups below the same destination.
        action->Collect_Files();
        fuzz::CheckPathLimit(fake, destFiles);
    }
    return 0;
}
