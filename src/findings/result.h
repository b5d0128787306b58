// One rule's verdict on a collection run, as the overview and findings.json
// show it. Rules match numbers, ids and fixed markers, never translated
// message text: the logs and events may come from a German Windows.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace findings {

enum class Status { Pass, Fail, Skip };
enum class Severity { Error, Warning, Info };

// Where a reader finds what a rule saw: a file in CollectInfo with its line
// number, a registry key and value, or an event record with its time and id.
struct Evidence {
    std::string source;  // e.g. "File_Save\C\WINDOWS\x.log", "HKLM\...\Session Manager\PendingFileRenameOperations"
    long line = 0;       // 1-based line in `source`; 0 when the source is not a file's line
    std::string text;    // the line's or value's text (Windows-1252, no CR LF)
};

struct Result {
    const char* id = "";  // set from the rule table
    Status status = Status::Skip;
    Severity severity = Severity::Info;  // fail only
    std::string title;                   // fail only: one line
    std::vector<Evidence> evidence;      // fail only
    std::string remedy;                  // fail only
    std::string reason;                  // skip only: why the rule could not judge
};

inline Result Pass() {
    Result r;
    r.status = Status::Pass;
    return r;
}

inline Result Skip(std::string reason) {
    Result r;
    r.status = Status::Skip;
    r.reason = std::move(reason);
    return r;
}

inline Result Fail(Severity severity, std::string title, std::vector<Evidence> evidence, std::string remedy) {
    Result r;
    r.status = Status::Fail;
    r.severity = severity;
    r.title = std::move(title);
    r.evidence = std::move(evidence);
    r.remedy = std::move(remedy);
    return r;
}

}  // namespace findings
