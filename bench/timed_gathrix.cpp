// gathrix.exe with a timer around every boundary call, otherwise the same
// program. At its end it writes calls.txt beside itself: per call its
// count, own time and time in all, for the whole run and for the span the
// collection benchmark times.
#include <cstdio>
#include <string>

#include "framework/winapp.h"
#include "platform/platform.h"
#include "timed_platform.h"

int main() {
    gx::Platform* real = gx::DefaultPlatform();
    if (real == nullptr) return 1;
    gx::bench::TimedPlatform timed(*real, "> CAction::Collect_Files", "< Tool::Collect_Registry");
    int result;
    {
        gx::ScopedPlatform scope(timed);
        result = AfxWinMain();
    }
    bool cut = false;
    std::string path = gx::ModuleFileName(&cut);
    path.erase(path.rfind('\\') + 1);
    if (std::FILE* report = std::fopen((path + "calls.txt").c_str(), "w")) {
        std::fprintf(report, "== span\n%s== whole run\n%s", gx::bench::TimedPlatform::Report(timed.Span()).c_str(),
                     gx::bench::TimedPlatform::Report(timed.Whole()).c_str());
        std::fclose(report);
    }
    return result;
}
