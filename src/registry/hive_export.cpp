// Export of the five hives with the backup privilege, and the privilege
// switch the other registry operations share.
#include <cstdint>
#include <string>

#include "environment/action.h"
#include "environment/c_f_reg.h"
#include "environment/wow64.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "registry/token_privilege.h"
#include "registry/hive_paths.h"
#include "registry/hive_table.h"
#include "trace/trace.h"

using namespace gx;

BOOL CAction::EnablePrivilege(HANDLE hToken, LPCSTR szPrivilege, BOOL bEnable) {
    TOKEN_PRIVILEGES request = {};
    request.PrivilegeCount = 1;
    // Only ever called with the two constant names, so the lookup cannot fail.
    os().LookupPrivilegeValueA(nullptr, szPrivilege, &request.Privileges[0].Luid);
    request.Privileges[0].Attributes = bEnable ? SE_PRIVILEGE_ENABLED : 0;
    os().AdjustTokenPrivileges(hToken, FALSE, &request, sizeof(TOKEN_PRIVILEGES), nullptr, nullptr);
    // The call itself succeeds for a privilege the token lacks and reports
    // ERROR_NOT_ALL_ASSIGNED: only a clean last error counts.
    return os().GetLastError() == ERROR_SUCCESS ? TRUE : FALSE;
}

// The five files hold the view a 32-bit program sees, where the family's
// installers write and what the import restores. A branch that 64-bit
// Windows keeps apart for 32-bit programs is saved once more from the
// 64-bit view, as "<name>64.sav", when it exists there.
void CAction::SaveHives64(const std::string& folder) {
    m_Record.hives64.clear();
    for (int n = 0; n < kHiveCount; ++n) {
        const RegistryHive& hive = HiveTable[n];
        if (!HasSeparate64BitKey(hive.szSubKey)) continue;
        std::string name = hive.szSaveFile;
        name.insert(name.size() - 4, "64");  // before ".sav"
        const std::string file = folder + name;
        m_Record.hives64.push_back({n, RecordedItem()});
        RecordedItem& record = m_Record.hives64.back().item;
        if (!FitsMaxPath(file)) {
            Trace(TRACE_ERROR, "ERR Tool::Collect_Registry(%s, 64-bit view) -> file refused (%u characters)",
                  hive.szSubKey, static_cast<unsigned>(file.size()));
            record = RefusedItem(static_cast<long>(ERROR_FILENAME_EXCED_RANGE), file);
            continue;
        }
        ShowItemAndPump(hive.szSubKey);
        UniqueRegKey key;
        LONG status = os().RegOpenKeyExA(hive.hKeyRoot, hive.szSubKey, 0, KEY_READ | KEY_WOW64_64KEY, key.put());
        const char* step = status == 0 ? "RegSaveKey" : "RegOpenKeyEx";
        if (status == 0) status = os().RegSaveKeyA(key.get(), file.c_str(), nullptr);
        if (status != 0) {
            Trace(TRACE_ERROR, "ERR Tool::Collect_Registry(%s, 64-bit view): %s(%li) File: %s", hive.szSubKey, step,
                  static_cast<long>(status), file.c_str());
            record = FailedItem(step, static_cast<long>(status), file);
        } else {
            Trace(TRACE_INFO, "Tool::Collect_Registry -> 64-bit view of %s saved: %s", hive.szSubKey, file.c_str());
            RecordWrittenFile(file, record);
        }
    }
}

BOOL CAction::Collect_Registry() {
    C_F_Reg productKey;
    Trace(TRACE_INFO, "> Tool::Collect_Registry");

    // A refused destination is empty; one too deep for the file names would
    // make the platform write elsewhere or cut the name.
    const std::string longest = LongestHiveFile(m_szDest_Path_Registry);
    if (m_szDest_Path_Registry.empty() || !FitsMaxPath(longest)) {
        Trace(TRACE_ERROR, "ERR Tool::Collect_Registry -> registry folder refused (%u characters): %s",
              static_cast<unsigned>(longest.size()), m_szDest_Path_Registry.c_str());
        return FALSE;
    }

    ScopedPrivilege backup(*this, "SeBackupPrivilege", "Tool::Collect_Registry");
    if (!backup.Enable("Tool::Collect_Registry")) return FALSE;

    const std::string folder = m_szDest_Path_Registry;
    // As a folder that cannot be made: the export has nowhere to go.
    if (OutputLinkRefused("Tool::Collect_Registry", folder)) return FALSE;
    DWORD attributes = os().GetFileAttributesA(folder.c_str());
    Trace(TRACE_INFO, "CTool::Collect_Registry -> GetFileAttributes, szDir:%s,dwRet=%ld", folder.c_str(),
          static_cast<long>(static_cast<std::int32_t>(attributes)));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        BOOL created = os().CreateDirectoryA(folder.c_str(), nullptr);
        if (!created) {
            Trace(TRACE_ERROR, "Tool::Collect_Registry -> Error, CreateDirectory");
            return FALSE;
        }
        Trace(TRACE_INFO, "Tool::Collect_Registry -> CreateDirectory, bRet=%d", static_cast<int>(created));
    }

    if (m_pProgress != nullptr) {
        m_pProgress->SetRange(0, kHiveCount);
        m_pProgress->SetStep(1);
    }
    for (RecordedItem& record : m_Record.hives) record = RecordedItem();
    for (int n = 0; n < kHiveCount; ++n) {
        const RegistryHive& hive = HiveTable[n];
        RecordedItem& record = m_Record.hives[n];
        if (m_pProgress != nullptr) m_pProgress->StepIt();
        ShowItemAndPump(hive.szSubKey);

        const std::string file = folder + hive.szSaveFile;
        UniqueRegKey key;
        LONG status = os().RegOpenKeyExA(hive.hKeyRoot, hive.szSubKey, 0, KEY_ALL_ACCESS, key.put());
        if (status != 0) {
            Trace(TRACE_ERROR, "Tool::Collect_Registry(%s): RegOpenKeyEx(%li)", hive.szSubKey,
                  static_cast<long>(status));
            record = FailedItem("RegOpenKeyEx", static_cast<long>(status), file);
            continue;
        }
        status = os().RegSaveKeyA(key.get(), file.c_str(), nullptr);
        if (status != 0) {
            Trace(TRACE_ERROR, "ERR Tool::Collect_Registry(%s): RegSaveKey(%li) File: %s", hive.szSubKey,
                  static_cast<long>(status), file.c_str());
            record = FailedItem("RegSaveKey", static_cast<long>(status), file);
        } else {
            RecordWrittenFile(file, record);
        }
    }

    if (m_Record.wow64) SaveHives64(folder);

    backup.Disable();
    Trace(TRACE_INFO, "< Tool::Collect_Registry");
    return TRUE;
}
