// Stands in for winmain.cpp in the product's link arrangement (main_app.cpp
// first, then the core and win32 libraries). It traces once and returns; the
// trace log then shows, beside every line, whether the application object
// still existed when the line was written. The closing line, written while
// static objects are destroyed, tells the order of static destruction and
// so, in reverse, of construction.
#include <string>

#include "framework/winapp.h"
#include "platform/forwarding.h"
#include "trace/trace.h"

namespace {

using namespace gx;

// Marks every trace line; every other call goes straight to the real platform.
class Recorder final : public ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;

    bool AppendText(const char* path, const char* text, std::size_t length) override {
        std::string line = std::string(AfxGetApp() != nullptr ? "alive\t" : "gone\t") + std::string(text, length);
        return ForwardingPlatform::AppendText(path, line.c_str(), line.size());
    }
};

}  // namespace

// The product's entry point, declared without <windows.h>, whose types clash
// with the boundary's.
extern "C" int __stdcall WinMain(void*, void*, char*, int) {
    // Installed for good: the closing line comes after WinMain returned.
    static Recorder* recorder = new Recorder(*DefaultPlatform());
    new ScopedPlatform(*recorder);
    Trace(TRACE_INFO, "order probe");
    return 0;
}
