// The file collection under Wine with the real adapter, on a seeded
// installation: the copy time per table row beyond the 250 ms pause, and the
// attribute report's time per listed folder entry. Not a test; run by
// bench/run_files_bench.sh [repetitions].
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_windows.h"
#include "environment/action.h"
#include "files/file_table.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "trace/trace.h"

namespace {

constexpr double kCopyVolume = 20.0 * 1024 * 1024;  // bytes copied by the 114 rows
constexpr double kPauseMs = 250.0;

std::string Canonical(const std::string& path) {
    std::string result;
    for (char c : path)
        if (!(c == '\\' && !result.empty() && result.back() == '\\')) result += c;
    return result;
}

void MakeFolders(const std::string& path) {
    for (std::size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\') gx::os().CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void WriteBytes(const std::string& path, std::size_t size, char fill) {
    MakeFolders(path.substr(0, path.rfind('\\')));
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    std::string chunk(64 * 1024, fill);
    for (std::size_t left = size; left > 0;) {
        std::size_t n = std::min(left, chunk.size());
        out.write(chunk.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
}

void SetFolders(CAction& action, const std::string& root) {
    action.m_iWinOS = 6;  // both groups: 114 rows
    action.m_szWindowsPath = root + "\\WINDOWS";
    action.m_szUserWindowsPath = action.m_szWindowsPath;
    action.m_szSystemDrive = "C:\\";
    action.m_szProgramFiles = root + "\\Program Files";
    action.m_szProgramFiles_Common = root + "\\Program Files\\Common Files";
    action.m_szNetPCPath = root + "\\Program Files\\Halvorn\\CorNetPC";
    action.m_szSharedPath = root + "\\Program Files\\Halvorn\\Shared";
    action.m_szCommAppPath = root + "\\ProgramData";
    action.m_szCommDocPath = root + "\\Users\\Public\\Documents";
    action.m_szLocAppData = root + "\\Users\\engineer\\AppData\\Local";
}

// Every row's source, sized so that one run copies about kCopyVolume bytes;
// exception dumps are the big ones. Returns the bytes one run copies.
double SeedRows(const CAction& action) {
    std::map<std::string, int> weight;
    for (const CollectedFile& row : FileTable) {
        std::string source = Canonical(ComposeCollectedFilePaths(action, row).source);
        if (weight.count(source) != 0) continue;
        bool dump = source.size() > 4 && source.compare(source.size() - 4, 4, ".dmp") == 0;
        weight[source] = dump ? 12 : static_cast<int>(weight.size() % 5) + 1;
    }
    double total = 0;
    for (const CollectedFile& row : FileTable)
        total += weight[Canonical(ComposeCollectedFilePaths(action, row).source)];
    double unit = kCopyVolume / total;
    char fill = 'a';
    for (const auto& entry : weight) {
        WriteBytes(entry.first, static_cast<std::size_t>(entry.second * unit), fill);
        fill = fill == 'z' ? 'a' : static_cast<char>(fill + 1);
    }
    return total * static_cast<double>(static_cast<std::size_t>(unit));
}

// `count` small files, every `readOnlyEvery`-th one read-only.
void SeedFolder(const std::string& folder, int count, int readOnlyEvery) {
    MakeFolders(folder);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "\\f%05d.dll", i);
        std::string path = folder + name;
        WriteBytes(path, 200, 'x');
        if (i % readOnlyEvery == 0) bench::SetReadOnly(path.c_str());
    }
}

int CountEntries(const std::string& folder) {
    gx::WIN32_FIND_DATAA data = {};
    gx::HANDLE find = gx::os().FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == gx::INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (gx::os().FindNextFileA(find, &data));
    gx::os().FindClose(find);
    return count;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    CAction action;
    if (action.m_szDest_Path.empty()) {
        std::printf("files_bench: the executable's folder is too deep\n");
        return 1;
    }
    // The trace log is written as in a real run.
    MakeFolders(action.m_szDest_Path.substr(0, action.m_szDest_Path.size() - 1));
    std::string root = action.m_szDest_Path.substr(0, action.m_szDest_Path.size() - 1);
    root = root.substr(0, root.rfind('\\')) + "\\inst";
    bench::RemoveTree(root.c_str());
    SetFolders(action, root);

    double seedStart = bench::NowMs();
    double copyBytes = SeedRows(action);
    const std::string system32 = action.m_szWindowsPath + "\\system32";
    SeedFolder(system32, 3000, 25);
    SeedFolder(system32 + "\\drivers", 300, 10);
    SeedFolder(action.m_szProgramFiles, 400, 20);
    SeedFolder(action.m_szProgramFiles_Common, 200, 20);
    std::printf("seeded %s in %.0f ms\n", root.c_str(), bench::NowMs() - seedStart);

    std::vector<double> removal, plain;
    for (int r = 0; r < repetitions; ++r) {
        double start = bench::NowMs();
        action.DeleteAllDirecory();
        removal.push_back(bench::NowMs() - start);
        start = bench::NowMs();
        action.Collect_Files();
        plain.push_back(bench::NowMs() - start);
    }
    int copied = 0;
    for (const CollectedFile& row : FileTable) copied += row.iRet;

    bench::BenchControls controls = bench::CreateControls();
    CProgressCtrl progress;
    CStatic status;
    progress.Attach(static_cast<gx::HWND>(controls.progress));
    status.Attach(static_cast<gx::HWND>(controls.status));
    action.DeleteAllDirecory();
    action.m_pProgress = &progress;
    action.m_pStatusText = &status;
    double start = bench::NowMs();
    action.Collect_Files();
    double withControls = bench::NowMs() - start;
    action.m_pProgress = nullptr;
    action.m_pStatusText = nullptr;
    bench::DestroyControls(controls);

    std::vector<double> report;
    for (int r = 0; r < repetitions; ++r) {
        start = bench::NowMs();
        action.Collect_FileAttributes();
        report.push_back(bench::NowMs() - start);
    }
    int entries = CountEntries(system32) + CountEntries(system32 + "\\drivers") +
                  CountEntries(action.m_szProgramFiles) + CountEntries(action.m_szProgramFiles_Common);
    std::ifstream reportFile((action.m_szDest_Path + "fileattr.txt").c_str(), std::ios::binary);
    std::string line;
    int listed = 0;
    while (std::getline(reportFile, line))
        if (line.find(" Attribute:") != std::string::npos) ++listed;

    const int rows = kFileTableSize;
    double plainMs = Median(plain);
    std::printf("rows: %d (%d copied or absent-and-done), copy volume %.1f MB per run, %d repetitions\n", rows,
                copied, copyBytes / (1024 * 1024), repetitions);
    std::printf("removal of the previous output (median): %.1f ms\n", Median(removal));
    std::printf("copy without controls (median): %.0f ms in all, %.2f ms per row\n", plainMs, plainMs / rows);
    std::printf("copy with progress and status: %.0f ms in all, %.0f ms of pauses, %.2f ms per row beyond the pause\n",
                withControls, rows * kPauseMs, (withControls - rows * kPauseMs) / rows);
    double reportMs = Median(report);
    std::printf("attribute report (median): %.1f ms for %d folder entries (%d listed lines), %.1f us per entry\n",
                reportMs, entries, listed, 1000.0 * reportMs / entries);

    bench::RemoveTree(root.c_str());
    gx::os().DeleteFileA("C:\\HvBootInst.log");
    TraceShutdown();
    return 0;
}
