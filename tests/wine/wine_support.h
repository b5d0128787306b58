// Helpers of the Wine suite: scratch folders on drive C, files, and starting
// the real gathrix.exe with its dialogs answered.
#pragma once

#include <windows.h>

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
bool WriteFile(const std::string& path, const std::string& content);
void MakeFolders(const std::string& path);

// The product under test (GATHRIX_PRODUCT_EXE, a Unix or Windows path).
std::string ProductExe();

struct RunResult {
    bool started = false;
    bool exited = false;
    DWORD exitCode = 0;
    int dialogsClosed = 0;
};

// Starts `exe` with `arguments`, closes each dialog the process opens with
// IDCANCEL, and waits for the end (at most timeoutMs).
RunResult RunAndCancel(const std::string& exe, const std::string& arguments,
                       const std::string& workingFolder, DWORD timeoutMs = 20000);

// Names of the DLLs and functions a PE file imports ("KERNEL32.dll!Sleep").
std::vector<std::string> ImportsOf(const std::string& exe, std::vector<std::string>* dlls);

// Lines of a CR LF text file.
std::vector<std::string> Lines(const std::string& text);

}  // namespace winetest
