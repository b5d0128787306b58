// The two floors of the collection benchmark. Both make the platform calls
// a collection makes for its copies, saves and backups (one shell copy per
// existing file and for the device-setup log of Windows Vista and later, one
// hive save per branch, the three event-log backups; on 64-bit Windows the
// real System32 and the branches the 32-bit view keeps apart saved again).
//
// plain     no trace, no pauses, no window.
// mandated  adds what a visible, traced run must do and nothing else: per
//           item one progress step, one status text, one drain of the
//           message queue and Sleep(250), on the visible collection dialog,
//           which also owns the copies; as many trace lines as the
//           collection wrote, each opened, appended and closed; the size of
//           each file written, read back for the run's overview.
//
//   floor <manifest> <groups: 2 or 12> <output folder> [<trace lines>]
//                       the mandated floor also writes <output folder>.copies.txt:
//                       milliseconds and source of each copy
//   floor progress      the cost of one progress step on the dialog
//   floor dialog        shows the collection dialog until End: the start-up
//                       floor, a process that does nothing else
//
// Prints the milliseconds beyond the pauses first; the mandated floor adds
// where they went.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench_windows.h"
#include "environment/wow64.h"
#include "resource.h"

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

using bench::NowMs;

// Adds the time from its construction to its end to a sum.
class Timed {
public:
    explicit Timed(double& sum) : sum_(sum), start_(NowMs()) {}
    ~Timed() { sum_ += NowMs() - start_; }

private:
    double& sum_;
    double start_;
};

struct Costs {
    double trace = 0, controls = 0, drain = 0, pauses = 0, copies = 0, saves = 0;
    int lines = 0, items = 0;
};

// One log line, stamped like the program's, in a file opened, appended and
// closed for it alone.
class TraceFile {
public:
    TraceFile(std::string path, Costs& costs) : path_(std::move(path)), costs_(costs) {}

    void Line(const char* format, ...) {
        Timed timed(costs_.trace);
        SYSTEMTIME now;
        GetLocalTime(&now);
        char line[512];
        int length = std::snprintf(line, sizeof(line), "%u:%u:%u:%u\t", now.wHour, now.wMinute, now.wSecond,
                                   now.wMilliseconds);
        va_list args;
        va_start(args, format);
        int message = std::vsnprintf(line + length, sizeof(line) - length - 2, format, args);
        va_end(args);
        if (message > 0) length += std::min(message, static_cast<int>(sizeof(line)) - length - 3);
        line[length++] = '\r';
        line[length++] = '\n';
        HANDLE file = CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
        CloseHandle(file);
        ++costs_.lines;
    }

private:
    std::string path_;
    Costs& costs_;
};

// The collection dialog itself (its template linked in from the program's
// resources with its manifest), visible and in its running state: a
// themed progress bar repaints at every step, and its cost depends on the
// control's size.
INT_PTR CALLBACK KeepDefaults(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

const char kCaption[] = "CORVANE NET TOOL - Gathrix ";

INT_PTR CALLBACK EndsOnButton(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetWindowTextA(dialog, kCaption);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

class Window {
public:
    explicit Window(Costs& costs) : costs_(costs) {
        InitCommonControls();
        frame_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_GATHRIX_DIALOG), nullptr,
                                    KeepDefaults, 0);
        SetWindowTextA(frame_, kCaption);
        SetDlgItemTextA(frame_, IDC_MESSAGE, "Collecting data\n");
        EnableWindow(GetDlgItem(frame_, IDCANCEL), FALSE);
        EnableWindow(GetDlgItem(frame_, IDOK), FALSE);
        progress_ = GetDlgItem(frame_, IDC_PROGRESS);
        status_ = GetDlgItem(frame_, IDC_STATUS);
        ShowWindow(frame_, SW_SHOW);
        UpdateWindow(frame_);
        Drain();
    }
    ~Window() { DestroyWindow(frame_); }
    HWND frame() const { return frame_; }

    // Milliseconds per progress step, each repainted as it happens.
    double StepCost(int steps) {
        Range(steps);
        double start = NowMs();
        for (int i = 0; i < steps; ++i) SendMessageA(progress_, PBM_STEPIT, 0, 0);
        double ms = (NowMs() - start) / steps;
        Drain();
        return ms;
    }
    void Hide() {
        ShowWindow(frame_, SW_HIDE);
        Drain();
    }

    void Range(int items) {
        SendMessageA(progress_, PBM_SETRANGE, 0, MAKELPARAM(0, items));
        SendMessageA(progress_, PBM_SETSTEP, 1, 0);
    }

    // A row steps the bar; a hive saved again from the 64-bit view does not.
    void Item(const char* text, bool step = true) {
        ++costs_.items;
        {
            Timed timed(costs_.controls);
            if (step) SendMessageA(progress_, PBM_STEPIT, 0, 0);
            SetWindowTextA(status_, text);
        }
        {
            Timed timed(costs_.drain);
            Drain();
        }
        Timed timed(costs_.pauses);
        Sleep(250);
    }

private:
    static void Drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    Costs& costs_;
    HWND frame_, progress_, status_;
};

int Copy(HWND owner, const std::string& from, const std::string& to) {
    std::string fromList = from + '\0';
    std::string toList = to + '\0';
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
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

// The newest `bound` bytes of `source` into `destination`, read and
// written in 64 KB steps, as a collection copies a long device-setup log.
bool CopyNewestPart(const std::string& source, const std::string& destination, unsigned long long size,
                    unsigned long long bound) {
    HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    LONG high = static_cast<LONG>((size - bound) >> 32);
    SetFilePointer(in, static_cast<LONG>((size - bound) & 0xFFFFFFFFu), &high, FILE_BEGIN);
    HANDLE out = CreateFileA(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    bool ok = out != INVALID_HANDLE_VALUE;
    std::vector<char> buffer(64 * 1024);
    for (unsigned long long left = bound; ok && left > 0;) {
        DWORD read = 0, written = 0;
        const DWORD want = static_cast<DWORD>(std::min<unsigned long long>(buffer.size(), left));
        ok = ReadFile(in, buffer.data(), want, &read, nullptr) != FALSE;
        if (!ok || read == 0) break;
        left -= read;
        ok = WriteFile(out, buffer.data(), read, &written, nullptr) != FALSE && written == read;
    }
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    CloseHandle(in);
    return ok;
}

// The overview reports each written file's size, so a run reads it back.
bool ReadSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

const char* FileName(const std::string& path) {
    std::size_t slash = path.rfind('\\');
    return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "progress") {
        Costs costs;
        Window window(costs);
        double shown = window.StepCost(60);
        window.Hide();
        std::printf("%.2f ms per progress step shown, %.2f ms hidden\n", shown, window.StepCost(60));
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "dialog") {
        InitCommonControls();
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_GATHRIX_DIALOG), nullptr, EndsOnButton, 0);
        return 0;
    }
    if (argc < 4) return 2;
    std::vector<Row> rows = ReadManifest(argv[1]);
    std::string groups = argv[2];
    std::string out = argv[3];
    const bool mandated = argc > 4;
    const int wanted = mandated ? std::atoi(argv[4]) : 0;
    std::string files = out + "\\File_Save\\";
    char windowsFolder[MAX_PATH] = {};
    GetWindowsDirectoryA(windowsFolder, sizeof(windowsFolder));
    const std::string windows = windowsFolder;
    // On 64-bit Windows ours reads the real System32 and saves the branches
    // the 32-bit view keeps apart once more; the floor decides with ours'
    // own functions.
    const bool wow64 = RunsUnderWow64();
    std::string hives = out + "\\Registry_Save\\";
    const char* branches[][2] = {{"SOFTWARE\\Halvorn\\", "halvorn.sav"},
                                 {"System\\CurrentControlSet\\Services", "services.sav"},
                                 {"SOFTWARE\\Microsoft\\Ole", "msole.sav"},
                                 {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "msuninst.sav"},
                                 {"SOFTWARE\\Classes\\Installer\\Features", "msinstfeat.sav"}};
    const char* logs[][2] = {{"System", "_SysEvent.evt"}, {"Application", "_AppEvent.evt"}, {"Security", "_SecEvent.evt"}};

    Costs costs;
    CreateDirectoryA(out.c_str(), nullptr);
    std::vector<std::pair<double, std::string>> eachCopy;
    TraceFile trace(out + "\\floor.log", costs);
    Window* window = mandated ? new Window(costs) : nullptr;
    HWND owner = window != nullptr ? window->frame() : nullptr;
    // Lines a run writes beside the four or five of each row: headings,
    // folders, the registry step.
    int rowLines = 0;
    for (const Row& row : rows)
        if (groups.find(row.group) != std::string::npos) rowLines += row.present ? 4 : 5;
    const int otherLines = wanted - rowLines;

    double begin = NowMs();
    for (int i = 0; mandated && i < otherLines / 2; ++i) trace.Line("CAction::Collect_Files, heading %d", i);
    int copies = 0, failures = 0;
    for (char group : groups) {
        int items = 0;
        for (const Row& row : rows) items += row.group[0] == group;
        if (window != nullptr) window->Range(items);
        int i = 0;
        for (const Row& row : rows) {
            if (row.group[0] != group) continue;
            if (window != nullptr) {
                window->Item(FileName(row.source));
                trace.Line("CAction::Collect_Files, 1_1 i:%d iCopyMode:1 iSourceType:1 iRet:0", i);
                trace.Line("CAction::Collect_Files, 2_1 i:%d szFileName:%s szSourcePath:????", i, FileName(row.source));
                trace.Line("> CTool::CopyFileTo, From %s To %s", row.source.c_str(), (files + row.below).c_str());
            }
            ++i;
            std::string source = row.source;
            const std::string alias = windows + "\\Sysnative";
            if (wow64 && IsBelowSystem32(windows, source) && GetFileAttributesA(alias.c_str()) != INVALID_FILE_ATTRIBUTES)
                source = alias + source.substr(windows.size() + 9);  // after "\\system32"
            DWORD attributes = GetFileAttributesA(source.c_str());
            if (window != nullptr)
                trace.Line("CTool::CopyFileTo -> GetFileAttributes, (LPCSTR)szFullSourcePath:%s,dwRet=%ld",
                           row.source.c_str(), static_cast<long>(attributes));
            if (attributes == INVALID_FILE_ATTRIBUTES) {
                if (window != nullptr) trace.Line("Tool::CopyFileTo -> File not exist");
                continue;
            }
            const double start = NowMs();
            const bool copied = Copy(owner, source, files + row.below) == 0;
            if (copied && mandated) ReadSize(files + row.below);
            const double took = NowMs() - start;
            costs.copies += took;
            if (!copied) {
                ++failures;
                continue;
            }
            ++copies;
            eachCopy.push_back({took, row.source});
        }
    }
    // Ours copies the device-setup log of Windows Vista and later after the
    // rows: whole up to 8 MB, else its newest 8 MB.
    if (groups == "2") {
        const std::string source = windows + "\\INF\\setupapi.dev.log";
        const std::string copy = files + source.substr(3);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &data)) {
            const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                                            data.nFileSizeLow;
            const unsigned long long bound = 8ull << 20;
            Timed timed(costs.copies);
            if (size > bound)
                for (std::size_t at = copy.find('\\', files.size()); at != std::string::npos;
                     at = copy.find('\\', at + 1))
                    CreateDirectoryA(copy.substr(0, at).c_str(), nullptr);
            const bool copied = size <= bound ? Copy(owner, source, copy) == 0
                                              : CopyNewestPart(source, copy, size, bound);
            if (copied && mandated) ReadSize(copy);
            copied ? ++copies : ++failures;
        }
    }
    {
        Timed timed(costs.saves);
        for (const auto& log : logs) {
            HANDLE handle = OpenEventLogA(nullptr, log[0]);
            if (handle == nullptr) continue;
            if (BackupEventLogA(handle, (files + log[1]).c_str()) && mandated) ReadSize(files + log[1]);
            CloseEventLog(handle);
        }
    }
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token);
    Backup(token, TRUE);
    CreateDirectoryA(hives.c_str(), nullptr);
    int saved = 0;
    if (window != nullptr) window->Range(5);
    for (const auto& branch : branches) {
        if (window != nullptr) window->Item(branch[0]);
        Timed timed(costs.saves);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, branch[0], 0, KEY_ALL_ACCESS, &key) != 0) continue;
        if (RegSaveKeyA(key, (hives + branch[1]).c_str(), nullptr) == 0) {
            ++saved;
            if (mandated) ReadSize(hives + branch[1]);
        }
        RegCloseKey(key);
    }
    for (const auto& branch : branches) {
        if (!wow64 || !HasSeparate64BitKey(branch[0])) continue;
        std::string name = branch[1];
        name.insert(name.size() - 4, "64");
        if (window != nullptr) window->Item(branch[0], false);
        Timed timed(costs.saves);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, branch[0], 0, KEY_READ | KEY_WOW64_64KEY, &key) != 0) continue;
        if (RegSaveKeyA(key, (hives + name).c_str(), nullptr) == 0) {
            ++saved;
            if (mandated) ReadSize(hives + name);
        }
        RegCloseKey(key);
    }
    Backup(token, FALSE);
    CloseHandle(token);
    while (mandated && costs.lines < wanted) trace.Line("Tool::Collect_Registry, closing %d", costs.lines);
    double ms = NowMs() - begin - costs.items * 250.0;
    // Each copy's milliseconds beside the output folder, to set against ours' copy by copy.
    if (std::FILE* list = mandated ? std::fopen((out + ".copies.txt").c_str(), "w") : nullptr) {
        for (const auto& copy : eachCopy) std::fprintf(list, "%.1f\t%s\n", copy.first, copy.second.c_str());
        std::fclose(list);
    }
    delete window;
    if (!mandated) {
        std::printf("%.1f ms, %d copies, %d failed, %d hives\n", ms, copies, failures, saved);
    } else {
        std::printf("%.1f ms beyond %d x 250 ms pauses, %d copies, %d failed, %d hives;"
                    " trace %.1f ms (%d lines), progress and status %.1f ms, drain %.1f ms,"
                    " pauses beyond 250 ms %.1f ms, copies %.1f ms, backups and saves %.1f ms\n",
                    ms, costs.items, copies, failures, saved, costs.trace, costs.lines, costs.controls, costs.drain,
                    costs.pauses - costs.items * 250.0, costs.copies, costs.saves);
    }
    return failures == 0 ? 0 : 1;
}
