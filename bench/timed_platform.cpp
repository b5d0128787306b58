#include "timed_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

namespace gx {
namespace bench {

namespace {

double NowMs() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

}  // namespace

class TimedCalls::Scope {
public:
    Scope(TimedCalls& owner, const char* name) : owner_(owner), name_(name), start_(NowMs()) {
        owner_.inner_.push_back(0);
    }
    ~Scope() {
        const double ms = NowMs() - start_;
        const double inner = owner_.inner_.back();
        owner_.inner_.pop_back();
        if (!owner_.inner_.empty()) owner_.inner_.back() += ms;
        owner_.Add(name_, ms, ms - inner);
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    TimedCalls& owner_;
    const char* name_;
    double start_;
};

TimedPlatform::TimedPlatform(Platform& target, std::string spanFrom, std::string spanTo)
    : TimedCalls(target), spanFrom_(std::move(spanFrom)), spanTo_(std::move(spanTo)) {}

void TimedCalls::Add(const char* name, double ms, double own) {
    for (auto* calls : {&whole_, spanState_ == SpanState::Inside ? &span_ : nullptr}) {
        if (calls == nullptr) continue;
        CallTime& call = (*calls)[name];
        ++call.count;
        call.ms += ms;
        call.own += own;
        call.longest = std::max(call.longest, ms);
    }
}

// The trace passes each line through AppendText: the span opens before its
// first line is written and closes after its last.
void TimedPlatform::NoteTraceLine(const char* text, std::size_t length) {
    const std::string line(text, length);
    if (spanState_ == SpanState::Before && line.find(spanFrom_) != std::string::npos) {
        spanState_ = SpanState::Inside;
    } else if (spanState_ == SpanState::Inside && line.find(spanTo_) != std::string::npos) {
        spanState_ = SpanState::After;
    }
}

bool TimedPlatform::AppendText(const char* path, const char* text, std::size_t length) {
    if (spanState_ == SpanState::Before) NoteTraceLine(text, length);
    bool written = TimedCalls::AppendText(path, text, length);
    if (spanState_ == SpanState::Inside) NoteTraceLine(text, length);
    return written;
}

#define GX_BENCH_FORWARD(result, name, parameters, arguments) \
    result TimedCalls::name parameters {                      \
        Scope scope(*this, #name);                            \
        return target_.name arguments;                        \
    }
GX_PLATFORM_CALLS(GX_BENCH_FORWARD)
#undef GX_BENCH_FORWARD

std::string TimedCalls::Report(const std::map<std::string, CallTime>& calls) {
    std::vector<std::pair<std::string, CallTime>> sorted(calls.begin(), calls.end());
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.second.own > b.second.own; });
    std::string text;
    for (const auto& entry : sorted) {
        char line[200];
        std::snprintf(line, sizeof(line), "%-30s %7ld calls %10.1f ms own %10.1f ms in all, longest %8.1f ms\n",
                      entry.first.c_str(), entry.second.count, entry.second.own, entry.second.ms,
                      entry.second.longest);
        text += line;
    }
    return text;
}

}  // namespace bench
}  // namespace gx
