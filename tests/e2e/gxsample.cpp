// Makes a sample installation of the product in the Wine prefix it runs in:
// the two product registry values, the exported branches Wine lacks, and a
// file with distinct contents at every source of the file table, except a
// few rows left out on purpose; Uninstall entries of the product family and
// others (tests/e2e/check.py knows them too). Writes a manifest for the checks:
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

const char kSharedPath[] = "C:\\Program Files\\Halvorn\\Shared";
const char kNetPcPath[] = "C:\\Program Files\\Halvorn\\CORVANE NET PC";

bool SetString(const char* key, const char* name, const char* value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != 0)
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gxsample <manifest> [bytes per file] [every Nth row absent]\n");
        return 2;
    }
    std::size_t bytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 2048;
    int absentEvery = argc > 3 ? std::atoi(argv[3]) : 9;

    bool seeded = SetString("SOFTWARE\\HALVORN\\AUTSW\\Global", "SharedPath", kSharedPath) &&
                  SetString("SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software", "Path", kNetPcPath) &&
                  SetString("SOFTWARE\\Halvorn\\CORVANE NET PC\\Settings", "Station", "SAMPLE-PC") &&
                  SetString("SOFTWARE\\Classes\\Installer\\Features\\0A1B2C3D4E5F60718293A4B5C6D7E8F9",
                            "CorvaneNetPC", "Complete");
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
    for (int i = 0; i < kFileTableSize; ++i) {
        CollectedFilePaths paths = ComposeCollectedFilePaths(action, FileTable[i]);
        if (paths.source.empty()) continue;
        // Rows left out on purpose; the setup logs are always there.
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
                                 name == "CorNetPC_LOG.txt";
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
