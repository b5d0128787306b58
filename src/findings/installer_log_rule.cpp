// installer-log-failure: the last attempt in a copied installation log of
// the installer service in which an action returned 3 (failed), with the
// error line before it and the earlier attempts of the log that failed too.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "environment/action.h"
#include "findings/collected_files.h"
#include "findings/collected_rules.h"

namespace findings {

namespace {

const char kId[] = "installer-log-failure";
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

struct LogVerdict {
    bool installer = false;
    std::vector<Evidence> failure;  // empty: no action returned 3 in what was read
    std::string problem;            // why the log was not read to its end
};

// A log cut at its bound may go on with a later attempt: no verdict then.
LogVerdict ReadInstallerLog(const CollectedCopy& copy, std::uint64_t byteLimit, std::uint64_t* read) {
    LogLines lines(copy.path, byteLimit);
    InstallerLogScan scan;
    std::string line;
    while (lines.Next(line)) {
        scan.Line(lines.Number(), line);
        if (lines.Number() == 1 && !scan.IsInstallerLog()) break;
    }
    *read = lines.BytesRead();
    LogVerdict verdict;
    verdict.installer = scan.IsInstallerLog();
    if (lines.Number() <= 1 || verdict.installer) verdict.problem = LogProblem(copy, lines, byteLimit);
    if (verdict.problem.empty() && scan.LastFailed()) verdict.failure = scan.Found(copy.shown);
    return verdict;
}

Result Judge(const std::vector<LogVerdict>& logs, std::size_t collected) {
    if (collected == 0) return Skip(kId, "no installation log was collected");
    std::vector<Evidence> evidence;
    std::string problems;
    std::size_t installerLogs = 0, failed = 0;
    for (const LogVerdict& log : logs) {
        installerLogs += log.installer ? 1 : 0;
        if (!log.failure.empty()) {
            ++failed;
            evidence.insert(evidence.end(), log.failure.begin(), log.failure.end());
        } else if (!log.problem.empty()) {
            problems += (problems.empty() ? "" : "; ") + log.problem;
        }
    }
    if (failed > 0) {
        std::string title = failed == 1 ? "An installation failed: an action returned 3 in " + evidence.front().source
                                        : "Installations failed: an action returned 3 in " + std::to_string(failed) +
                                              " installer logs";
        return Fail(kId, Severity::Error, std::move(title), std::move(evidence),
                    "Read the log above the error line to find why the action failed, remove the cause "
                    "(the error number is listed in the installer's documentation), then repeat the "
                    "installation with a verbose log.");
    }
    if (!problems.empty()) return Skip(kId, problems);
    if (installerLogs == 0)
        return Skip(kId, "none of the " + std::to_string(collected) + " installation logs collected was written by the installer service");
    return Pass(kId);
}

}  // namespace

Result InstallerLogFailure(const CAction& action) { return InstallerLogFailure(action, ReadBounds()); }

Result InstallerLogFailure(const CAction& action, const ReadBounds& bounds) {
    if (!FilesRecorded(action)) return Skip(kId, "the files were not collected");
    std::vector<CollectedCopy> copies = CollectedCopies(action, IsInstallationLog);
    std::vector<LogVerdict> logs;
    std::uint64_t left = bounds.allLogsBytes;
    for (const CollectedCopy& copy : copies) {
        if (left == 0) {
            LogVerdict unread;
            unread.problem = copy.shown + " not read: the installation logs' total bound was reached";
            logs.push_back(unread);
            continue;
        }
        std::uint64_t read = 0;
        logs.push_back(ReadInstallerLog(copy, std::min(bounds.logBytes, left), &read));
        left -= std::min(read, left);
    }
    return Judge(logs, copies.size());
}

}  // namespace findings
