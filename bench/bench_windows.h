// The few Win32 services the benchmark needs beside the program's own
// boundary, kept apart because <windows.h> clashes with the program's headers.
#pragma once

namespace bench {

// Milliseconds from a fixed start, with the performance counter's resolution.
double NowMs();

// A hidden dialog-like top-level window with a progress bar and a static
// text, as the collection dialog lends them to a run. Handles as void*.
struct BenchControls {
    void* frame = nullptr;
    void* progress = nullptr;
    void* status = nullptr;
};
BenchControls CreateControls();
void DestroyControls(const BenchControls& controls);

bool SetReadOnly(const char* path);
// Removes a folder with everything in it, read-only files included.
void RemoveTree(const char* path);

}  // namespace bench
