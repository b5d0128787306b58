#include "registry/key_delete.h"

#include <cstdio>
#include <string>

#include "environment/action.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "registry/token_privilege.h"
#include "registry/reg_item.h"
#include "trace/trace.h"

using namespace gx;

namespace {

// The platform's name for the user of the calling process.
constexpr char kCurrentUser[] = "CURRENT_USER";

void PrintStatus(const char* format, DWORD status) {
    char line[64];
    std::snprintf(line, sizeof(line), format, static_cast<unsigned>(status));
    os().WriteStdout(line);
}

// A path that names no key (empty, or separators only) would stand for
// HKEY_LOCAL_MACHINE itself.
bool NamesAKey(const char* path) {
    if (path == nullptr) return false;
    for (; *path != '\0'; ++path)
        if (*path != '\\') return true;
    return false;
}

// Deletes the key tree at `path`. The shell's call names no registry view,
// so on 64-bit Windows it would reach the 32-bit view: there the subkeys go
// through a handle opened in the 64-bit view, and the emptied key through
// the deletion that names the view.
LONG DeleteKeyTree(const char* path, bool wow64) {
    if (!wow64) return os().SHDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    UniqueRegKey key;
    LONG status = os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, key.put());
    if (status != 0) return status;
    std::string last;
    for (;;) {
        char name[256] = {};
        DWORD length = sizeof(name);
        status = os().RegEnumKeyExA(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) break;
        // A subkey that is still first after its deletion was not deleted.
        if (status == 0 && last == name) status = static_cast<LONG>(ERROR_ACCESS_DENIED);
        if (status == 0) status = os().SHDeleteKeyA(key.get(), name);
        if (status != 0) return status;
        last = name;
    }
    key.reset();
    HMODULE advapi = os().GetModuleHandleA("advapi32.dll");
    FARPROC proc = advapi != nullptr ? os().GetProcAddress(advapi, "RegDeleteKeyExA") : nullptr;
    if (proc == nullptr) return static_cast<LONG>(ERROR_PROC_NOT_FOUND);
    return os().Call_RegDeleteKeyExA(proc, HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, 0);
}

}  // namespace

DWORD AddAccessEntry(HANDLE hObject, int objectType, const char* pszTrustee, int trusteeForm, int trusteeType,
                     DWORD accessPermissions, int accessMode, DWORD inheritance) {
    if (hObject == nullptr) return ERROR_INVALID_PARAMETER;
    PACL oldDacl = nullptr;  // inside the descriptor
    UniqueLocalMemory newDacl;
    UniqueLocalMemory descriptor;
    DWORD status = os().GetSecurityInfo(hObject, objectType, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldDacl,
                                        nullptr, descriptor.put());
    if (status != 0) {
        PrintStatus("GetSecurityInfo Error %u\n", status);
    } else {
        EXPLICIT_ACCESS_A entry = {};
        entry.grfAccessPermissions = accessPermissions;
        entry.grfAccessMode = accessMode;
        entry.grfInheritance = inheritance;
        entry.Trustee.pMultipleTrustee = nullptr;
        entry.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
        entry.Trustee.TrusteeForm = trusteeForm;
        entry.Trustee.TrusteeType = trusteeType;
        entry.Trustee.ptstrName = const_cast<char*>(pszTrustee);  // read only
        status = os().SetEntriesInAclA(1, &entry, oldDacl, newDacl.put());
        if (status != 0) {
            PrintStatus("SetEntriesInAcl Error %u\n", status);
        } else {
            status = os().SetSecurityInfo(hObject, objectType, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                          newDacl.get(), nullptr);
            if (status != 0) PrintStatus("SetSecurityInfo Error %u\n", status);
        }
    }
    return status;
}

void GrantAccessToKeyTree(const char* szKeyPath) {
    CRegItem item(szKeyPath, TRUE);
    {
        // Changing a DACL needs WRITE_DAC on the handle, which a handle for
        // reading lacks; the reading handle is the fallback, so that a key
        // whose DACL cannot be changed still reports why.
        UniqueRegKey key = item.Open(READ_CONTROL | WRITE_DAC);
        if (!key) key = item.Open();
        AddAccessEntry(key.get(), SE_REGISTRY_KEY, kCurrentUser, TRUSTEE_IS_NAME, TRUSTEE_IS_UNKNOWN, KEY_ALL_ACCESS,
                       GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
    }
    CRegSubKeyIterator subKeys(item);
    while (subKeys.Next()) {
        CRegItem child = subKeys.Current();
        GrantAccessToKeyTree(child.GetPath());
    }
}

BOOL CAction::DeleteRegistryEntry(LPCSTR szKeyPath) {
    Trace(TRACE_INFO, "> CTool::DeleteRegistryEntry");
    if (!NamesAKey(szKeyPath)) {
        Trace(TRACE_ERROR, "ERR CTool::DeleteRegistryEntry -> no key named, refused: %s",
              szKeyPath != nullptr ? szKeyPath : "(null)");
        return FALSE;
    }
    {
        ScopedPrivilege restore(*this, "SeRestorePrivilege", "CTool::DeleteRegistryEntry");
        if (!restore.Enable("CTool::DeleteRegistryEntry")) return FALSE;
        // The privilege stays enabled for the rest of the process.
        restore.Keep();
    }
    for (int attempt = 1; attempt <= 2; ++attempt) {
        if (attempt == 2) GrantAccessToKeyTree(szKeyPath);
        LONG status = DeleteKeyTree(szKeyPath, m_Record.wow64);
        if (status != 0)
            Trace(TRACE_INFO, "ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt %d: %li, szKeyPath:%s", attempt,
                  static_cast<long>(status), szKeyPath);
    }
    return TRUE;
}
