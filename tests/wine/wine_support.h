// Helpers of the Wine suite: scratch folders on drive C, files, and starting
// the real gathrix.exe with its dialogs answered.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wine_files.h"

namespace winetest {

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

}  // namespace winetest
