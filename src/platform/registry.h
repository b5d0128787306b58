// Registry keys, their values and their hive files.
// One entry a call: X(result, name, (parameters), (arguments)).
#pragma once

#include <cstddef>

#include "platform/calls.h"
#include "platform/types.h"

#define GX_REGISTRY_CALLS(X)                                                                       \
    X(LONG, SHDeleteKeyA, (HKEY root, const char* subKey), (root, subKey))                         \
    X(LONG, RegOpenKeyExA, (HKEY root, const char* subKey, DWORD options, REGSAM access,           \
      HKEY* result),                                                                               \
      (root, subKey, options, access, result))                                                     \
    X(LONG, RegCreateKeyExA, (HKEY root, const char* subKey, DWORD reserved, char* cls,            \
      DWORD options, REGSAM access, void* security, HKEY* result, DWORD* disposition),             \
      (root, subKey, reserved, cls, options, access, security, result, disposition))               \
    X(LONG, RegQueryValueExA, (HKEY key, const char* name, DWORD* reserved, DWORD* type,           \
      BYTE* data, DWORD* size),                                                                    \
      (key, name, reserved, type, data, size))                                                     \
    X(LONG, RegSaveKeyA, (HKEY key, const char* file, void* security), (key, file, security))      \
    X(LONG, RegRestoreKeyA, (HKEY key, const char* file, DWORD flags), (key, file, flags))         \
    X(LONG, RegEnumKeyExA, (HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved, \
      char* cls, DWORD* classLength, FILETIME* lastWrite),                                         \
      (key, index, name, nameLength, reserved, cls, classLength, lastWrite))                       \
    X(LONG, RegCloseKey, (HKEY key), (key))                                                        \
    /* Through the address GetProcAddress returned for "NtQueryKey" in ntdll: */                  \
    /* the key's full name, which tells the two registry views apart. */                           \
    X(LONG, Call_NtQueryKey, (FARPROC proc, HKEY key, int infoClass, void* buffer,                 \
      ULONG length, ULONG* resultLength),                                                          \
      (proc, key, infoClass, buffer, length, resultLength))                                        \
    /* Through the address GetProcAddress returned for "RegDeleteKeyExA" in */                    \
    /* advapi32: the one deletion that names the registry view. */                                 \
    X(LONG, Call_RegDeleteKeyExA, (FARPROC proc, HKEY root, const char* subKey, REGSAM access,     \
      DWORD reserved),                                                                             \
      (proc, root, subKey, access, reserved))                                                      \

namespace gx {

class RegistryApi {
public:
    virtual ~RegistryApi() = default;
    GX_REGISTRY_CALLS(GX_DECLARE_CALL)
};

}  // namespace gx
