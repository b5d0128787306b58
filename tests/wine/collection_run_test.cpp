// A whole collection run of the real gathrix.exe, driven through its
// windows from this process: close requests and a second Start in the middle
// of the run are refused, and the run goes on to the questionnaire and the
// final box.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "wine_support.h"
#include "resource.h"

using namespace winetest;

namespace {

struct Search {
    DWORD process;
    std::function<bool(HWND)> wanted;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (owner == search->process && std::string(cls) == "#32770" && IsWindowVisible(window) &&
        search->wanted(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of the process that satisfies `wanted`, within `ms`.
HWND WaitForDialog(DWORD process, std::function<bool(HWND)> wanted, DWORD ms) {
    for (DWORD waited = 0; waited <= ms; waited += 100) {
        Search search{process, wanted, nullptr};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        Sleep(100);
    }
    return nullptr;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

TEST(CollectionRun, CloseRequestsAndASecondStartDuringTheRunAreRefusedAndTheRunCompletes) {
    ScratchFolder folder("run");
    const std::string exe = folder / "gathrix.exe";
    ASSERT_TRUE(CopyFileA(ProductExe().c_str(), exe.c_str(), FALSE)) << ProductExe();
    EXPECT_TRUE(MakeFolders(folder / "CollectInfo"));
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               folder.path().c_str(), &startup, &process));
    const DWORD id = process.dwProcessId;

    HWND main = WaitForDialog(id, [](HWND w) { return TextOf(w) == "CORVANE NET TOOL - Gathrix "; }, 10000);
    ASSERT_NE(main, nullptr);
    HWND start = GetDlgItem(main, IDOK);
    PostMessageA(start, BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && IsWindowEnabled(start); ++i) Sleep(50);
    ASSERT_FALSE(IsWindowEnabled(start));
    ASSERT_FALSE(IsWindowEnabled(GetDlgItem(main, IDCANCEL)));

    // A logoff, the close box, Alt+F4, another program's Cancel and Start.
    DWORD_PTR answer = 1;
    EXPECT_NE(SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer), 0);
    EXPECT_EQ(answer, 0u);
    PostMessageA(main, WM_CLOSE, 0, 0);
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(main, WM_COMMAND, IDOK, 0);

    HWND questions = WaitForDialog(id, [](HWND w) { return GetDlgItem(w, IDC_NAME) != nullptr; }, 120000);
    ASSERT_NE(questions, nullptr) << "the run did not reach the questionnaire";
    EXPECT_TRUE(IsWindow(main));
    const std::string final =
        "The program terminated successfully. The information has been stored in: " + folder.path() + "\\CollectInfo";
    EXPECT_EQ(TextOf(GetDlgItem(main, IDC_MESSAGE)), final);
    SendMessageA(GetDlgItem(questions, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Wine suite"));
    PostMessageA(GetDlgItem(questions, IDOK), BM_CLICK, 0, 0);

    HWND box = WaitForDialog(id, [](HWND w) { return GetDlgItem(w, 0xFFFF) != nullptr && GetDlgItem(w, IDC_NAME) == nullptr; },
                             20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), "CORVANE NET TOOL - Gathrix ");
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), final);
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);

    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(ReadFile(folder / "CollectInfo\\userinfo.txt").substr(0, 29), "\r\nname, company: \r\nWine suite");
    EXPECT_TRUE(Exists(folder / "CollectInfo\\fileattr.txt"));
    int runs = 0;
    for (const std::string& line : Lines(ReadFile(folder / "CollectInfo\\gathrix.log")))
        if (line.find("\t> CAction::Collect_Files") != std::string::npos) ++runs;
    EXPECT_EQ(runs, 1);
}

}  // namespace
