// A platform that times every boundary call it passes on: per call its
// count, its time in all, and its own time, less that of the boundary calls
// made inside it (a dialog's modal loop runs a whole collection inside one
// call). Two tallies: the whole run, and the span between the trace lines
// that bound the benchmark's timed part. For the benchmark only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace gx {
namespace bench {

struct CallTime {
    long count = 0;
    double ms = 0;       // in all
    double own = 0;      // less the boundary calls made inside it
    double longest = 0;
};

// Times every call of the boundary.
class TimedCalls : public Platform {
public:
    explicit TimedCalls(Platform& target) : target_(target) {}

#define GX_BENCH_DECLARE(result, name, parameters, arguments) result name parameters override;
    GX_PLATFORM_CALLS(GX_BENCH_DECLARE)
#undef GX_BENCH_DECLARE

    const std::map<std::string, CallTime>& Whole() const { return whole_; }
    const std::map<std::string, CallTime>& Span() const { return span_; }
    // One tally as text, the largest own time first, one call a line.
    static std::string Report(const std::map<std::string, CallTime>& calls);

protected:
    enum class SpanState { Before, Inside, After } spanState_ = SpanState::Before;

private:
    class Scope;
    void Add(const char* name, double ms, double own);

    Platform& target_;
    std::map<std::string, CallTime> whole_, span_;
    std::vector<double> inner_;  // per open call, the time of the calls inside it
};

// The same, with a second tally for the span of the run between two trace
// lines, which it watches as they pass through AppendText.
class TimedPlatform : public TimedCalls {
public:
    // The span runs from the trace line that contains spanFrom to the one
    // that contains spanTo.
    TimedPlatform(Platform& target, std::string spanFrom, std::string spanTo);

    bool AppendText(const char* path, const char* text, std::size_t length) override;

private:
    void NoteTraceLine(const char* text, std::size_t length);

    std::string spanFrom_, spanTo_;
};

}  // namespace bench
}  // namespace gx
