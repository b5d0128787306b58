// Deletion of a key tree below HKEY_LOCAL_MACHINE, with the access change
// that makes refused keys deletable.
#pragma once

#include "platform/types.h"

// Grants the access entry to the key and, depth-first, to every key below
// it. Failures are printed and passed over.
void GrantAccessToKeyTree(const char* szKeyPath);

// Merges one explicit-access entry into the object's DACL. Returns the
// status of the first security call that failed, 0 on success, and
// ERROR_INVALID_PARAMETER for a null handle (silently). Failures of the
// security calls go to standard output.
gx::DWORD AddAccessEntry(gx::HANDLE hObject, int objectType, const char* pszTrustee, int trusteeForm,
                         int trusteeType, gx::DWORD accessPermissions, int accessMode, gx::DWORD inheritance);
