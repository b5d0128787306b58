// The real boundary for registry keys and hive files: each call forwards to the
// Win32 call of its name.
#include <windows.h>
#include <shlwapi.h>

#include "platform/win32/win32_support.h"

namespace gx {
namespace {

class Win32Registry final : public RegistryApi {
public:
    LONG SHDeleteKeyA(HKEY root, const char* subKey) override {
        return static_cast<LONG>(::SHDeleteKeyA(as<::HKEY>(root), subKey));
    }
    LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access,
                       HKEY* result) override {
        return ::RegOpenKeyExA(as<::HKEY>(root), subKey, options, access, as<::HKEY*>(result));
    }
    LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved, char* cls,
                         DWORD options, REGSAM access, void* security, HKEY* result,
                         DWORD* disposition) override {
        return ::RegCreateKeyExA(as<::HKEY>(root), subKey, reserved, cls, options, access,
                                 static_cast<LPSECURITY_ATTRIBUTES>(security),
                                 as<::HKEY*>(result), as<::DWORD*>(disposition));
    }
    LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type,
                          BYTE* data, DWORD* size) override {
        return ::RegQueryValueExA(as<::HKEY>(key), name, as<::DWORD*>(reserved),
                                  as<::DWORD*>(type), data, as<::DWORD*>(size));
    }
    LONG RegSaveKeyA(HKEY key, const char* file, void* security) override {
        return ::RegSaveKeyA(as<::HKEY>(key), file, static_cast<LPSECURITY_ATTRIBUTES>(security));
    }
    LONG RegRestoreKeyA(HKEY key, const char* file, DWORD flags) override {
        return ::RegRestoreKeyA(as<::HKEY>(key), file, flags);
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                       char* cls, DWORD* classLength, FILETIME* lastWrite) override {
        return ::RegEnumKeyExA(as<::HKEY>(key), index, name, as<::DWORD*>(nameLength),
                               as<::DWORD*>(reserved), cls, as<::DWORD*>(classLength),
                               as<::FILETIME*>(lastWrite));
    }
    LONG RegCloseKey(HKEY key) override { return ::RegCloseKey(as<::HKEY>(key)); }
    LONG Call_NtQueryKey(FARPROC proc, HKEY key, int infoClass, void* buffer, ULONG length,
                         ULONG* resultLength) override {
        using Fn = ::LONG(NTAPI*)(::HANDLE, int, ::PVOID, ::ULONG, ::PULONG);
        return as<Fn>(proc)(as<::HANDLE>(key), infoClass, buffer, length, as<::PULONG>(resultLength));
    }
    LONG Call_RegDeleteKeyExA(FARPROC proc, HKEY root, const char* subKey, REGSAM access,
                              DWORD reserved) override {
        using Fn = ::LONG(WINAPI*)(::HKEY, LPCSTR, ::REGSAM, ::DWORD);
        return as<Fn>(proc)(as<::HKEY>(root), subKey, access, reserved);
    }
};

}  // namespace

RegistryApi& Win32RegistryApi() {
    static Win32Registry* const instance = new Win32Registry();
    return *instance;
}

}  // namespace gx
