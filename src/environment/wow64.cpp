// 64-bit Windows seen from a 32-bit program.
#include "environment/wow64.h"

#include <cctype>
#include <cstring>

#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace {

FARPROC Kernel32Proc(const char* name) {
    HMODULE kernel = os().GetModuleHandleA("kernel32.dll");
    return kernel != nullptr ? os().GetProcAddress(kernel, name) : nullptr;
}

// The key's full name in the registry ("\REGISTRY\MACHINE\..."), as ASCII
// lower case; empty when the system cannot tell.
std::string KeyName(HKEY key) {
    HMODULE ntdll = os().GetModuleHandleA("ntdll.dll");
    FARPROC proc = ntdll != nullptr ? os().GetProcAddress(ntdll, "NtQueryKey") : nullptr;
    if (proc == nullptr) return std::string();
    constexpr int kKeyNameInformation = 3;
    // A name holds at most 255 characters a level and 512 levels; the
    // branches asked for are short, so a bounded buffer suffices.
    unsigned char buffer[4 + 2 * 2048] = {};
    ULONG needed = 0;
    if (os().Call_NtQueryKey(proc, key, kKeyNameInformation, buffer, sizeof(buffer), &needed) != 0)
        return std::string();
    ULONG bytes = 0;
    std::memcpy(&bytes, buffer, 4);
    if (bytes > sizeof(buffer) - 4) return std::string();
    std::string name;
    for (ULONG i = 0; i + 1 < bytes; i += 2) {
        unsigned c = buffer[4 + i] | (buffer[5 + i] << 8);
        name += c < 0x80 ? static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c) : '?';
    }
    return name;
}

}  // namespace

bool RunsUnderWow64() {
    FARPROC proc = Kernel32Proc("IsWow64Process");
    BOOL wow64 = FALSE;
    return proc != nullptr && os().Call_IsWow64Process(proc, os().GetCurrentProcess(), &wow64) && wow64;
}

REGSAM Native64View() { return RunsUnderWow64() ? KEY_WOW64_64KEY : 0; }

NativeFileSystem::NativeFileSystem() {
    FARPROC disable = Kernel32Proc("Wow64DisableWow64FsRedirection");
    revert_ = Kernel32Proc("Wow64RevertWow64FsRedirection");
    if (disable == nullptr || revert_ == nullptr) return;
    off_ = os().Call_Wow64DisableWow64FsRedirection(disable, &oldValue_) != FALSE;
}

NativeFileSystem::~NativeFileSystem() {
    if (off_) os().Call_Wow64RevertWow64FsRedirection(revert_, oldValue_);
}

bool HasSeparate64BitKey(const char* path) {
    UniqueRegKey key64;
    if (os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, key64.put()) != 0) return false;
    UniqueRegKey key32;
    if (os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_32KEY, key32.put()) != 0) return true;
    const std::string name64 = KeyName(key64.get());
    return !name64.empty() && name64 != KeyName(key32.get());
}

bool IsBelowSystem32(const std::string& windowsFolder, const std::string& path) {
    if (windowsFolder.empty()) return false;
    std::string folder = windowsFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    const std::string prefix = folder + "\\system32";
    if (path.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return path.size() == prefix.size() || path[prefix.size()] == '\\';
}
