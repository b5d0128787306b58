// The process token, its privileges, and security descriptors.
// One entry a call: X(result, name, (parameters), (arguments)).
#pragma once

#include <cstddef>

#include "platform/calls.h"
#include "platform/types.h"

#define GX_SECURITY_CALLS(X)                                                                       \
    X(HANDLE, GetCurrentProcess, (), ())                                                           \
    X(BOOL, OpenProcessToken, (HANDLE process, DWORD access, HANDLE* token),                       \
      (process, access, token))                                                                    \
    X(BOOL, LookupPrivilegeValueA, (const char* system, const char* name, LUID* luid),             \
      (system, name, luid))                                                                        \
    X(BOOL, AdjustTokenPrivileges, (HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,        \
      DWORD length, TOKEN_PRIVILEGES* previous, DWORD* returnLength),                              \
      (token, disableAll, state, length, previous, returnLength))                                  \
    X(DWORD, GetSecurityInfo, (HANDLE object, int objectType, DWORD info, PSID* owner,             \
      PSID* group, PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor),                      \
      (object, objectType, info, owner, group, dacl, sacl, descriptor))                            \
    X(DWORD, SetEntriesInAclA, (UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl,               \
      PACL* newAcl),                                                                               \
      (count, entries, oldAcl, newAcl))                                                            \
    X(DWORD, SetSecurityInfo, (HANDLE object, int objectType, DWORD info, PSID owner, PSID group,  \
      PACL dacl, PACL sacl),                                                                       \
      (object, objectType, info, owner, group, dacl, sacl))                                        \
    X(void*, LocalFree, (void* memory), (memory))                                                  \
    X(BOOL, GetTokenInformation, (HANDLE token, int infoClass, void* info, DWORD length,           \
      DWORD* returnLength),                                                                        \
      (token, infoClass, info, length, returnLength))                                              \

namespace gx {

class SecurityApi {
public:
    virtual ~SecurityApi() = default;
    GX_SECURITY_CALLS(GX_DECLARE_CALL)
};

}  // namespace gx
