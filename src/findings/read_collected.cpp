// The collected-files reader: the copies the run made of installation logs,
// device-setup logs, dumps and error files, read through the boundary within
// byte bounds and reduced to what the rules judge, each finding with its
// file and line.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "environment/action.h"
#include "findings/collected_files.h"
#include "findings/readers.h"
#include "findings/text.h"
#include "platform/calendar.h"
#include "platform/constants.h"
#include "platform/platform.h"

namespace findings {

namespace {

// ---- installation logs: the last attempt of each ----------------------------

// Earlier failed attempts listed beside the last one.
constexpr std::size_t kEarlierShown = 3;

// The table's installation, removal and setup logs; the first line tells
// which of them the installer service wrote.
bool IsInstallationLog(const std::string& name) {
    std::string lower;
    for (char c : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (!EndsWithNoCase(lower, ".log") || lower.find("setupapi") != std::string::npos) return false;
    return lower.find("inst") != std::string::npos || lower.find("setup") != std::string::npos;
}

bool Digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// `marker` followed by a number of at least `digits` digits; *number gets it.
bool MarkerWithNumber(const std::string& line, const char* marker, std::size_t digits, long* number) {
    const std::size_t length = std::strlen(marker);
    for (std::size_t at = line.find(marker); at != std::string::npos; at = line.find(marker, at + 1)) {
        std::size_t end = at + length;
        long value = 0;
        while (end < line.size() && Digit(line[end]) && end - at - length < 9) value = value * 10 + (line[end++] - '0');
        if (end - at - length >= digits && (end == line.size() || !Digit(line[end]))) {
            *number = value;
            return true;
        }
    }
    return false;
}

// An action's end in any language: "<words> hh:mm:ss<sp>: <Action>. <words> <n>."
// ("Action ended 10:00:03: InstallFinalize. Return value 3.", "Aktion beendet
// um ...: InstallFinalize. Rueckgabewert 3."): the time, the action's name (an
// identifier, never translated) and its return value are fixed; only the words
// between them are the language's. *code gets the return value.
bool ActionEnded(const std::string& line, long* code) {
    if (line.compare(0, 5, "MSI (") == 0) return false;  // the engine's own lines
    std::string text = line;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    const std::size_t n = text.size();
    if (n < 4 || text[n - 1] != '.' || !Digit(text[n - 2]) || text[n - 3] != ' ') return false;
    for (std::size_t at = 0; at + 8 <= n; ++at) {
        if (!(Digit(text[at]) && Digit(text[at + 1]) && text[at + 2] == ':' && Digit(text[at + 3]) &&
              Digit(text[at + 4]) && text[at + 5] == ':' && Digit(text[at + 6]) && Digit(text[at + 7])))
            continue;
        std::size_t p = at + 8;
        while (p < n && text[p] == ' ') ++p;
        if (p + 1 >= n || text[p] != ':' || text[p + 1] != ' ') return false;
        p += 2;
        const std::size_t name = p;
        while (p < n && (std::isalnum(static_cast<unsigned char>(text[p])) || text[p] == '_')) ++p;
        if (p == name || p + 1 >= n || text[p] != '.' || text[p + 1] != ' ' || p + 2 >= n - 3) return false;
        *code = text[n - 2] - '0';
        return true;
    }
    return false;
}

// An error the installer reports, in any language: "... -- <word> 1722. ..."
// (Error, Fehler, Erreur ...: the number follows the one word).
bool ReportedError(const std::string& line) {
    for (std::size_t at = line.find(" -- "); at != std::string::npos; at = line.find(" -- ", at + 1)) {
        std::size_t p = at + 4;
        while (p < line.size() && line[p] != ' ' && line[p] != '.') ++p;
        if (p == at + 4 || p + 5 > line.size() || line[p] != ' ') continue;
        ++p;
        std::size_t digits = 0;
        while (p < line.size() && Digit(line[p])) ++p, ++digits;
        if (digits == 4 && (p == line.size() || line[p] == '.' || line[p] == ':')) return true;
    }
    return false;
}

// The installer's log headers are framed the same in every language:
// "=== Verbose logging started: ... ===" opens an attempt, "=== Logging
// stopped: ... ===" closes it; each attempt appended to a log opens anew.
bool IsInstallerHeader(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line.size() >= 7 && line.compare(0, 4, "=== ") == 0 && line.compare(line.size() - 3, 3, "===") == 0;
}

// Only an opening header names the installer's build ("SHIP UNICODE 5.00...",
// never translated).
bool OpensAttempt(const std::string& header) {
    return header.find(" SHIP ") != std::string::npos || header.find(" CHECKED ") != std::string::npos;
}

struct Attempt {
    long header = 0;  // the line that opened it
    bool closed = false;
    Evidence failedAction;  // line 0: no action returned 3
    Evidence error;         // the last error line before the failed action
    bool hasError = false;
};

// Reads one log's lines in order, attempt by attempt; pure, so a test can
// feed it any text.
class InstallerLogScan {
public:
    void Line(long number, const std::string& text) {
        if (number == 1) {
            installer_ = IsInstallerHeader(text);
            if (installer_) attempts_.push_back(Attempt{number, false, {}, {}, false});
            return;
        }
        if (!installer_) return;
        if (IsInstallerHeader(text)) {
            // A header without the build closes an open attempt; after a
            // closed one it opens the next (a log written without /v).
            if (OpensAttempt(text) || attempts_.back().closed)
                attempts_.push_back(Attempt{number, false, {}, {}, false});
            else
                attempts_.back().closed = true;
            return;
        }
        Attempt& attempt = attempts_.back();
        if (attempt.failedAction.line != 0) return;  // the first failed action tells the cause
        long code = 0;
        if (ActionEnded(text, &code)) {
            if (code == 3) attempt.failedAction = {std::string(), number, EvidenceText(text)};
            return;
        }
        // "DEBUG: Error 2826" and notes 2205 and 2228 (a table the package
        // lacks) appear in nearly every log and explain nothing.
        if (text.find("DEBUG: ") != std::string::npos) return;
        if (ReportedError(text) || MarkerWithNumber(text, "Error ", 4, &code) ||
            MarkerWithNumber(text, "Fehler ", 4, &code) ||
            (MarkerWithNumber(text, "Note: 1: ", 4, &code) && code != 2205 && code != 2228)) {
            attempt.error = {std::string(), number, EvidenceText(text)};
            attempt.hasError = true;
        }
    }
    bool IsInstallerLog() const { return installer_; }
    bool LastFailed() const { return installer_ && attempts_.back().failedAction.line != 0; }
    // The last attempt's failed action and error line, then the earlier
    // attempts that failed, newest first.
    std::vector<Evidence> Found(const std::string& source) const {
        std::vector<Evidence> items;
        const Attempt& last = attempts_.back();
        items.push_back(last.failedAction);
        if (last.hasError) items.push_back(last.error);
        std::size_t earlier = 0;
        for (std::size_t i = attempts_.size() - 1; i-- > 0;) {
            if (attempts_[i].failedAction.line == 0) continue;
            if (++earlier > kEarlierShown) break;
            Evidence item = attempts_[i].failedAction;
            item.text = "earlier attempt (from line " + std::to_string(attempts_[i].header) + ") failed too: " + item.text;
            items.push_back(item);
        }
        for (Evidence& item : items) item.source = source;
        return items;
    }

private:
    bool installer_ = false;
    std::vector<Attempt> attempts_;
};


InstallerLogFacts ReadInstallerLog(const CollectedCopy& copy, std::uint64_t byteLimit, std::uint64_t* read) {
    LogLines lines(copy.path, byteLimit);
    InstallerLogScan scan;
    std::string line;
    while (lines.Next(line)) {
        scan.Line(lines.Number(), line);
        if (lines.Number() == 1 && !scan.IsInstallerLog()) break;
    }
    *read = lines.BytesRead();
    InstallerLogFacts verdict;
    verdict.installer = scan.IsInstallerLog();
    if (lines.Number() <= 1 || verdict.installer) verdict.problem = LogProblem(copy, lines, byteLimit);
    if (verdict.problem.empty() && scan.LastFailed()) verdict.failure = scan.Found(copy.shown);
    return verdict;
}


// ---- device-setup logs: the failed sections of the recent days ----------------
//   up to Windows XP (setupapi.log): a section starts with
//     "[2026/11/20 10:00:00 1234.5 ...]", errors are "#E" lines;
//   from Vista (setupapi.dev.log):  ">>>  [Device Install ...]",
//     ">>>  Section start 2026/11/20 10:00:00.123", errors "!!!",
//     "<<<  [Exit status: SUCCESS]" or "FAILURE(0x...)". The exit status
//     decides: Windows logs "!!!" lines for retries that later succeed.
// The markers are the same on every language of Windows.

constexpr long kRecentDays = 90;
// The overview lists the last this many failed sections of a log.
constexpr std::size_t kListedSections = 10;

bool IsDeviceSetupLog(const std::string& name) {
    return (name.size() == 12 && EndsWithNoCase(name, "setupapi.log")) ||
           (name.size() == 16 && EndsWithNoCase(name, "setupapi.dev.log"));
}

// A number of `least` to `most` digits at `at`, which moves past it.
bool Digits(const std::string& text, std::size_t& at, std::size_t least, std::size_t most, unsigned* value) {
    std::size_t count = 0;
    *value = 0;
    while (at < text.size() && count < most && std::isdigit(static_cast<unsigned char>(text[at]))) {
        *value = *value * 10 + static_cast<unsigned>(text[at++] - '0');
        ++count;
    }
    return count >= least;
}

// "YYYY/MM/DD" at `at`: the day number, or false. Read by hand: the C
// runtime's scanner would bring its number parsers into the program.
bool ParseDate(const std::string& text, std::size_t at, long* day) {
    unsigned year = 0, month = 0, date = 0;
    if (!Digits(text, at, 4, 4, &year) || at >= text.size() || text[at++] != '/' || !Digits(text, at, 1, 2, &month) ||
        at >= text.size() || text[at++] != '/' || !Digits(text, at, 1, 2, &date))
        return false;
    if (year < 1990 || month < 1 || month > 12 || date < 1 || date > 31) return false;
    *day = gx::DaysFromCivil(static_cast<int>(year), month, date);
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
    bool family = false;     // a line names the product family
    bool hasError = false;
    bool hasExit = false;    // an exit status ended it
    bool succeeded = false;  // ... and it was SUCCESS
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
    std::size_t FamilyFailedCount() const { return familyFailedCount_; }
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
            if (current_.family) ++familyFailedCount_;
            std::vector<Section>& kept = current_.family ? lastFamily_ : lastOther_;
            kept.push_back(current_);
            if (kept.size() > kListedSections) kept.erase(kept.begin());  // a few, so a shift is cheap
        }
        open_ = false;
    }

    bool recognised_ = false;
    bool open_ = false;
    bool hasBootDay_ = false;
    long bootDay_ = 0;
    long today_;
    Section current_;
    std::size_t failedCount_ = 0, familyFailedCount_ = 0;
    std::vector<Section> lastFamily_, lastOther_;
};


SetupLogFacts ReadSetupLog(const CollectedCopy& copy, std::uint64_t byteLimit, long today) {
    LogLines lines(copy.path, byteLimit);
    SetupLogScan scan(today);
    std::string line;
    while (lines.Next(line)) scan.Line(lines.Number(), line);
    scan.End();
    SetupLogFacts log;
    log.shown = copy.shown;
    log.recognised = scan.Recognised();
    log.failedCount = scan.FailedCount();
    log.familyFailedCount = scan.FamilyFailedCount();
    for (const Section& section : scan.LastFailed())
        log.lastFailed.push_back({section.heading, section.firstError, section.family});
    log.problem = LogProblem(copy, lines, byteLimit);
    return log;
}


// ---- dumps and error files -----------------------------------------------------

bool IsCrashFile(const std::string& name) {
    return EndsWithNoCase(name, ".dmp") || EndsWithNoCase(name, "_Error.txt");
}

}  // namespace

CollectedFacts ReadCollected(const CAction& action, const ReadBounds& bounds) {
    CollectedFacts facts;
    facts.recorded = FilesRecorded(action);
    if (!facts.recorded) return facts;
    const std::vector<CollectedCopy> logs = CollectedCopies(action, IsInstallationLog);
    facts.installationLogs = logs.size();
    std::uint64_t left = bounds.allLogsBytes;
    for (const CollectedCopy& copy : logs) {
        if (left == 0) {
            InstallerLogFacts unread;
            unread.problem = copy.shown + " not read: the installation logs' total bound was reached";
            facts.installerLogs.push_back(unread);
            continue;
        }
        std::uint64_t read = 0;
        facts.installerLogs.push_back(ReadInstallerLog(copy, std::min(bounds.logBytes, left), &read));
        left -= std::min(read, left);
    }
    const gx::SYSTEMTIME& started = action.m_Record.started;
    facts.started = started.wYear != 0;
    if (facts.started) {
        const long today = gx::DaysFromCivil(started.wYear, started.wMonth, started.wDay);
        for (const CollectedCopy& copy : CollectedCopies(action, IsDeviceSetupLog))
            facts.setupLogs.push_back(ReadSetupLog(copy, bounds.logBytes, today));
        // Since Vista the log is INF\setupapi.dev.log, collected (its newest
        // part) beside the table's rows into the same mirrored place.
        const CollectedCopy dev = SetupDevLogCopy(action);
        if (!dev.path.empty() && action.m_Record.setupDevLog.outcome == ItemOutcome::Written)
            facts.setupLogs.push_back(ReadSetupLog(dev, bounds.logBytes, today));
    }
    for (const CollectedCopy& copy : CollectedCopies(action, IsCrashFile)) {
        CrashFileFacts file;
        file.shown = copy.shown;
        file.bytes = copy.bytes;
        file.dump = EndsWithNoCase(copy.name, ".dmp");
        // The copy keeps the original's last write time.
        gx::WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (gx::os().GetFileAttributesExA(copy.path.c_str(), gx::GetFileExInfoStandard, &data)) {
            file.written = LocalTimeText(data.ftLastWriteTime);
            file.time = SecondsOf(data.ftLastWriteTime);
        }
        facts.crashFiles.push_back(std::move(file));
    }
    return facts;
}

}  // namespace findings
