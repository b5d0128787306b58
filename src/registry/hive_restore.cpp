// Restore of the five hives into volatile keys below the import branch, and
// the two checks the import tool makes before it.
#include <cstdint>
#include <string>

#include "environment/action.h"
#include "environment/c_f_reg.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "registry/token_privilege.h"
#include "registry/hive_paths.h"
#include "registry/hive_table.h"
#include "trace/trace.h"

using namespace gx;

namespace {

// "Software\Gathrix[\<name>]\<row's subkey>"; an empty name counts as none.
std::string RestoreKeyPath(LPCSTR pszSubFolder, const RegistryHive& hive) {
    std::string path = kImportBranch;
    if (pszSubFolder != nullptr && *pszSubFolder != '\0') {
        path += "\\";
        path += pszSubFolder;
    }
    path += "\\";
    path += hive.szSubKey;
    return path;
}

}  // namespace

BOOL CAction::Restore_Registry(LPCSTR pszSubFolder) {
    C_F_Reg productKey;
    Trace(TRACE_INFO, "> e_r_restore_reg_update_information");

    // Checked for every row before anything is created, so that a refusal
    // leaves no half-made import behind. An empty folder is a refused
    // destination: the files would be looked for in the current folder.
    std::string refused;
    if (m_szDest_Path_Registry.empty()) refused = "(empty hive folder)";
    for (const RegistryHive& hive : HiveTable) {
        const std::string key = RestoreKeyPath(pszSubFolder, hive);
        const std::string file = m_szDest_Path_Registry + hive.szSaveFile;
        if (refused.empty() && !FitsMaxPath(key)) refused = key;
        if (refused.empty() && !FitsMaxPath(file)) refused = file;
    }
    if (!refused.empty()) {
        Trace(TRACE_ERROR, "ERR Tool::Restore_Registry -> path refused (%u characters): %s",
              static_cast<unsigned>(refused.size()), refused.c_str());
        return FALSE;
    }

    ScopedPrivilege restore(*this, "SeRestorePrivilege", "Tool::Restore_Registry");
    if (!restore.Enable("CTool::Restore_Registry")) return FALSE;

    const std::string folder = m_szDest_Path_Registry;
    // On a 64-bit support PC the branch is where regedit shows it, not below Wow6432Node.
    const REGSAM view = m_Record.wow64 ? KEY_WOW64_64KEY : 0;
    for (const RegistryHive& hive : HiveTable) {
        const std::string keyPath = RestoreKeyPath(pszSubFolder, hive);
        UniqueRegKey key;
        DWORD disposition = 0;
        LONG status = os().RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                           KEY_ALL_ACCESS | view, nullptr, key.put(), &disposition);
        if (status != 0) {
            Trace(TRACE_ERROR, "Tool::Restore_Registry -> RegCreateKeyEx: %li", static_cast<long>(status));
            return FALSE;
        }
        const std::string file = folder + hive.szSaveFile;
        status = os().RegRestoreKeyA(key.get(), file.c_str(), REG_FORCE_RESTORE);
        key.reset();
        if (status == static_cast<LONG>(ERROR_FILE_NOT_FOUND))
            Trace(TRACE_ERROR, "Tool::Restore_Registry(%s): No File: %s", hive.szSubKey, file.c_str());
        else if (status != 0)
            Trace(TRACE_ERROR, "Tool::Restore_Registry(%s): RegRestoreKey(%li) File: %s", hive.szSubKey,
                  static_cast<long>(status), file.c_str());
    }

    restore.Disable();
    Trace(TRACE_INFO, "< Tool::Restore_Registry");
    return TRUE;
}

BOOL CAction::IsRegistryEntryExit(LPCSTR szKeyName) {
    Trace(TRACE_INFO, "> CTool::IsRegistryEntryExit");
    const char* name = szKeyName != nullptr ? szKeyName : "";
    UniqueRegKey key;
    // An empty name would open HKEY_LOCAL_MACHINE itself and report it as
    // an entry that the caller then deletes.
    LONG status = *name == '\0' ? static_cast<LONG>(ERROR_INVALID_PARAMETER)
                                : os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, name, 0, KEY_READ | (m_Record.wow64 ? KEY_WOW64_64KEY : 0), key.put());
    Trace(TRACE_INFO, "CTool::IsRegistryEntryExit -> szKeyName:%s RegOpenKeyEx: %li", name, static_cast<long>(status));
    return status == 0 ? TRUE : FALSE;
}

BOOL CAction::IsCollect_Registry_Exist() {
    Trace(TRACE_INFO, "> CTool::IsCollect_Registry_Exist");
    // A refused (empty) destination names nothing and counts as absent, as
    // does a folder past the path limit, which no platform call may get.
    DWORD attributes = m_szDest_Path_Registry.empty() || !FitsMaxPath(m_szDest_Path_Registry)
                           ? INVALID_FILE_ATTRIBUTES
                           : os().GetFileAttributesA(m_szDest_Path_Registry.c_str());
    Trace(TRACE_INFO, "CTool::IsCollect_Registry_Exist -> GetFileAttributes, m_szDest_Path_Registry:%s,dwRet=%ld",
          m_szDest_Path_Registry.c_str(), static_cast<long>(static_cast<std::int32_t>(attributes)));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Trace(TRACE_INFO, "< Tool::IsCollect_Registry_Exist -> File not exist");
        return FALSE;
    }
    Trace(TRACE_INFO, "< Tool::IsCollect_Registry_Exist -> File exist");
    return TRUE;
}
