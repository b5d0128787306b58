// 64-bit Windows as a 32-bit program sees it: whether it runs under WOW64,
// the switch that shows it the real System32, and which registry branches
// the 32-bit view keeps apart.
#pragma once

#include <string>

#include "platform/types.h"

// True when this 32-bit process runs on 64-bit Windows. IsWow64Process is
// looked up at run time: Windows 2000 and early XP lack it.
bool RunsUnderWow64();

// The view flag for keys that belong to the 64-bit side of 64-bit Windows
// (KEY_WOW64_64KEY there); none elsewhere, where Windows 2000 would refuse it.
gx::REGSAM Native64View();

// The trace and overview line for such a run.
constexpr char kWow64Note[] = "64-bit Windows (gathrix runs as a 32-bit program)";

// Turns the file-system redirection off for its lifetime, so that System32
// is the real one and not SysWOW64. The switch is looked up at run time, so
// Windows XP still loads the program; where there is none, nothing changes.
class NativeFileSystem {
public:
    NativeFileSystem();
    ~NativeFileSystem();
    NativeFileSystem(const NativeFileSystem&) = delete;
    NativeFileSystem& operator=(const NativeFileSystem&) = delete;
    bool Active() const { return off_; }

private:
    gx::FARPROC revert_ = nullptr;
    void* oldValue_ = nullptr;
    bool off_ = false;
};

// Whether the 64-bit view of HKLM\<path> is another key than the one a
// 32-bit program opens by default: true when the 64-bit view has the key and
// the 32-bit view has none or a different one. Asked of the running system,
// not of a list of Windows versions.
bool HasSeparate64BitKey(const char* path);

// A path's place below System32 ("system32\\..." after the Windows folder),
// so that callers can tell which reads need the real folder.
bool IsBelowSystem32(const std::string& windowsFolder, const std::string& path);
