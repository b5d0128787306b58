// The floor of the collection benchmark: the same platform calls a
// collection makes (one shell copy per existing file, one hive save per
// branch, the three event-log backups), with no trace, no pauses and no
// dialog. Prints the milliseconds they took.
//
//   floor <manifest> <groups: 2 or 12> <output folder>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string group, source, below;
    bool present;
};

std::vector<Row> ReadManifest(const char* path) {
    std::vector<Row> rows;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return rows;
    char line[2048];
    while (std::fgets(line, sizeof(line), file) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(text.substr(start, tab - start));
        fields.push_back(text.substr(start));
        if (fields.size() == 5) rows.push_back({fields[1], fields[3], fields[4], fields[2] == "1"});
    }
    std::fclose(file);
    return rows;
}

int Copy(const std::string& from, const std::string& to) {
    std::string fromList = from + '\0';
    std::string toList = to + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_COPY;
    op.pFrom = fromList.c_str();
    op.pTo = toList.c_str();
    op.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    return SHFileOperationA(&op);
}

bool Backup(HANDLE token, BOOL enable) {
    TOKEN_PRIVILEGES request = {};
    request.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeBackupPrivilege", &request.Privileges[0].Luid);
    request.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    AdjustTokenPrivileges(token, FALSE, &request, sizeof(request), nullptr, nullptr);
    return GetLastError() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    std::vector<Row> rows = ReadManifest(argv[1]);
    std::string groups = argv[2];
    std::string out = argv[3];
    std::string files = out + "\\File_Save\\";
    std::string hives = out + "\\Registry_Save\\";
    const char* branches[][2] = {{"SOFTWARE\\Halvorn\\", "halvorn.sav"},
                                 {"System\\CurrentControlSet\\Services", "services.sav"},
                                 {"SOFTWARE\\Microsoft\\Ole", "msole.sav"},
                                 {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "msuninst.sav"},
                                 {"SOFTWARE\\Classes\\Installer\\Features", "msinstfeat.sav"}};
    const char* logs[][2] = {{"System", "_SysEvent.evt"}, {"Application", "_AppEvent.evt"}, {"Security", "_SecEvent.evt"}};

    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    int copies = 0, failures = 0;
    for (const Row& row : rows) {
        if (groups.find(row.group) == std::string::npos || !row.present) continue;
        if (GetFileAttributesA(row.source.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (Copy(row.source, files + row.below) == 0) ++copies;
        else ++failures;
    }
    for (const auto& log : logs) {
        HANDLE handle = OpenEventLogA(nullptr, log[0]);
        if (handle == nullptr) continue;
        BackupEventLogA(handle, (files + log[1]).c_str());
        CloseEventLog(handle);
    }
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token);
    Backup(token, TRUE);
    CreateDirectoryA(hives.c_str(), nullptr);
    int saved = 0;
    for (const auto& branch : branches) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, branch[0], 0, KEY_ALL_ACCESS, &key) != 0) continue;
        if (RegSaveKeyA(key, (hives + branch[1]).c_str(), nullptr) == 0) ++saved;
        RegCloseKey(key);
    }
    Backup(token, FALSE);
    CloseHandle(token);
    QueryPerformanceCounter(&end);
    double ms = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%.1f ms, %d copies, %d failed, %d hives\n", ms, copies, failures, saved);
    return failures == 0 ? 0 : 1;
}
