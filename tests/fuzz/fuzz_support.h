// Shared by the fuzz targets: one fake Windows for the whole run, a reader
// that cuts the input into fields, and the invariants every target asserts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/fake/fake_platform.h"

namespace fuzz {

// Installs a fake kept for the whole run (building one per input would cost
// more than the code under test); its drive folder goes when the run ends.
template <class Fake>
Fake& Install() {
    static Fake* fake = [] {
        auto* made = new Fake();
        static gx::ScopedPlatform scope(*made);
        static const std::string root = made->files().Root();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
        });
        return made;
    }();
    return *fake;
}

// The plain fake. The trace log is dropped before it reaches the disk (its
// path is still measured), so it cannot grow during a run.
inline gx::FakePlatform& Platform() {
    static gx::FakePlatform& fake = [] () -> gx::FakePlatform& {
        gx::FakePlatform& made = Install<gx::FakePlatform>();
        made.Fail(gx::FakeOp::AppendText, gx::ERROR_DISK_FULL).MayNotFire();
        return made;
    }();
    return fake;
}

// Empties every drive of the fake, so that what one input wrote cannot slow
// down the next (or fill the host's temporary folder); drive C stays.
inline void WipeDrives(gx::FakePlatform& fake) {
    std::error_code ignored;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(fake.files().Root(), ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    std::filesystem::create_directories(fake.files().Root() + "/C", ignored);
}

// Forgets what the previous input left in the call log and the counters.
inline void NextInput(gx::FakePlatform& fake) {
    fake.ClearCalls();
    fake.ResetLongestPath();
    fake.ui().ResetBeeps();
    fake.ui().ClearShown();
    }

[[noreturn]] inline void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "invariant broken: %s: [%s] (%zu characters)\n", what, detail.c_str(), detail.size());
    std::abort();
}

inline void Check(bool holds, const char* what, const std::string& detail = std::string()) {
    if (!holds) Fail(what, detail);
}

// Every path the program handed to the platform fits MAX_PATH with its NUL.
inline void CheckPathLimit(const gx::FakePlatform& fake, const std::string& context) {
    if (fake.LongestPath() < gx::MAX_PATH) return;
    std::string culprit = "the trace or setup log";
    std::size_t longest = 0;
    for (const gx::FakeCall& call : fake.Calls())
        for (const std::string& arg : call.args)
            if (arg.size() > longest) {
                longest = arg.size();
                culprit = std::string(gx::FakeOpName(call.op)) + "(" + arg + ")";
            }
    Fail("a path of 260 characters or more reached the platform", culprit + " | " + context);
}

// The input as fields: a leading byte of choices, then texts separated by
// 0x1F; a text ends at its first NUL, as a C string would.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t Word() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = (value << 8) | Byte();
        return value;
    }
    std::string Text(std::size_t limit = 4096) {
        std::string text;
        while (pos_ < size_ && data_[pos_] != 0x1F) {
            if (text.size() < limit) text.push_back(static_cast<char>(data_[pos_]));
            ++pos_;
        }
        if (pos_ < size_) ++pos_;
        std::size_t nul = text.find('\0');
        if (nul != std::string::npos) text.erase(nul);
        return text;
    }
    bool Done() const { return pos_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace fuzz
