// Makes a sample installation of the product in the Wine prefix it runs in,
// as the family's 32-bit installers leave it: the two product registry
// values, the exported branches Wine lacks, and a file with distinct
// contents at every source of the file table, except a few rows left out on
// purpose; Uninstall entries of the product family and others
// (tests/e2e/check.py knows them too). On 64-bit Windows the registry
// writes land in the 32-bit view as an installer's do, except Windows
// Installer's own registrations (64-bit view), and the file table's System32
// rows are files of the real System32. Writes a manifest for the checks:
//   <row>\t<group>\t<present>\t<source>\t<destination below File_Save>
//
//   gxsample <manifest> [bytes per file] [every Nth row absent]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "environment/action.h"
#include "files/file_table.h"

namespace {

bool SetString(const char* key, const char* name, const char* value, REGSAM view = 0) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle, nullptr) != 0)
        return false;
    LONG status = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                 static_cast<DWORD>(std::string(value).size() + 1));
    RegCloseKey(handle);
    return status == 0;
}

void MakeFolders(const std::string& path) {
    for (std::size_t i = 3; i < path.size(); ++i)
        if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

// Distinct, reproducible contents for each source path.
std::string Contents(const std::string& source, std::size_t bytes) {
    std::string text = "gathrix sample of " + source + "\r\n";
    unsigned state = 2166136261u;
    for (char c : source) state = (state ^ static_cast<unsigned char>(c)) * 16777619u;
    while (text.size() < bytes) {
        state = state * 1103515245u + 12345u;
        text += static_cast<char>('a' + (state >> 16) % 26);
        if (text.size() % 78 == 0) text += "\r\n";
    }
    return text;
}

struct UninstallEntry {
    const char* key;
    const char* name;  // null: an entry without a display name
    const char* version;
    const char* publisher;
    const char* date;
};

// The family by publisher or by name, in any case; the others in no order.
const UninstallEntry kUninstallEntries[] = {
    {"{6A1F0C2E-1B7D-4E55-9C1A-5E2D7F3B8C40}", "Corvane NET PC Software 7", "7.0.1.3402", "Halvorn Automation",
     "20261102"},
    {"HvFieldbusDrivers", "Fieldbus Driver Pack", "2.3.0", "HALVORN AG", "20260917"},
    {"CorvaneViewer", "corvane project viewer", "1.4", "Example Tools", "20250301"},
    {"ZetaEdit", "Zeta Editor", "12.0", "Zeta Software", "20240115"},
    {"AcmeZip", "Acme Zip Utility", "3.1", "Acme Corp.", "20230610"},
    {"KB2999226", nullptr, nullptr, "Example Updates", nullptr},
};

bool SetUninstallEntry(const UninstallEntry& entry) {
    const std::string key = std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + entry.key;
    bool ok = SetString(key.c_str(), "Publisher", entry.publisher);
    if (entry.name != nullptr)
        ok = ok && SetString(key.c_str(), "DisplayName", entry.name) &&
             SetString(key.c_str(), "DisplayVersion", entry.version) && SetString(key.c_str(), "InstallDate", entry.date);
    return ok;
}

// The program-files folder a 32-bit installer uses: "Program Files (x86)"
// on 64-bit Windows.
std::string ProgramFiles() {
    char path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("ProgramFiles", path, sizeof(path));
    return length > 0 && length < sizeof(path) ? std::string(path) : std::string("C:\\Program Files");
}

// Lets this 32-bit process write the real System32 on 64-bit Windows; looked
// up at run time, as 32-bit Windows lacks these calls.
struct FileSystemRedirectionOff {
    typedef BOOL(WINAPI* Disable)(PVOID*);
    typedef BOOL(WINAPI* Revert)(PVOID);
    PVOID old = nullptr;
    Revert revert = nullptr;
    FileSystemRedirectionOff() {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        Disable disable = reinterpret_cast<Disable>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
        if (disable != nullptr && disable(&old))
            revert = reinterpret_cast<Revert>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    }
    ~FileSystemRedirectionOff() {
        if (revert != nullptr) revert(old);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gxsample <manifest> [bytes per file] [every Nth row absent]\n");
        return 2;
    }
    std::size_t bytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 2048;
    int absentEvery = argc > 3 ? std::atoi(argv[3]) : 9;

    const std::string sharedPath = ProgramFiles() + "\\Halvorn\\Shared";
    const std::string netPcPath = ProgramFiles() + "\\Halvorn\\CORVANE NET PC";
    bool seeded = SetString("SOFTWARE\\HALVORN\\AUTSW\\Global", "SharedPath", sharedPath.c_str()) &&
                  SetString("SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software", "Path", netPcPath.c_str()) &&
                  SetString("SOFTWARE\\Halvorn\\CORVANE NET PC\\Settings", "Station", "SAMPLE-PC") &&
                  SetString("SOFTWARE\\Classes\\Installer\\Features\\0A1B2C3D4E5F60718293A4B5C6D7E8F9",
                            "CorvaneNetPC", "Complete", KEY_WOW64_64KEY);
    for (const UninstallEntry& entry : kUninstallEntries) seeded = seeded && SetUninstallEntry(entry);
    if (!seeded) {
        std::fprintf(stderr, "gxsample: cannot write the registry\n");
        return 1;
    }

    CAction action;
    action.Init();
    std::FILE* manifest = std::fopen(argv[1], "wb");
    if (manifest == nullptr) return 1;
    int written = 0;
    std::map<std::string, bool> decisions;
    FileSystemRedirectionOff realSystem32;
    for (int i = 0; i < kFileTableSize; ++i) {
        CollectedFilePaths paths = ComposeCollectedFilePaths(action, FileTable[i]);
        if (paths.source.empty()) continue;
        // Rows left out on purpose; the setup logs and System32's log (the
        // real System32 on 64-bit Windows) are always there.
        std::string name = FileTable[i].szFileName;
        // A file listed twice is there for both rows or for neither.
        std::string key = paths.source;
        std::transform(key.begin(), key.end(), key.begin(), ::tolower);
        key.erase(std::unique(key.begin(), key.end(), [](char a, char b) { return a == '\\' && b == '\\'; }),
                  key.end());
        auto decided = decisions.find(key);
        bool present = decided != decisions.end()
                           ? decided->second
                           : absentEvery <= 0 || i % absentEvery != absentEvery - 1 || name == "setupapi.log" ||
                                 name == "CorNetPC_LOG.txt" || FileTable[i].iSourceType == 10;
        bool first = decided == decisions.end();
        decisions[key] = present;
        std::string below = paths.destination.substr(action.m_szDest_Path_Files.size());
        if (present && first) {
            MakeFolders(paths.source);
            std::FILE* file = std::fopen(paths.source.c_str(), "wb");
            if (file == nullptr) {
                std::fprintf(stderr, "gxsample: cannot write %s\n", paths.source.c_str());
                return 1;
            }
            std::string text = Contents(paths.source, bytes);
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
            ++written;
        } else if (!present) {
            DeleteFileA(paths.source.c_str());
        }
        std::fprintf(manifest, "%d\t%d\t%d\t%s\t%s\n", i, i < kFileTableGroup1 ? 1 : 2, present ? 1 : 0,
                     paths.source.c_str(), below.c_str());
    }
    std::fclose(manifest);
    std::printf("%d files\n", written);
    return 0;
}
