#include "wine_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace winetest {

namespace {

// One call's outcome; a failure names the call, its argument, its result
// and the last error. `tolerated` is a last error that counts as success.
template <class T>
::testing::AssertionResult Check(T result, bool ok, const char* call, const std::string& argument,
                                 DWORD tolerated = ERROR_SUCCESS) {
    DWORD error = GetLastError();
    if (ok || (tolerated != ERROR_SUCCESS && error == tolerated)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << call << "(" << argument << ") = " << result << ", last error " << error;
}

// A fresh name per folder, also under --gtest_repeat.
std::string UniqueSuffix() {
    static LONG counter = 0;
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "-%lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&counter));
    return buffer;
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& name) {
    BOOL made = CreateDirectoryA("C:\\gxtest", nullptr);
    EXPECT_TRUE(Check(made, made != FALSE, "CreateDirectoryA", "C:\\gxtest", ERROR_ALREADY_EXISTS));
    path_ = "C:\\gxtest\\" + name + UniqueSuffix();
    if (Exists(path_)) RemoveTree(path_);
    made = CreateDirectoryA(path_.c_str(), nullptr);
    EXPECT_TRUE(Check(made, made != FALSE, "CreateDirectoryA", path_));
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

namespace {

std::wstring Wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(wide.size() - 1);
    return wide;
}

// The wide calls through "\\?\" also reach what a test made past the path limit.
void RemoveLongTree(const std::string& path) {
    const std::wstring full = Wide("\\\\?\\" + path);
    DWORD attributes = GetFileAttributesW(full.c_str());
    ::testing::AssertionResult found = Check(attributes, attributes != INVALID_FILE_ATTRIBUTES, "GetFileAttributesW", path);
    if (!found) {
        ADD_FAILURE() << found.message();
        return;
    }
    BOOL done = SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(Check(done, done != FALSE, "SetFileAttributesW", path));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        done = DeleteFileW(full.c_str());
        EXPECT_TRUE(Check(done, done != FALSE, "DeleteFileW", path));
        return;
    }
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((full + L"\\*").c_str(), &entry);
    EXPECT_TRUE(Check(find, find != INVALID_HANDLE_VALUE, "FindFirstFileW", path + "\\*"));
    if (find != INVALID_HANDLE_VALUE) {
        do {
            char name[MAX_PATH * 2] = {};
            WideCharToMultiByte(CP_ACP, 0, entry.cFileName, -1, name, sizeof(name), nullptr, nullptr);
            if (std::string(name) != "." && std::string(name) != "..") names.push_back(name);
        } while (FindNextFileW(find, &entry));
        EXPECT_TRUE(Check(0, GetLastError() == ERROR_NO_MORE_FILES, "FindNextFileW", path + "\\*"));
        FindClose(find);
    }
    for (const std::string& name : names) RemoveLongTree(path + "\\" + name);
    done = RemoveDirectoryW(full.c_str());
    EXPECT_TRUE(Check(done, done != FALSE, "RemoveDirectoryW", path));
}

}  // namespace

void RemoveTree(const std::string& path) { RemoveLongTree(path); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

::testing::AssertionResult WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) return ::testing::AssertionFailure() << "cannot write " << content.size() << " bytes to " << path;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetReadOnly(const std::string& path) {
    BOOL done = SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    return Check(done, done != FALSE, "SetFileAttributesA", path);
}

HeldOpen::HeldOpen(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    opened_ = Check(file, file != INVALID_HANDLE_VALUE, "CreateFileA", path);
    if (opened_) handle_ = file;
}

HeldOpen::~HeldOpen() {
    if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}

::testing::AssertionResult MakeFolders(const std::string& path) {
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '\\') continue;
        const std::string folder = path.substr(0, i);
        BOOL made = CreateDirectoryA(folder.c_str(), nullptr);
        ::testing::AssertionResult result = Check(made, made != FALSE, "CreateDirectoryA", folder, ERROR_ALREADY_EXISTS);
        if (!result) return result;
    }
    return ::testing::AssertionSuccess();
}

std::string ProductExe() {
    const char* value = std::getenv("GATHRIX_PRODUCT_EXE");
    std::string path = value != nullptr ? value : "";
    if (!path.empty() && path[0] == '/') {
        // A Unix path reaches Windows through drive Z:.
        std::string windows = "Z:" + path;
        for (char& c : windows)
            if (c == '/') c = '\\';
        return windows;
    }
    return path;
}

namespace {

struct CloseContext {
    DWORD processId;
    int closed;
};

BOOL CALLBACK CloseDialogsOf(HWND window, LPARAM param) {
    auto* context = reinterpret_cast<CloseContext*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (owner == context->processId && std::string(cls) == "#32770" && IsWindowVisible(window)) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        ++context->closed;
    }
    return TRUE;
}

}  // namespace

RunResult RunAndCancel(const std::string& exe, const std::string& arguments,
                       const std::string& workingFolder, DWORD timeoutMs) {
    RunResult result;
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process);
    ::testing::AssertionResult launched = Check(started, started != FALSE, "CreateProcessA", exe);
    if (!launched) {
        ADD_FAILURE() << launched.message();
        return result;
    }
    result.started = true;
    DWORD waited = 0;
    while (waited < timeoutMs) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
        waited += 100;
        CloseContext context{process.dwProcessId, 0};
        EnumWindows(CloseDialogsOf, reinterpret_cast<LPARAM>(&context));
        result.dialogsClosed += context.closed;
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
        result.exited = true;
        GetExitCodeProcess(process.hProcess, &result.exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    BOOL closed = CloseHandle(process.hThread);
    EXPECT_TRUE(Check(closed, closed != FALSE, "CloseHandle", "thread"));
    closed = CloseHandle(process.hProcess);
    EXPECT_TRUE(Check(closed, closed != FALSE, "CloseHandle", "process"));
    return result;
}

std::vector<std::string> ImportsOf(const std::string& exe, std::vector<std::string>* dlls) {
    std::vector<std::string> functions;
    std::string image = ReadFile(exe);
    auto at = [&](std::size_t offset) -> const unsigned char* {
        return offset < image.size() ? reinterpret_cast<const unsigned char*>(image.data()) + offset : nullptr;
    };
    if (image.size() < 0x40) return functions;
    DWORD peOffset = *reinterpret_cast<const DWORD*>(at(0x3C));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(at(peOffset));
    if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE) return functions;
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    auto fileOffset = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return image.size();
    };
    DWORD importRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (std::size_t d = fileOffset(importRva);; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(d));
        if (descriptor == nullptr || descriptor->Name == 0) break;
        std::string dll = reinterpret_cast<const char*>(at(fileOffset(descriptor->Name)));
        if (dlls != nullptr) dlls->push_back(dll);
        DWORD thunkRva = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        for (std::size_t t = fileOffset(thunkRva);; t += 4) {
            const unsigned char* entry = at(t);
            if (entry == nullptr) break;
            DWORD value = *reinterpret_cast<const DWORD*>(entry);
            if (value == 0) break;
            if (value & IMAGE_ORDINAL_FLAG32) continue;
            const unsigned char* byName = at(fileOffset(value));
            if (byName == nullptr) break;
            functions.push_back(dll + "!" + reinterpret_cast<const char*>(byName + 2));
        }
    }
    return functions;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace winetest
