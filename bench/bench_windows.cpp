#include "bench_windows.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "resource.h"

namespace bench {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

BenchControls CreateControls() {
    InitCommonControls();
    BenchControls controls;
    HWND frame = CreateWindowExA(0, "#32770", "files_bench", WS_POPUP, 0, 0, 400, 120, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    controls.frame = frame;
    controls.progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 380, 20, frame,
                                        reinterpret_cast<HMENU>(IDC_PROGRESS), GetModuleHandleA(nullptr), nullptr);
    controls.status = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 40, 380, 20, frame,
                                      reinterpret_cast<HMENU>(IDC_STATUS), GetModuleHandleA(nullptr), nullptr);
    return controls;
}

void DestroyControls(const BenchControls& controls) {
    if (controls.frame != nullptr) DestroyWindow(static_cast<HWND>(controls.frame));
}

bool SetReadOnly(const char* path) { return SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY) != FALSE; }

void RemoveTree(const char* path) {
    std::string folder(path);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = folder + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child.c_str());
            else DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace bench
