// device-setup-failures: sections of the device-setup logs of the last 90
// days that ended in failure, the family's drivers first. Two layouts exist:
//   up to Windows XP (setupapi.log): a section starts with
//     "[2026/11/20 10:00:00 1234.5 ...]", errors are "#E" lines;
//   from Vista (setupapi.dev.log):  ">>>  [Device Install ...]",
//     ">>>  Section start 2026/11/20 10:00:00.123", errors "!!!",
//     "<<<  [Exit status: SUCCESS]" or "FAILURE(0x...)". The exit status
//     decides: Windows logs "!!!" lines for retries that later succeed.
// The markers are the same on every language of Windows.
#include <cctype>
#include <cstdio>
#include <deque>

#include "environment/action.h"
#include "findings/collected_files.h"
#include "findings/collected_rules.h"
#include "handoff/handoff.h"

namespace findings {

namespace {

const char kId[] = "device-setup-failures";
constexpr long kRecentDays = 90;
// The overview lists the last this many failed sections of a log.
constexpr std::size_t kListedSections = 10;

bool IsDeviceSetupLog(const std::string& name) {
    return (name.size() == 12 && EndsWithNoCase(name, "setupapi.log")) ||
           (name.size() == 16 && EndsWithNoCase(name, "setupapi.dev.log"));
}

// "YYYY/MM/DD" at `at`: the day number, or false.
bool ParseDate(const std::string& text, std::size_t at, long* day) {
    int year = 0;
    unsigned month = 0, date = 0;
    char tail = 0;
    if (at >= text.size()) return false;
    if (std::sscanf(text.c_str() + at, "%4d/%2u/%2u%c", &year, &month, &date, &tail) < 3) return false;
    if (year < 1990 || month < 1 || month > 12 || date < 1 || date > 31) return false;
    *day = DaysFromCivil(year, month, date);
    return true;
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

struct Section {
    Evidence heading;
    Evidence firstError;
    bool hasError = false;
    bool hasExit = false;    // an exit status ended it
    bool succeeded = false;  // ... and it was SUCCESS
    bool family = false;     // a line names the product family
    bool hasDate = false;
    long day = 0;
};

// Reads a log's lines in order and keeps the last of its recent failed
// sections (a section without a date counts as recent: a failure is not
// dropped for want of a time stamp); pure.
class SetupLogScan {
public:
    explicit SetupLogScan(long today) : today_(today) {}

    void Line(long number, const std::string& raw) {
        const std::string text = Trimmed(raw);
        if (text.empty()) return;
        if (text[0] == '[') {
            // "[Boot Session: 2026/11/20 ...]" dates the sections after it;
            // "[2026/11/20 10:00:00 ...]" opens a section of the older layout.
            long day = 0;
            std::size_t colon = text.find(": ");
            if (text.compare(0, 13, "[Boot Session") == 0 && colon != std::string::npos && ParseDate(text, colon + 2, &day)) {
                recognised_ = true;
                bootDay_ = day;
                hasBootDay_ = true;
            } else if (ParseDate(text, 1, &day)) {
                recognised_ = true;
                Close();
                Open(number, text);
                current_.hasDate = true;
                current_.day = day;
            }
            return;
        }
        if (text.compare(0, 3, ">>>") == 0) {
            const std::string rest = Trimmed(text.substr(3));
            if (rest.compare(0, 1, "[") == 0) {
                recognised_ = true;
                Close();
                Open(number, rest);
                if (hasBootDay_) {
                    current_.hasDate = true;
                    current_.day = bootDay_;
                }
                return;
            }
            long day = 0;
            std::size_t start = rest.find("Section start ");
            if (open_ && start != std::string::npos && ParseDate(rest, start + 14, &day)) {
                current_.hasDate = true;
                current_.day = day;
            }
            return;
        }
        if (!open_) return;
        if (NamesFamily(text)) current_.family = true;
        if (text.compare(0, 3, "!!!") == 0 || text.compare(0, 2, "#E") == 0) {
            Error(number, text);
            return;
        }
        if (text.compare(0, 3, "<<<") == 0) {
            const std::string rest = Trimmed(text.substr(3));
            std::size_t status = rest.find("Exit status: ");
            if (status != std::string::npos) {
                current_.hasExit = true;
                current_.succeeded = rest.compare(status + 13, 7, "SUCCESS") == 0;
                if (!current_.succeeded) Error(number, text);
                Close();
            }
        }
    }

    void End() { Close(); }
    bool Recognised() const { return recognised_; }
    std::size_t FailedCount() const { return failedCount_; }
    // The last failed sections of the family, then the last of the others.
    std::vector<Section> LastFailed() const {
        std::vector<Section> sections(lastFamily_.begin(), lastFamily_.end());
        for (const Section& other : lastOther_)
            if (sections.size() < kListedSections) sections.push_back(other);
        return sections;
    }

private:
    void Open(long number, const std::string& heading) {
        current_ = Section();
        current_.heading = {std::string(), number, EvidenceText(heading)};
        current_.family = NamesFamily(heading);
        open_ = true;
    }
    void Error(long number, const std::string& text) {
        if (current_.hasError) return;
        current_.firstError = {std::string(), number, EvidenceText(text)};
        current_.hasError = true;
    }
    void Close() {
        const bool failed = current_.hasExit ? !current_.succeeded : current_.hasError;
        if (open_ && failed && (!current_.hasDate || today_ - current_.day <= kRecentDays)) {
            ++failedCount_;
            std::deque<Section>& kept = current_.family ? lastFamily_ : lastOther_;
            kept.push_back(current_);
            if (kept.size() > kListedSections) kept.pop_front();
        }
        open_ = false;
    }

    bool recognised_ = false;
    bool open_ = false;
    bool hasBootDay_ = false;
    long bootDay_ = 0;
    long today_;
    Section current_;
    std::size_t failedCount_ = 0;
    std::deque<Section> lastFamily_, lastOther_;
};

struct LogSections {
    std::string shown;
    bool recognised = false;
    std::size_t failedCount = 0;
    std::vector<Section> lastFailed;
    std::string problem;
};

LogSections ReadSetupLog(const CollectedCopy& copy, std::uint64_t byteLimit, long today) {
    LogLines lines(copy.path, byteLimit);
    SetupLogScan scan(today);
    std::string line;
    while (lines.Next(line)) scan.Line(lines.Number(), line);
    scan.End();
    LogSections log;
    log.shown = copy.shown;
    log.recognised = scan.Recognised();
    log.failedCount = scan.FailedCount();
    log.lastFailed = scan.LastFailed();
    log.problem = LogProblem(copy, lines, byteLimit);
    return log;
}

Result Judge(const std::vector<LogSections>& logs) {
    if (logs.empty()) return Skip(kId, "no device-setup log was collected");
    std::vector<Evidence> evidence;
    std::size_t failed = 0;
    std::string problems;
    bool recognised = false;
    for (const LogSections& log : logs) {
        recognised = recognised || log.recognised;
        if (!log.recognised)
            problems += (problems.empty() ? "" : "; ") + log.shown + (log.problem.empty() ? " has no section this rule knows" : ": " + log.problem);
        else if (!log.problem.empty())
            problems += (problems.empty() ? "" : "; ") + log.problem;
        failed += log.failedCount;
    }
    // The family's drivers first, of every log.
    for (bool family : {true, false})
        for (const LogSections& log : logs)
            for (const Section& section : log.lastFailed) {
                if (section.family != family || evidence.size() >= 2 * kListedSections) continue;
                Evidence heading = section.heading, error = section.firstError;
                heading.source = error.source = log.shown;
                evidence.push_back(heading);
                evidence.push_back(error);
            }
    if (failed > 0)
        return Fail(kId, Severity::Warning,
                    std::to_string(failed) + (failed == 1 ? " device or driver installation" : " device or driver installations") +
                        " of the last 90 days failed",
                    std::move(evidence),
                    "Check the devices and drivers named here in the Device Manager; reinstall the driver "
                    "package of the device (for the product family's interfaces, its driver setup) and "
                    "restart Windows.");
    if (!problems.empty()) return Skip(kId, problems);
    if (!recognised) return Skip(kId, "no device-setup log has a section this rule knows");
    return Pass(kId);
}

}  // namespace

Result DeviceSetupFailures(const CAction& action) { return DeviceSetupFailures(action, ReadBounds()); }

Result DeviceSetupFailures(const CAction& action, const ReadBounds& bounds) {
    if (!FilesRecorded(action)) return Skip(kId, "the files were not collected");
    const gx::SYSTEMTIME& started = action.m_Record.started;
    if (started.wYear == 0) return Skip(kId, "the run's start time is unknown");
    const long today = DaysFromCivil(started.wYear, started.wMonth, started.wDay);
    std::vector<LogSections> logs;
    for (const CollectedCopy& copy : CollectedCopies(action, IsDeviceSetupLog))
        logs.push_back(ReadSetupLog(copy, bounds.logBytes, today));
    // Since Vista the log is INF\setupapi.dev.log, collected beside the
    // table's rows into the same mirrored place.
    const CollectedCopy dev = SetupDevLogCopy(action);
    if (!dev.path.empty() && action.m_Record.setupDevLog.outcome == ItemOutcome::Written)
        logs.push_back(ReadSetupLog(dev, bounds.logBytes, today));
    return Judge(logs);
}

}  // namespace findings
