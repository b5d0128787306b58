// File helpers of the Wine suite that need no <windows.h>, for tests that
// include the program's own headers (their Win32-shaped types clash with it).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace winetest {

// A fresh folder C:\gxtest\<name>-<pid>-<n>, removed with its contents.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& child) const { return path_ + "\\" + child; }

private:
    std::string path_;
};

void RemoveTree(const std::string& path);
bool Exists(const std::string& path);
std::string ReadFile(const std::string& path);
// These fail with the call that failed, its result and the last error.
::testing::AssertionResult WriteFile(const std::string& path, const std::string& content);
::testing::AssertionResult MakeFolders(const std::string& path);
::testing::AssertionResult SetReadOnly(const std::string& path);

// An existing file held open by "another program" with no sharing allowed
// (share mode 0) for the holder's lifetime.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path);
    ~HeldOpen();
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    const ::testing::AssertionResult& held() const { return opened_; }

private:
    void* handle_ = nullptr;
    ::testing::AssertionResult opened_ = ::testing::AssertionFailure();
};

// Lines of a CR LF text file.
std::vector<std::string> Lines(const std::string& text);

}  // namespace winetest
