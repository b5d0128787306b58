// The fake's process, time, version and failure-injection parts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_text.h"

namespace gx {

namespace {

// Copies text into a Win32-style buffer: the length without NUL on success,
// the needed size with NUL when the buffer is too small.
UINT CopyOut(const std::string& text, char* buffer, UINT size) {
    if (text.size() + 1 > size) return static_cast<UINT>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<UINT>(text.size());
}

// Fixed tokens for the two run-time lookups the program makes.
ProcAddress__* const kShGetFolderPath = reinterpret_cast<ProcAddress__*>(0x5A01);
ProcAddress__* const kGetSystemWindowsDirectory = reinterpret_cast<ProcAddress__*>(0x5A02);
ProcAddress__* const kIsWow64Process = reinterpret_cast<ProcAddress__*>(0x5A03);

}  // namespace

FakePlatform::FakePlatform() {
    char pattern[] = "/tmp/gx-fake-XXXXXX";
    char* made = ::mkdtemp(pattern);
    if (made == nullptr) throw std::runtime_error("cannot create the fake's drive folder");
    root = made;
    std::filesystem::create_directories(root + "/C");
    hklm = std::make_shared<FakeRegNode>();
    hklm->name = "HKEY_LOCAL_MACHINE";
    // Windows XP Professional SP2 unless a test says otherwise.
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    version.dwMajorVersion = 5;
    version.dwMinorVersion = 1;
    version.dwBuildNumber = 2600;
    version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(version.szCSDVersion, "Service Pack 2");
    version.wServicePackMajor = 2;
    version.wSuiteMask = VER_SUITE_SINGLEUSERTS;
    version.wProductType = VER_NT_WORKSTATION;
    shellFolders = {
        {CSIDL_PROGRAM_FILES_COMMON, "C:\\Program Files\\Common Files"},
        {CSIDL_PROGRAM_FILES, "C:\\Program Files"},
        {CSIDL_COMMON_APPDATA, "C:\\Documents and Settings\\All Users\\Application Data"},
        {CSIDL_COMMON_DOCUMENTS, "C:\\Documents and Settings\\All Users\\Documents"},
        {CSIDL_LOCAL_APPDATA, "C:\\Documents and Settings\\user\\Local Settings\\Application Data"},
        {CSIDL_WINDOWS, "C:\\WINDOWS"},
    };
}

FakePlatform::~FakePlatform() {
    for (KeyHandle* key : keys_) delete key;
    for (FindState* find : finds_) delete find;
    for (FileState* file : files_) delete file;
    for (SecurityBlock* block : securityBlocks_) delete block;
    for (std::string* log : eventLogHandles_) delete log;
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

const char* FakeOpName(FakeOp op) {
    static const char* const kNames[] = {
#define GX_FAKE_OP(result, name, parameters, arguments) #name,
        GX_PLATFORM_CALLS(GX_FAKE_OP)
#undef GX_FAKE_OP
    };
    return kNames[static_cast<int>(op)];
}

FakeFault& FakePlatform::Fail(FakeOp op, DWORD code, int times, int skip) {
    faults_.push_back(FakeFault{op, code, times, skip, {}});
    return faults_.back();
}

std::string FakePlatform::UnfiredFaults() const {
    std::string text;
    for (const FakeFault& fault : faults_) {
        if (fault.fired > 0 || fault.mayNotFire) continue;
        text += std::string("injected failure of ") + FakeOpName(fault.op) + " (code " +
                std::to_string(fault.code) + ", skip " + std::to_string(fault.skip) +
                (fault.when ? ", with a condition" : "") + ") never fired\n";
    }
    return text;
}

std::string FakePlatform::OpenHandles() const {
    std::string text;
    for (const KeyHandle* key : keys_) text += "key " + key->node->name + "\n";
    for (const FindState* find : finds_)
        text += "search of " + std::to_string(find->entries.size()) + " entries\n";
    for (const FileState* file : files_) text += "file " + file->hostPath.substr(root.size()) + "\n";
    if (openTokens > 0) text += std::to_string(openTokens) + " token(s)\n";
    for (const std::string* log : eventLogHandles_) text += "event log " + *log + "\n";
    for (const SecurityBlock* block : securityBlocks_)
        text += std::string(block->isAcl ? "ACL" : "security descriptor") + " of " + block->node->name + "\n";
    return text;
}

namespace {

void DescribeKey(const FakeRegNode& node, const std::string& path, std::string& out) {
    out += "  " + path;
    if (node.isVolatile) out += " (volatile)";
    if (node.openDenied) out += " (open denied)";
    if (node.deleteDenied) out += " (delete denied)";
    if (node.writeDacDenied) out += " (DACL fixed)";
    if (node.ownerOnly) out += " (owner only)";
    for (const auto& value : node.values) out += " " + value.first + "=" + std::to_string(value.second.data.size()) + "B";
    out += "\n";
    for (const std::string& child : node.childOrder) {
        const FakeRegNode& sub = *node.children.at(child);
        DescribeKey(sub, path + "\\" + sub.name, out);
    }
}

}  // namespace

std::string FakePlatform::DescribeState() const {
    std::string out = "fake Windows:\n files below " + root + ":\n";
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::string path = it->path().string().substr(root.size());
        out += "  " + path + (it->is_directory(error) ? "\\" : " " + std::to_string(it->file_size(error)) + "B") + "\n";
    }
    out += " keys:\n";
    DescribeKey(*hklm, "HKLM", out);
    for (const std::string& path : lockedFiles) out += " locked: " + path + "\n";
    for (const std::string& path : readOnlyFolders) out += " protected: " + path + "\n";
    std::string open = OpenHandles();
    out += " open handles:" + std::string(open.empty() ? " none\n" : "\n" + open);
    for (const FakeFault& fault : faults_)
        out += std::string(" injected failure of ") + FakeOpName(fault.op) + " code " + std::to_string(fault.code) +
               (fault.when ? " with a condition" : "") + ", fired " + std::to_string(fault.fired) + "\n";
    return out;
}

bool FakePlatform::Injected(FakeOp op, const std::vector<std::string>& args, DWORD* code) {
    for (FakeFault& fault : faults_) {
        if (fault.op != op || fault.times == 0) continue;
        if (fault.when && !fault.when(args)) continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        if (fault.times > 0) --fault.times;
        ++fault.fired;
        *code = fault.code;
        return true;
    }
    return false;
}

bool FakePlatform::FailsNow(FakeOp op, const std::vector<std::string>& args) {
    DWORD code = 0;
    if (!Injected(op, args, &code)) return false;
    lastError_ = code;
    return true;
}

void FakePlatform::Log(const std::string& name, std::vector<std::string> args) {
    // Which arguments of a logged call are file or key paths.
    static const std::map<std::string, std::vector<std::size_t>> kPathArguments = {
        {"GetFileAttributesA", {0}}, {"CreateDirectoryA", {0}}, {"RemoveDirectoryA", {0}},
        {"DeleteFileA", {0}},        {"FindFirstFileA", {0}},   {"CreateFileA", {0}},
        {"SHFileOperationA", {0, 1}}, {"BackupEventLogA", {1}}, {"RegOpenKeyExA", {0}},
        {"RegCreateKeyExA", {0}},    {"RegSaveKeyA", {0}},      {"RegRestoreKeyA", {0}},
        {"SHDeleteKeyA", {0}},
    };
    auto paths = kPathArguments.find(name);
    if (paths != kPathArguments.end())
        for (std::size_t index : paths->second)
            if (index < args.size()) NotePath(args[index]);
    calls.push_back({name, std::move(args)});
}

std::vector<FakeCall> FakePlatform::CallsOf(const std::string& name) const {
    std::vector<FakeCall> found;
    for (const FakeCall& call : calls)
        if (call.name == name) found.push_back(call);
    return found;
}

int FakePlatform::CountOf(const std::string& name) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const FakeCall& c) { return c.name == name; }));
}

void FakePlatform::Unexpected(const std::string& operation) {
    std::string message = "fake platform: unexpected call of " + operation;
    // Inside a dialog the program's own handlers would catch this; the
    // modal loop reports it when it unwinds.
    RecordFailure(message);
    throw std::logic_error(message);
}

DWORD FakePlatform::GetModuleFileNameA(HMODULE, char* buffer, DWORD size) {
    Log("GetModuleFileNameA");
    if (size == 0) return 0;
    // Like Windows: a cut path fills the buffer and (on XP) is not terminated.
    std::size_t length = modulePath.size();
    if (length >= size) {
        std::memcpy(buffer, modulePath.data(), size);
        lastError_ = ERROR_INSUFFICIENT_BUFFER;
        return size;
    }
    std::memcpy(buffer, modulePath.c_str(), length + 1);
    return static_cast<DWORD>(length);
}

const char* FakePlatform::GetCommandLineA() {
    Log("GetCommandLineA");
    return commandLine.c_str();
}

void FakePlatform::GetLocalTime(SYSTEMTIME* time) { *time = clock; }

DWORD FakePlatform::GetLastError() { return lastError_; }
void FakePlatform::SetLastError(DWORD code) { lastError_ = code; }

LANGID FakePlatform::GetUserDefaultLangID() {
    Log("GetUserDefaultLangID");
    return langId;
}

BOOL FakePlatform::GetVersionExA(OSVERSIONINFOA* info) {
    Log("GetVersionExA", {std::to_string(info->dwOSVersionInfoSize)});
    if (FailsNow(FakeOp::GetVersionExA, LastArgs())) return FALSE;
    DWORD size = info->dwOSVersionInfoSize;
    if (size == sizeof(OSVERSIONINFOA)) {
        std::memcpy(info, &version, sizeof(OSVERSIONINFOA));
        info->dwOSVersionInfoSize = size;
        return TRUE;
    }
    if (size == sizeof(OSVERSIONINFOEXA)) {
        std::memcpy(info, &version, sizeof(OSVERSIONINFOEXA));
        info->dwOSVersionInfoSize = size;
        return TRUE;
    }
    lastError_ = ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
}

UINT FakePlatform::GetWindowsDirectoryA(char* buffer, UINT size) {
    Log("GetWindowsDirectoryA");
    if (FailsNow(FakeOp::GetWindowsDirectoryA, LastArgs())) return 0;
    return CopyOut(windowsDir, buffer, size);
}

HMODULE FakePlatform::GetModuleHandleA(const char* name) {
    std::string module = Lower(name != nullptr ? name : "");
    Log("GetModuleHandleA", {name != nullptr ? name : "(null)"});
    if (loadedModules.count(module) == 0) {
        lastError_ = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    // Any stable non-null value names the module.
    return reinterpret_cast<HMODULE>(const_cast<std::string*>(&*loadedModules.find(module)));
}

FARPROC FakePlatform::GetProcAddress(HMODULE module, const char* name) {
    Log("GetProcAddress", {name});
    std::string moduleName;
    for (const std::string& loaded : loadedModules)
        if (reinterpret_cast<HMODULE>(const_cast<std::string*>(&loaded)) == module) moduleName = loaded;
    std::string wanted = std::string(name);
    if (missingProcs.count(moduleName + "!" + wanted) != 0) {
        lastError_ = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    if (moduleName == "shell32.dll" && wanted == "SHGetFolderPathA") return kShGetFolderPath;
    if (moduleName == "kernel32.dll" && wanted == "GetSystemWindowsDirectoryA")
        return kGetSystemWindowsDirectory;
    if (moduleName == "kernel32.dll" && wanted == "IsWow64Process") return kIsWow64Process;
    lastError_ = ERROR_PROC_NOT_FOUND;
    return nullptr;
}

HRESULT FakePlatform::Call_SHGetFolderPathA(FARPROC proc, HWND owner, int csidl, HANDLE token,
                                            DWORD flags, char* path) {
    if (proc != kShGetFolderPath) Unexpected("Call_SHGetFolderPathA with a foreign address");
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%X", static_cast<unsigned>(csidl));
    Log("SHGetFolderPathA", {hex, owner == nullptr ? "null" : "owner",
                             token == nullptr ? "null" : "token", std::to_string(flags)});
    DWORD code = 0;
    if (Injected(FakeOp::Call_SHGetFolderPathA, LastArgs(), &code)) {
        path[0] = '\0';
        return static_cast<HRESULT>(code);
    }
    auto folder = shellFolders.find(csidl);
    if (folder == shellFolders.end()) {
        path[0] = '\0';
        return static_cast<HRESULT>(0x80070002u);  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
    }
    // The shell writes at most MAX_PATH characters.
    std::snprintf(path, MAX_PATH, "%s", folder->second.c_str());
    return 0;
}

UINT FakePlatform::Call_GetSystemWindowsDirectoryA(FARPROC proc, char* buffer, UINT size) {
    if (proc != kGetSystemWindowsDirectory)
        Unexpected("Call_GetSystemWindowsDirectoryA with a foreign address");
    Log("GetSystemWindowsDirectoryA");
    if (FailsNow(FakeOp::Call_GetSystemWindowsDirectoryA, LastArgs())) return 0;
    return CopyOut(systemWindowsDir, buffer, size);
}

void FakePlatform::Sleep(DWORD milliseconds) {
    ++sleeps;
    sleptMs += milliseconds;
    if (onSleep) onSleep();
    UserActsAt(FakeUserAction::Moment::Sleep);
}

DWORD FakePlatform::GetTickCount() {
    DWORD now = tickCount;
    tickCount += tickStep;
    return now;
}

BOOL FakePlatform::GetComputerNameA(char* buffer, DWORD* size) {
    Log("GetComputerNameA", {std::to_string(*size)});
    if (FailsNow(FakeOp::GetComputerNameA, LastArgs())) return FALSE;
    if (computerName.size() + 1 > *size) {
        *size = static_cast<DWORD>(computerName.size() + 1);
        lastError_ = ERROR_BUFFER_OVERFLOW;
        return FALSE;
    }
    std::memcpy(buffer, computerName.c_str(), computerName.size() + 1);
    *size = static_cast<DWORD>(computerName.size());
    return TRUE;
}

BOOL FakePlatform::Call_IsWow64Process(FARPROC proc, HANDLE, BOOL* wow64) {
    if (proc != kIsWow64Process) Unexpected("Call_IsWow64Process with a foreign address");
    *wow64 = isWow64 ? TRUE : FALSE;
    return TRUE;
}

void FakePlatform::WriteStdout(const char* text) { stdoutText += text; }

}  // namespace gx
