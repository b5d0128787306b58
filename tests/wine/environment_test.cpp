// The environment code against the real calls: Windows identification under
// several Wine versions, the well-known folders, the product paths from the
// registry, the product key and the setup log.
//
// The Windows version is fixed when a process starts, so each version runs in
// a child: a copy of this program under its own name, with a per-program
// Version setting, started to run only EnvironmentProbe.Report.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "../common/log_lines.h"
#include "environment/wow64.h"
#include "environment_probe.h"
#include "wine_support.h"

using namespace winetest;
using Report = std::map<std::string, std::string>;

namespace {

const char kProbeVariable[] = "GATHRIX_ENVIRONMENT_PROBE";
const char kGlobalKey[] = "SOFTWARE\\HALVORN\\AUTSW\\Global";
const char kNetPCKey[] = "SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software";
const char kProductKey[] = "SOFTWARE\\HALVORN\\CORVANE_NET\\CORVANE NET PC Software";
const char kSharedPath[] = "C:\\Program Files\\Halvorn\\Shared";
const char kNetPCPath[] = "C:\\Program Files\\Halvorn\\CORVANE NET PC";

// Child mode: writes what a CAction found to the file the parent named.
TEST(EnvironmentProbe, Report) {
    const char* report = std::getenv(kProbeVariable);
    if (report == nullptr) GTEST_SKIP() << "runs only as a child of EnvironmentUnderWine";
    std::ofstream out(report, std::ios::binary);
    for (const auto& item : envprobe::ProbeEnvironment()) out << item.first << "=" << item.second << "\n";
}

std::string WindowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// A value below HKLM for one test; what was there before comes back after.
class SeededValue {
public:
    SeededValue(const char* key, const char* name, const std::string& bytes) : key_(key), name_(name) {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) == ERROR_SUCCESS) {
            char old[4096];
            DWORD size = sizeof(old);
            had_ = RegQueryValueExA(handle, name, nullptr, &oldType_, reinterpret_cast<BYTE*>(old), &size) ==
                   ERROR_SUCCESS;
            if (had_) old_.assign(old, size);
            RegCloseKey(handle);
        }
        Set(REG_SZ, bytes);
    }
    ~SeededValue() {
        if (had_) {
            Set(oldType_, old_);
            return;
        }
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
            RegDeleteValueA(handle, name_.c_str());
            RegCloseKey(handle);
        }
    }
    void Set(DWORD type, const std::string& bytes) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                                  nullptr),
                  ERROR_SUCCESS);
        // RegSetValueExA counts a zero right after the data into a string
        // value; a guard byte keeps the stored length exact.
        std::string guarded = bytes + 'G';
        EXPECT_EQ(RegSetValueExA(handle, name_.c_str(), 0, type, reinterpret_cast<const BYTE*>(guarded.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }

private:
    std::string key_, name_;
    bool had_ = false;
    DWORD oldType_ = REG_SZ;
    std::string old_;
};

class EnvironmentUnderWine : public ::testing::Test {
protected:
    EnvironmentUnderWine() {
        HKEY handle = nullptr;
        makerKeyExisted_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\HALVORN", 0, KEY_READ, &handle) == ERROR_SUCCESS;
        if (handle != nullptr) RegCloseKey(handle);
    }
    // Seeded values put back what they replaced; a maker key this test made
    // goes as a whole.
    void TearDown() override {
        shared_.reset();
        netPC_.reset();
        if (!makerKeyExisted_) SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\HALVORN");
    }

    void SeedProductPaths(const std::string& shared = std::string(kSharedPath) + '\0',
                          const std::string& netPC = std::string(kNetPCPath) + '\0') {
        // The earlier seed restores first, so the new one saves the original.
        shared_.reset();
        netPC_.reset();
        shared_.reset(new SeededValue(kGlobalKey, "SharedPath", shared));
        netPC_.reset(new SeededValue(kNetPCKey, "Path", netPC));
    }

    // Runs the probe under a Windows version; also returns the trace lines
    // without their time stamps.
    Report ProbeUnder(const std::string& version, std::vector<std::string>* log) {
        ScratchFolder folder("env-" + version);
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string name = "envprobe-" + std::to_string(GetCurrentProcessId()) + "-" + version + ".exe";
        std::string exe = folder / name;
        EXPECT_TRUE(CopyFileA(self, exe.c_str(), FALSE)) << exe;
        EXPECT_TRUE(MakeFolders(folder / "CollectInfo"));
        std::string report = folder / "report.txt";

        std::string appKey = "Software\\Wine\\AppDefaults\\" + name;
        HKEY handle = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(handle, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1));
        RegCloseKey(handle);

        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE quiet = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = quiet;
        startup.hStdError = quiet;
        PROCESS_INFORMATION process = {};
        std::string commandLine = "\"" + exe + "\" --gtest_filter=EnvironmentProbe.Report";
        SetEnvironmentVariableA(kProbeVariable, report.c_str());
        BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.path().c_str(), &startup, &process);
        SetEnvironmentVariableA(kProbeVariable, nullptr);
        EXPECT_TRUE(started) << GetLastError();
        if (started) {
            EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        if (quiet != INVALID_HANDLE_VALUE) CloseHandle(quiet);
        RegDeleteKeyA(HKEY_CURRENT_USER, appKey.c_str());

        Report values;
        std::istringstream lines(ReadFile(report));
        for (std::string line; std::getline(lines, line);) {
            std::size_t equals = line.find('=');
            if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
        }
        values["folder"] = folder.path();
        log->clear();
        for (const std::string& line : Lines(ReadFile(folder / "CollectInfo\\gathrix.log")))
            log->push_back(line.substr(line.find('\t') + 1));
        return values;
    }

private:
    bool makerKeyExisted_ = false;
    std::unique_ptr<SeededValue> shared_, netPC_;
};

// A trace line without its value: the text up to the first single colon.
std::string Shape(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ':') continue;
        if (i + 1 < line.size() && line[i + 1] == ':') {
            ++i;
            continue;
        }
        return line.substr(0, i + 1);
    }
    return line;
}

std::vector<std::string> Shapes(const std::vector<std::string>& lines) {
    std::vector<std::string> shapes;
    for (const std::string& line : lines) shapes.push_back(Shape(line));
    return shapes;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::vector<std::string> kExtended = {
    "> CTool::CheckOS_2000_And_Later, wSuiteMask       :",
    "  CTool::CheckOS_2000_And_Later, wProductType     :",
    "  CTool::CheckOS_2000_And_Later, wServicePackMajor:",
    "  CTool::CheckOS_2000_And_Later, wServicePackMinor:",
};

const std::vector<std::string> kShellLookups = {
    "> CAction::GetWindowsPath->W2K, XP",
    "CTool::GetWindowsPath, m_szProgramFiles_Common:",
    "CTool::GetWindowsPath, m_szProgramFiles:",
    "CTool::GetWindowsPath, m_szCommAppPath:",
    "CTool::GetWindowsPath, m_szCommDocPath:",
    "CTool::GetWindowsPath, m_szLocAppData:",
    "CTool::GetWindowsPath, m_szWindowsPath:",
};

TEST_F(EnvironmentUnderWine, EachWindowsVersionGetsItsCodeFoldersAndLogShape) {
    SeedProductPaths();
    const std::string nt = "Tool::CheckOS, VER_PLATFORM_WIN32_NT";
    const std::string suiteTs = "  CTool::CheckOS_2000_And_Later, VER_SUITE_SINGLEUSERTS";
    const std::string workstation = "  CTool::CheckOS_2000_And_Later, VER_NT_WORKSTATION";
    const struct {
        const char* version;
        int code;
        std::vector<std::string> os;       // after the platform line
        std::vector<std::string> folders;  // between "> CAction::Init" and the product paths
    } cases[] = {
        {"nt40", 4, {nt + ", Windows NT 4.0"},
         {"> CAction::GetWindowsPath->NT", "CTool::GetWindowsPath, m_szWindowsPath:", "< CAction::GetWindowsPath"}},
        {"win2k", 5, Join({{nt + ", Windows 2000"}, kExtended, {workstation}}),
         Join({kShellLookups,
               {"<> CTerminalServer::GetPath_GetSystemWindowsDirectory, uSize:", "", "< CAction::GetWindowsPath"}})},
        {"winxp", 6, Join({{nt + ", Windows XP Client"}, kExtended, {suiteTs, workstation, nt + ", Windows XP Professional"}}),
         Join({kShellLookups, {"< CAction::GetWindowsPath"}})},
        // Wine 8 reports win7 as a server; code 9 holds for every 6.x.
        {"win7", 9,
         Join({{nt + ", Vista or Server 2008"}, kExtended, {suiteTs, "< CTool::CheckOS_2000_And_Later, VER_NT_SERVER"}}),
         Join({kShellLookups, {"< CAction::GetWindowsPath"}})},
    };
    const std::string windows = WindowsFolder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        std::vector<std::string> log;
        Report report = ProbeUnder(c.version, &log);
        EXPECT_EQ(report["m_iWinOS"], std::to_string(c.code));
        EXPECT_EQ(report["Init"], "1");
        EXPECT_EQ(report["m_szDest_Path"], report["folder"] + "\\CollectInfo\\");
        EXPECT_EQ(report["m_szSharedPath"], kSharedPath);
        EXPECT_EQ(report["m_szNetPCPath"], kNetPCPath);
        EXPECT_TRUE(SameText(report["m_szWindowsPath"], windows)) << report["m_szWindowsPath"];
        EXPECT_EQ(report["m_szSystemDrive"], "C:\\");
        const char* shellFolders[] = {"m_szProgramFiles_Common", "m_szProgramFiles", "m_szCommAppPath",
                                      "m_szCommDocPath", "m_szLocAppData"};
        if (c.code == 4) {
            for (const char* member : shellFolders) EXPECT_EQ(report[member], "") << member;
            EXPECT_EQ(report["m_szUserWindowsPath"], "");
        } else {
            for (const char* member : shellFolders) {
                EXPECT_EQ(report[member].rfind("C:\\", 0), 0u) << member << "=" << report[member];
                EXPECT_TRUE(IsFolder(report[member])) << member << "=" << report[member];
            }
            EXPECT_EQ(report["m_szUserWindowsPath"], report["m_szWindowsPath"]);
        }

        std::vector<std::string> expected = Join({
            {"> CTool::GetDest_Path", "CTool::GetDest_Path, m_szDest_Path_Files   :",
             "CTool::GetDest_Path, m_szDest_Path_Registry:", "< CTool::GetDest_Path", nt},
            c.os,
            {"  CTool::CheckOS, szCSDVersion  :", "  CTool::CheckOS, dwPlatformId  :", "  CTool::CheckOS, dwMinorVersion:",
             "  CTool::CheckOS, dwMajorVersion:", "  CTool::CheckOS, dwBuildNumber :"},
            RunsUnderWow64() ? std::vector<std::string>{std::string("  CTool::CheckOS, ") + kWow64Note}
                             : std::vector<std::string>{},
            {"< CTool::CheckOS, m_iWinOS      :", "> CAction::Init"},
            c.folders,
            {"> CAction::GetAUTSW_GlobalRegistry",
             "CAction::GetAUTSW_GlobalRegistry, SOFTWARE\\HALVORN\\AUTSW\\Global SharedPath:",
             "< CAction::GetAUTSW_GlobalRegistry", "> CAction::GetAUTSW_CorvaneNetPCRegistry",
             "CAction::GetAUTSW_CorvaneNetPCRegistry, SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software Path:",
             "< CAction::GetAUTSW_CorvaneNetPCRegistry", "< CAction::Init", "TraceOut::~TraceOut()"},
        });
        EXPECT_EQ(Shapes(log), expected);
        ASSERT_GE(log.size(), 12u);
        EXPECT_EQ(log[1], "CTool::GetDest_Path, m_szDest_Path_Files   :" + report["folder"] + "\\CollectInfo\\File_Save\\");
        EXPECT_TRUE(testlog::HasLine(log, "< CTool::CheckOS, m_iWinOS      :" + std::to_string(c.code)));
    }
}

TEST_F(EnvironmentUnderWine, ProductValuesTooLongOrWithoutTerminatorAreHandledInsideTheBuffer) {
    // 260 characters and the terminator do not fit: the first lookup fails
    // and the second is not made.
    SeedProductPaths(std::string(260, 'L') + '\0');
    Report report = envprobe::ProbeEnvironment();
    EXPECT_EQ(report["Init"], "1");
    EXPECT_EQ(report["m_szSharedPath"], "");
    EXPECT_EQ(report["m_szNetPCPath"], "");

    // Stored without terminator: the text ends inside the buffer.
    SeedProductPaths("D:\\Shared", std::string(260, 'n'));
    report = envprobe::ProbeEnvironment();
    EXPECT_EQ(report["m_szSharedPath"], "D:\\Shared");
    // 260 bytes without terminator fill the buffer: the last one gives way.
    EXPECT_EQ(report["m_szNetPCPath"], std::string(259, 'n'));
}

TEST_F(EnvironmentUnderWine, ProductKeyIsCreatedWhenAbsent) {
    HKEY handle = nullptr;
    DWORD subKeys = 0, values = 0;
    bool existed = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &handle) == ERROR_SUCCESS;
    if (existed) {
        RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(handle);
    }
    // Only an empty key is removed: the holder makes exactly that again.
    bool removable = !existed || (subKeys == 0 && values == 0);
    if (existed && removable) {
        ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey), ERROR_SUCCESS);
    }
    bool held = false;
    EXPECT_EQ(envprobe::HoldProductKey(&held), 0);
    EXPECT_TRUE(held);
    handle = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &handle), ERROR_SUCCESS);
    RegCloseKey(handle);
    // A second holder opens the existing key.
    EXPECT_EQ(envprobe::HoldProductKey(&held), 0);
    EXPECT_TRUE(held);
    if (!existed) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
}

TEST_F(EnvironmentUnderWine, SetupLogLinesAreAppendedToTheWindowsFoldersLog) {
    const std::string path = WindowsFolder() + "\\CorNetPC_LOG.txt";
    EXPECT_EQ(envprobe::SetupLogPath(), path);
    bool existed = Exists(path);
    std::string before = ReadFile(path);
    ASSERT_TRUE(WriteFile(path, before + "written by the installer\r\n"));
    envprobe::AppendSetupLogLine(5);
    envprobe::AppendSetupLogLine(1314);
    std::string after = ReadFile(path);
    if (existed) WriteFile(path, before);
    else DeleteFileA(path.c_str());

    ASSERT_EQ(after.compare(0, before.size() + 26, before + "written by the installer\r\n"), 0);
    std::string added = after.substr(before.size() + 26);
    std::regex lines(
        "\\d{2}:\\d{2}:\\d{2}:\\d{4}: <> ERR:C_F_Reg -> RegCreateKeyEx: 5\r\n"
        "\\d{2}:\\d{2}:\\d{2}:\\d{4}: <> ERR:C_F_Reg -> RegCreateKeyEx: 1314\r\n");
    EXPECT_TRUE(std::regex_match(added, lines)) << added;
}

TEST_F(EnvironmentUnderWine, SystemWindowsFolderIsFoundAtRunTime) {
    std::string folder;
    EXPECT_EQ(envprobe::SystemWindowsFolder(&folder), 1);
    EXPECT_TRUE(SameText(folder, WindowsFolder())) << folder;
}

// The machine type in a program file's header: 0x14c for 32-bit, 0x8664 for 64-bit.
int Machine(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    unsigned char header[4096] = {};
    DWORD read = 0;
    ReadFile(file, header, sizeof(header), &read, nullptr);
    CloseHandle(file);
    if (read < 0x40) return -1;
    const DWORD pe = header[0x3C] | (header[0x3D] << 8) | (header[0x3E] << 16) | (header[0x3F] << 24);
    return pe + 6 <= read ? header[pe + 4] | (header[pe + 5] << 8) : -1;
}

// 64-bit Windows as the program sees it: the registry-view test and the
// System32 switch agree with IsWow64Process, and the switch goes back.
TEST(Wow64UnderWine, ViewsAndSystem32FollowTheKindOfWindows) {
    const bool wow64 = RunsUnderWow64();
    EXPECT_EQ(HasSeparate64BitKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion"), wow64);
    EXPECT_FALSE(HasSeparate64BitKey("SYSTEM\\CurrentControlSet\\Services"));
    EXPECT_FALSE(HasSeparate64BitKey("SOFTWARE\\Gathrix-never-there"));
    const std::string kernel = WindowsFolder() + "\\system32\\kernel32.dll";
    EXPECT_EQ(Machine(kernel), 0x14c);
    {
        NativeFileSystem native;
        EXPECT_EQ(native.Active(), wow64);
        EXPECT_EQ(Machine(kernel), wow64 ? 0x8664 : 0x14c);
    }
    EXPECT_EQ(Machine(kernel), 0x14c);
}

}  // namespace
