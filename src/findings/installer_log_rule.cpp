// installer-log-failure: a copied installation log of the installer service
// in which an action returned 3 (failed), with the error line before it.
#include <cctype>
#include <cstring>

#include "environment/action.h"
#include "findings/collected_files.h"
#include "findings/collected_rules.h"

namespace findings {

namespace {

const char kId[] = "installer-log-failure";

// The table's installation, removal and setup logs; the first line tells
// which of them the installer service wrote.
bool IsInstallationLog(const std::string& name) {
    std::string lower;
    for (char c : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (!EndsWithNoCase(lower, ".log") || lower.find("setupapi") != std::string::npos) return false;
    return lower.find("inst") != std::string::npos || lower.find("setup") != std::string::npos;
}

// `marker` followed by a number of at least `digits` digits; *number gets it.
bool MarkerWithNumber(const std::string& line, const char* marker, std::size_t digits, long* number) {
    const std::size_t length = std::strlen(marker);
    for (std::size_t at = line.find(marker); at != std::string::npos; at = line.find(marker, at + 1)) {
        std::size_t end = at + length;
        long value = 0;
        while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])) && end - at - length < 9)
            value = value * 10 + (line[end++] - '0');
        if (end - at - length >= digits && (end == line.size() || !std::isdigit(static_cast<unsigned char>(line[end])))) {
            *number = value;
            return true;
        }
    }
    return false;
}

// The installer's log header is framed the same in every language:
// "=== Verbose logging started: ... ===".
bool IsInstallerHeader(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line.size() >= 7 && line.compare(0, 4, "=== ") == 0 && line.compare(line.size() - 3, 3, "===") == 0;
}

// Reads one log's lines in order; pure, so a test can feed it any text.
class InstallerLogScan {
public:
    void Line(long number, const std::string& text) {
        if (number == 1) {
            installer_ = IsInstallerHeader(text);
            done_ = !installer_;
            return;
        }
        long code = 0;
        // The installer writes its markers in the language of Windows; the
        // two this tool speaks are known.
        if (MarkerWithNumber(text, "Return value ", 1, &code) || MarkerWithNumber(text, "Rückgabewert ", 1, &code)) {
            if (code == 3) {
                failedAction_ = {std::string(), number, EvidenceText(text)};
                done_ = true;
            }
            return;
        }
        // "DEBUG: Error 2826" and notes 2205 and 2228 (a table the package
        // lacks) appear in nearly every log and explain nothing.
        if ((MarkerWithNumber(text, "Error ", 4, &code) || MarkerWithNumber(text, "Fehler ", 4, &code)) &&
            text.find("DEBUG: ") == std::string::npos) {
            error_ = {std::string(), number, EvidenceText(text)};
            hasError_ = true;
        } else if (MarkerWithNumber(text, "Note: 1: ", 4, &code) && code != 2205 && code != 2228) {
            error_ = {std::string(), number, EvidenceText(text)};
            hasError_ = true;
        }
    }
    bool Done() const { return done_; }
    bool IsInstallerLog() const { return installer_; }
    bool Failed() const { return failedAction_.line != 0; }
    // The failed action's line, then the error line before it if any.
    std::vector<Evidence> Found(const std::string& source) const {
        std::vector<Evidence> items;
        items.push_back(failedAction_);
        if (hasError_) items.push_back(error_);
        for (Evidence& item : items) item.source = source;
        return items;
    }

private:
    bool installer_ = false;
    bool done_ = false;
    bool hasError_ = false;
    Evidence failedAction_;
    Evidence error_;
};

struct LogVerdict {
    bool installer = false;
    std::vector<Evidence> failure;  // empty: no action returned 3 in what was read
    std::string problem;            // why the log was not read to its end
};

LogVerdict ReadInstallerLog(const CollectedCopy& copy, std::uint64_t byteLimit) {
    LogLines lines(copy.path, byteLimit);
    InstallerLogScan scan;
    std::string line;
    while (!scan.Done() && lines.Next(line)) scan.Line(lines.Number(), line);
    LogVerdict verdict;
    verdict.installer = scan.IsInstallerLog();
    if (scan.Failed())
        verdict.failure = scan.Found(copy.shown);
    else if (lines.Number() <= 1 || verdict.installer)
        verdict.problem = LogProblem(copy, lines, byteLimit);
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
    for (const CollectedCopy& copy : copies) logs.push_back(ReadInstallerLog(copy, bounds.logBytes));
    return Judge(logs, copies.size());
}

}  // namespace findings
