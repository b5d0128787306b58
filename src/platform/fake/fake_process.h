// The fake's process: its module path, command line, clock, language,
// version, folders, the run-time lookups, waiting and the computer name.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_core.h"

namespace gx {

class FakeProcess final : public ProcessApi, private FakeArea {
public:
    explicit FakeProcess(FakeCore& core);
    GX_PROCESS_CALLS(GX_OVERRIDE_CALL)

    const std::string& ModulePath() const { return modulePath_; }
    void SetModulePath(const std::string& path) { modulePath_ = path; }
    void SetCommandLine(const std::string& text) { commandLine_ = text; }
    void SetClock(const SYSTEMTIME& time) { clock_ = time; }
    void SetLanguage(LANGID id) { langId_ = id; }
    // Windows XP Professional SP2 unless a test says otherwise.
    const OSVERSIONINFOEXA& Version() const { return version_; }
    void SetVersion(const OSVERSIONINFOEXA& version) { version_ = version; }
    void SetWindowsVersion(DWORD major, DWORD minor) {
        version_.dwMajorVersion = major;
        version_.dwMinorVersion = minor;
    }
    void SetWindowsDirectory(const std::string& path) { windowsDir_ = path; }
    void SetSystemWindowsDirectory(const std::string& path) { systemWindowsDir_ = path; }
    // A CSIDL the shell knows; one never set is not found.
    void SetShellFolder(int csidl, const std::string& path) { shellFolders_[csidl] = path; }
    void LoadModule(const std::string& lowerName) { loadedModules_.insert(lowerName); }
    void UnloadModule(const std::string& lowerName) { loadedModules_.erase(lowerName); }
    // "module!name": the lookup of that procedure misses.
    void MissProcedure(const std::string& moduleAndName) { missingProcs_.insert(moduleAndName); }
    void FindAllProcedures() { missingProcs_.clear(); }
    void SetComputerName(const std::string& name) { computerName_ = name; }
    // A 32-bit program on 64-bit Windows: HKLM\SOFTWARE then has two views,
    // the 32-bit one below SOFTWARE\Wow6432Node, where the program looks by
    // default, and System32 is SysWOW64 unless the program turns that off.
    // Seeding always writes the native places.
    void SetWow64(bool wow64) { isWow64_ = wow64; }
    bool IsWow64() const { return isWow64_; }
    bool FsRedirected() const { return isWow64_ && !fsRedirectionOff_; }
    const std::string& WindowsDirectory() const { return windowsDir_; }
    // Runs at every Sleep, before the scripted user acts.
    void OnSleep(std::function<void()> script) { onSleep_ = std::move(script); }
    // The scripted user's turn during a sleep (the user interface sets it).
    void OnSleepUser(std::function<void()> hook) { sleepUser_ = std::move(hook); }
    int Sleeps() const { return sleeps_; }
    // A named mutex another process holds (OpenMutexA finds it).
    void AddMutex(const std::string& name) { mutexes_.insert(name); }
    // Whether rstrtmgr.dll is in the system folder (Vista and later).
    void SetRestartManager(bool present) { restartManager_ = present; }
    // A program the Restart Manager names as holding the file.
    void AddFileHolder(const std::string& windowsPath, DWORD processId, const std::u16string& name);
    bool CloseMutex(HANDLE handle);
    std::string OpenHandles() const;
    DWORD SleptMs() const { return sleptMs_; }

private:
    std::string modulePath_ = "C:\\Tools\\gathrix.exe";
    std::string commandLine_ = "\"C:\\Tools\\gathrix.exe\"";
    SYSTEMTIME clock_ = {2026, 12, 1, 7, 9, 5, 3, 47};
    LANGID langId_ = 0x409;
    OSVERSIONINFOEXA version_ = {};
    std::string windowsDir_ = "C:\\WINDOWS";
    std::string systemWindowsDir_ = "C:\\WINDOWS";
    std::set<std::string> loadedModules_ = {"shell32.dll", "kernel32.dll", "ntdll.dll", "advapi32.dll"};
    std::set<std::string> missingProcs_;
    std::map<int, std::string> shellFolders_;
    DWORD sleptMs_ = 0;
    int sleeps_ = 0;
    std::function<void()> onSleep_;
    std::function<void()> sleepUser_;
    DWORD tickCount_ = 1000;
    std::string computerName_ = "GX-TEST";
    bool isWow64_ = false;
    bool fsRedirectionOff_ = false;
    std::string systemDir_ = "C:\\WINDOWS\\system32";
    std::set<std::string> mutexes_;
    std::set<std::string*> mutexHandles_;
    bool restartManager_ = true;
    struct Holder {
        DWORD processId;
        std::u16string name;
    };
    std::map<std::string, std::vector<Holder>> fileHolders_;      // by upper-case path
    std::map<DWORD, std::vector<std::string>> rmSessions_;         // registered files
    DWORD nextRmSession_ = 1;
};

}  // namespace gx
