// UI driver of the end-to-end suite: runs in the same Wine prefix as the
// program and drives it through its real windows. One step per start, so
// that the shell can take screenshots in between:
//
//   gxdrive start <exe> [args...]      start a program (does not wait), print its id
//   gxdrive start-in <dir> <exe> [args...]  the same with another working folder
//   gxdrive wait <window> [ms]          wait until a window is shown
//   gxdrive gone <window> [ms]          wait until no such window is shown
//   gxdrive click <window> <id>         press a button (posted, never sent)
//   gxdrive command <window> <id>       post WM_COMMAND id (IDCANCEL = Esc)
//   gxdrive close <window>              post WM_CLOSE
//   gxdrive syscommand-close <window>   post WM_SYSCOMMAND SC_CLOSE (Alt+F4)
//   gxdrive type <window> <id> <text>   set an edit's text
//   gxdrive text <window> <id>          print a control's text
//   gxdrive title <window>              print the window's title
//   gxdrive enabled <window> <id>       print 1 or 0
//   gxdrive visible <window> <id>       print 1 or 0
//   gxdrive box [ms]                    wait for a message box, print caption, a TAB, its text
//   gxdrive answer <id> [ms]            press button <id> of the message box
//   gxdrive open-file <path> [ms]       answer the open-file dialog with a path
//   gxdrive kill <pid>                  end a program at once (TerminateProcess)
//   gxdrive exited <pid> [ms]           wait until the started program has ended
//   gxdrive hold <file> <pid> [ms]      hold a file, sharing nothing, until the program has ended
//   gxdrive startup <window> <exe> [args...]  start and print the ms until the window shows
//   gxdrive volatile <key below HKLM>   print 1 if the key is volatile, 0 if not (64-bit view)
//   gxdrive no-key <key below HKLM>     exit 0 when the key does not exist (64-bit view)
//
// <window> is "title=<text>" (exact title), "ctl=<id>" (a shown dialog with
// a control of that id) or "box" (a message box). Texts are printed as the
// program's own bytes. Exit code 0 on success, 1 on a timeout or a missing
// window, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kDefaultTimeout = 10000;

struct Search {
    std::string title;
    int control = 0;
    bool messageBox = false;
    HWND found = nullptr;
};

bool IsDialog(HWND window) {
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof(cls));
    return std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window);
}

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsDialog(window)) return TRUE;
    bool isBox = GetDlgItem(window, 0xFFFF) != nullptr;
    if (search->messageBox != isBox) return TRUE;  // boxes share the tool's caption
    if (search->messageBox) {
    } else if (!search->title.empty()) {
        char title[512] = {};
        GetWindowTextA(window, title, sizeof(title));
        if (search->title != title) return TRUE;
    } else if (search->control != 0) {
        if (GetDlgItem(window, search->control) == nullptr) return TRUE;
    }
    search->found = window;
    return FALSE;
}

Search Parse(const std::string& selector) {
    Search search;
    if (selector == "box") search.messageBox = true;
    else if (selector.rfind("title=", 0) == 0) search.title = selector.substr(6);
    else if (selector.rfind("ctl=", 0) == 0) search.control = std::atoi(selector.c_str() + 4);
    else search.title = selector;
    return search;
}

HWND Find(const std::string& selector, DWORD timeout) {
    for (DWORD waited = 0;; waited += 50) {
        Search search = Parse(selector);
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (waited >= timeout) return nullptr;
        Sleep(50);
    }
}

std::string TextOf(HWND window) {
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data());
}

DWORD TimeoutArg(int argc, char** argv, int index) {
    return argc > index ? static_cast<DWORD>(std::strtoul(argv[index], nullptr, 10)) : kDefaultTimeout;
}

int Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "gxdrive: %s: %s\n", what, detail.c_str());
    return 1;
}

// The Edit of the open-file dialog's file-name combo box (control 1148).
HWND FileNameEdit(HWND dialog) {
    HWND combo = GetDlgItem(dialog, 1148);
    if (combo == nullptr) return GetDlgItem(dialog, 1152);  // old-style dialog
    HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr);
    HWND edit = FindWindowExA(inner != nullptr ? inner : combo, nullptr, "Edit", nullptr);
    return edit;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string step = argv[1];
    if ((step == "start" && argc >= 3) || (step == "start-in" && argc >= 4)) {
        const char* folder = step == "start-in" ? argv[2] : nullptr;
        int first = step == "start-in" ? 3 : 2;
        std::string line = std::string("\"") + argv[first] + "\"";
        for (int i = first + 1; i < argc; ++i) line += std::string(" ") + argv[i];
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(argv[first], mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                            &startup, &process))
            return Fail("cannot start", argv[first]);
        std::printf("%lu\n", process.dwProcessId);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 0;
    }
    if (step == "kill" && argc >= 3) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                     static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
        if (process == nullptr) return Fail("no such process", argv[2]);
        BOOL killed = TerminateProcess(process, 9);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
        return killed ? 0 : Fail("cannot kill", argv[2]);
    }
    if (step == "exited" && argc >= 3) {
        DWORD pid = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (process == nullptr) return 0;  // already gone
        DWORD result = WaitForSingleObject(process, TimeoutArg(argc, argv, 3));
        CloseHandle(process);
        return result == WAIT_OBJECT_0 ? 0 : Fail("still running", argv[2]);
    }
    if (step == "hold" && argc >= 4) {
        // Shares nothing, so that copying the file fails until the program ends.
        HANDLE file = CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Fail("cannot open", argv[2]);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
        if (process == nullptr) {
            CloseHandle(file);
            return Fail("no such process", argv[3]);
        }
        std::printf("held\n");
        std::fflush(stdout);
        DWORD result = WaitForSingleObject(process, TimeoutArg(argc, argv, 4));
        CloseHandle(process);
        CloseHandle(file);
        return result == WAIT_OBJECT_0 ? 0 : Fail("still running", argv[3]);
    }
    if (step == "startup" && argc >= 4) {
        std::string line = std::string("\"") + argv[3] + "\"";
        for (int i = 4; i < argc; ++i) line += std::string(" ") + argv[i];
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        LARGE_INTEGER frequency, begin, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&begin);
        if (!CreateProcessA(argv[3], mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return Fail("cannot start", argv[3]);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        for (int i = 0; i < 4000; ++i) {
            Search search = Parse(argv[2]);
            EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr) {
                QueryPerformanceCounter(&now);
                std::printf("%.1f\n", 1000.0 * static_cast<double>(now.QuadPart - begin.QuadPart) /
                                          static_cast<double>(frequency.QuadPart));
                return 0;
            }
            Sleep(2);
        }
        return Fail("no window", argv[2]);
    }
    // Keys in the 64-bit view on 64-bit Windows, where the import tool loads
    // them (the flag is ignored on 32-bit Windows).
    if (step == "volatile" && argc >= 3) {
        // A volatile key refuses a non-volatile child (ERROR_CHILD_MUST_BE_VOLATILE).
        HKEY parent = nullptr, key = nullptr;
        LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &parent);
        if (status != 0) return Fail("no such key", argv[2]);
        status = RegCreateKeyExA(parent, "gxdrive-volatile-probe", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (status == 0) {
            RegCloseKey(key);
            RegDeleteKeyA(parent, "gxdrive-volatile-probe");
        }
        RegCloseKey(parent);
        std::printf("%d\n", status == ERROR_CHILD_MUST_BE_VOLATILE ? 1 : 0);
        return status == 0 || status == ERROR_CHILD_MUST_BE_VOLATILE ? 0 : Fail("cannot probe", argv[2]);
    }
    if (step == "no-key" && argc >= 3) {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, KEY_READ | KEY_WOW64_64KEY, &key);
        if (status == 0) RegCloseKey(key);
        return status == ERROR_FILE_NOT_FOUND ? 0 : Fail("key present or unreadable", argv[2]);
    }
    if (step == "box") {
        HWND box = Find("box", TimeoutArg(argc, argv, 2));
        if (box == nullptr) return Fail("no message box", "");
        char caption[512] = {};
        GetWindowTextA(box, caption, sizeof(caption));
        std::printf("%s\t%s\n", caption, TextOf(GetDlgItem(box, 0xFFFF)).c_str());
        return 0;
    }
    if (step == "answer" && argc >= 3) {
        HWND box = Find("box", TimeoutArg(argc, argv, 3));
        if (box == nullptr) return Fail("no message box", "");
        HWND button = GetDlgItem(box, std::atoi(argv[2]));
        if (button == nullptr) return Fail("no such button", argv[2]);
        PostMessageA(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (step == "open-file" && argc >= 3) {
        // The open-file dialog is the one with the file-name control.
        HWND dialog = Find("ctl=1148", TimeoutArg(argc, argv, 3));
        if (dialog == nullptr) dialog = Find("ctl=1152", 0);
        if (dialog == nullptr) return Fail("no open-file dialog", "");
        HWND edit = FileNameEdit(dialog);
        if (edit == nullptr) return Fail("no file-name edit", "");
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return 0;
    }
    if (argc < 3) return 2;
    std::string selector = argv[2];
    if (step == "wait") return Find(selector, TimeoutArg(argc, argv, 3)) != nullptr ? 0 : Fail("no window", selector);
    if (step == "gone") {
        DWORD timeout = TimeoutArg(argc, argv, 3);
        for (DWORD waited = 0; waited <= timeout; waited += 50) {
            if (Find(selector, 0) == nullptr) return 0;
            Sleep(50);
        }
        return Fail("window still shown", selector);
    }
    HWND window = Find(selector, kDefaultTimeout);
    if (window == nullptr) return Fail("no window", selector);
    if (step == "title") {
        char title[512] = {};
        GetWindowTextA(window, title, sizeof(title));
        std::printf("%s\n", title);
        return 0;
    }
    if (step == "close") return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (step == "syscommand-close") return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    if (argc < 4) return 2;
    int id = std::atoi(argv[3]);
    if (step == "command") return PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
    HWND control = GetDlgItem(window, id);
    if (control == nullptr) return Fail("no control", argv[3]);
    if (step == "click") return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
    if (step == "text") {
        std::printf("%s\n", TextOf(control).c_str());
        return 0;
    }
    if (step == "enabled") {
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
        return 0;
    }
    if (step == "visible") {
        std::printf("%d\n", IsWindowVisible(control) ? 1 : 0);
        return 0;
    }
    if (step == "type" && argc >= 5) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
        return 0;
    }
    return 2;
}
