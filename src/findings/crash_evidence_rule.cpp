// crash-evidence: exception dumps and error files of the table that the run
// collected, and the crash and hang reports of the Application event log
// that name the product family, of the last 30 days, with their times and
// ages.
#include <algorithm>

#include "findings/rules.h"
#include "findings/text.h"

namespace findings {

namespace {

// An older crash has been reported, or lived with, already.
constexpr gx::DWORD kRecentDays = 30;

bool NamesProduct(const std::string& text, const Facts& facts) {
    if (NamesFamily(text)) return true;
    for (const std::string& folder : facts.productFolders) {
        std::string path = Lower(folder);
        while (!path.empty() && path.back() == '\\') path.pop_back();
        if (path.size() > 3 && Lower(text).find(path + "\\") != std::string::npos) return true;
    }
    return false;
}

// Windows XP's crash records and the error reports name the program alone,
// without its folder: such a record is the family's when the name is one of
// the product folders' programs. One that names its program's path is judged
// by the path only, so a namesake elsewhere is not taken for the product.
bool NamesProductProgram(const EventRecord& record, const Facts& facts) {
    for (const std::string& s : record.strings)
        if (EndsWithNoCase(s, ".exe") && (s.find(":\\") != std::string::npos || s.compare(0, 2, "\\\\") == 0))
            return false;
    const std::vector<std::string>& programs = facts.productFiles.programs;
    for (const std::string& s : record.strings)
        if (std::find(programs.begin(), programs.end(), Lower(s)) != programs.end()) return true;
    return false;
}

// An empty error file is made at every start and tells nothing; a file of
// unknown time counts as recent.
}  // namespace

Result CrashEvidence(const Facts& facts) {
    if (!facts.collected.recorded) return Skip("the files were not collected");
    const gx::DWORD since = facts.now > kRecentDays * 86400 ? facts.now - kRecentDays * 86400 : 0;
    std::vector<Evidence> evidence;
    std::size_t dumps = 0, errorFiles = 0, reports = 0;
    for (const CrashFileFacts& file : facts.collected.crashFiles) {
        if (file.bytes == 0 || (file.time != 0 && file.time < since)) continue;
        (file.dump ? dumps : errorFiles) += 1;
        evidence.push_back({file.shown, 0,
                            std::to_string(file.bytes) + " bytes, last written " +
                                (file.written.empty() ? std::string("(unknown)") : file.written) +
                                (file.time == 0 ? std::string() : " (" + AgeText(file.time, facts.now) + ")")});
    }
    const EventLogFacts& log = facts.application;
    for (const EventRecord& record : log.records) {
        const std::string source = Lower(record.source);
        if (record.time < since || source == "msiinstaller" || source == "service control manager") continue;
        bool product = false;
        std::string text;
        for (const std::string& s : record.strings) {
            product = product || NamesProduct(s, facts);
            if (!s.empty()) text += (text.empty() ? "" : " | ") + s;
        }
        if (!product && !NamesProductProgram(record, facts)) continue;
        if (++reports <= 5)
            evidence.push_back({std::string(log.name) + " event log, " + UtcText(record.time) + " (" +
                                    AgeText(record.time, facts.now) + "), " + record.source + " " + std::to_string(record.id),
                                0, text});
    }
    if (evidence.empty()) return Pass();
    std::string title;
    if (dumps > 0) title = std::to_string(dumps) + (dumps == 1 ? " exception dump" : " exception dumps");
    if (errorFiles > 0)
        title += (title.empty() ? "" : ", ") + std::to_string(errorFiles) + (errorFiles == 1 ? " error file" : " error files");
    if (reports > 0)
        title += (title.empty() ? "" : ", ") + std::to_string(reports) + (reports == 1 ? " crash report" : " crash reports");
    title = "The product crashed or failed in the last " + std::to_string(kRecentDays) + " days: " + title;
    return Fail(Severity::Warning, title, std::move(evidence),
                "Send the dumps and error files with this archive to support; note what was done on the "
                "PC at their last write times.");
}


}  // namespace findings
