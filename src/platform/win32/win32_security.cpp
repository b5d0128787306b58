// The real boundary for the process token, privileges and security descriptors:
// each call forwards to the Win32 call of its name.
#include <windows.h>
#include <aclapi.h>

#include <cstddef>

#include "platform/win32/win32_support.h"

static_assert(sizeof(::TOKEN_PRIVILEGES) == sizeof(gx::TOKEN_PRIVILEGES), "privilege record");
static_assert(sizeof(::LUID) == sizeof(gx::LUID), "LUID");

namespace gx {
namespace {

class Win32Security final : public SecurityApi {
public:
    HANDLE GetCurrentProcess() override { return ::GetCurrentProcess(); }
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override {
        return ::OpenProcessToken(process, access, token);
    }
    BOOL LookupPrivilegeValueA(const char* system, const char* name, LUID* luid) override {
        return ::LookupPrivilegeValueA(system, name, as<::LUID*>(luid));
    }
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,
                               DWORD length, TOKEN_PRIVILEGES* previous,
                               DWORD* returnLength) override {
        return ::AdjustTokenPrivileges(token, disableAll, as<::PTOKEN_PRIVILEGES>(state), length,
                                       as<::PTOKEN_PRIVILEGES>(previous),
                                       as<::PDWORD>(returnLength));
    }
    DWORD GetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID* owner, PSID* group,
                          PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) override {
        return ::GetSecurityInfo(object, static_cast<::SE_OBJECT_TYPE>(objectType), info,
                                 as<::PSID*>(owner), as<::PSID*>(group), as<::PACL*>(dacl),
                                 as<::PACL*>(sacl), as<::PSECURITY_DESCRIPTOR*>(descriptor));
    }
    DWORD SetEntriesInAclA(UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl,
                           PACL* newAcl) override {
        // Converted one record at a time: the program passes one.
        ::EXPLICIT_ACCESS_A real[4] = {};
        if (count > 4) return ERROR_INVALID_PARAMETER;
        for (UINT i = 0; i < count; ++i) {
            real[i].grfAccessPermissions = entries[i].grfAccessPermissions;
            real[i].grfAccessMode = static_cast<::ACCESS_MODE>(entries[i].grfAccessMode);
            real[i].grfInheritance = entries[i].grfInheritance;
            real[i].Trustee.pMultipleTrustee = nullptr;
            real[i].Trustee.MultipleTrusteeOperation =
                static_cast<::MULTIPLE_TRUSTEE_OPERATION>(entries[i].Trustee.MultipleTrusteeOperation);
            real[i].Trustee.TrusteeForm = static_cast<::TRUSTEE_FORM>(entries[i].Trustee.TrusteeForm);
            real[i].Trustee.TrusteeType = static_cast<::TRUSTEE_TYPE>(entries[i].Trustee.TrusteeType);
            real[i].Trustee.ptstrName = entries[i].Trustee.ptstrName;
        }
        return ::SetEntriesInAclA(count, real, as<::PACL>(oldAcl), as<::PACL*>(newAcl));
    }
    DWORD SetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID owner, PSID group,
                          PACL dacl, PACL sacl) override {
        return ::SetSecurityInfo(object, static_cast<::SE_OBJECT_TYPE>(objectType), info,
                                 as<::PSID>(owner), as<::PSID>(group), as<::PACL>(dacl),
                                 as<::PACL>(sacl));
    }
    void* LocalFree(void* memory) override { return ::LocalFree(memory); }
    BOOL GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD length, DWORD* returnLength) override {
        return ::GetTokenInformation(token, static_cast<::TOKEN_INFORMATION_CLASS>(infoClass), info, length,
                                     as<::DWORD*>(returnLength));
    }
};

}  // namespace

SecurityApi& Win32SecurityApi() {
    static Win32Security* const instance = new Win32Security();
    return *instance;
}

}  // namespace gx
