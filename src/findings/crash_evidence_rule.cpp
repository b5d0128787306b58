// crash-evidence: exception dumps and error files of the table that the run
// collected, and the crash and hang reports of the Application event log
// that name the product family, of the last 30 days, with their times and
// ages.
#include "environment/action.h"
#include "findings/collected_files.h"
#include "findings/collected_rules.h"
#include "findings/facts.h"
#include "findings/text.h"
#include "platform/constants.h"
#include "platform/platform.h"

namespace findings {

namespace {

const char kId[] = "crash-evidence";
// An older crash has been reported, or lived with, already.
constexpr gx::DWORD kRecentDays = 30;

bool IsCrashFile(const std::string& name) {
    return EndsWithNoCase(name, ".dmp") || EndsWithNoCase(name, "_Error.txt");
}

struct CrashFile {
    std::string shown;
    std::uint64_t bytes = 0;
    std::string written;  // last write time, local; empty when unknown
    gx::DWORD time = 0;   // the same, seconds since 1970 UTC; 0 when unknown
    bool dump = false;
};

bool NamesProduct(const std::string& text, const CAction& action) {
    if (NamesFamily(text)) return true;
    for (const std::string* folder : {&action.m_szNetPCPath, &action.m_szSharedPath}) {
        std::string path = Lower(*folder);
        while (!path.empty() && path.back() == '\\') path.pop_back();
        if (path.size() > 3 && Lower(text).find(path + "\\") != std::string::npos) return true;
    }
    return false;
}

// An empty error file is made at every start and tells nothing; a file of
// unknown time counts as recent.
Result Judge(const std::vector<CrashFile>& files, const CAction& action, const Facts& facts) {
    const gx::DWORD since = facts.now > kRecentDays * 86400 ? facts.now - kRecentDays * 86400 : 0;
    std::vector<Evidence> evidence;
    std::size_t dumps = 0, errorFiles = 0, reports = 0;
    for (const CrashFile& file : files) {
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
            product = product || NamesProduct(s, action);
            if (!s.empty()) text += (text.empty() ? "" : " | ") + s;
        }
        if (!product) continue;
        if (++reports <= 5)
            evidence.push_back({std::string(log.name) + " event log, " + UtcText(record.time) + " (" +
                                    AgeText(record.time, facts.now) + "), " + record.source + " " + std::to_string(record.id),
                                0, text});
    }
    if (evidence.empty()) return Pass(kId);
    std::string title;
    if (dumps > 0) title = std::to_string(dumps) + (dumps == 1 ? " exception dump" : " exception dumps");
    if (errorFiles > 0)
        title += (title.empty() ? "" : ", ") + std::to_string(errorFiles) + (errorFiles == 1 ? " error file" : " error files");
    if (reports > 0)
        title += (title.empty() ? "" : ", ") + std::to_string(reports) + (reports == 1 ? " crash report" : " crash reports");
    title = "The product crashed or failed in the last " + std::to_string(kRecentDays) + " days: " + title;
    return Fail(kId, Severity::Warning, title, std::move(evidence),
                "Send the dumps and error files with this archive to support; note what was done on the "
                "PC at their last write times.");
}

}  // namespace

Result CrashEvidence(const CAction& action, const Facts& facts) {
    if (!FilesRecorded(action)) return Skip(kId, "the files were not collected");
    std::vector<CrashFile> files;
    for (const CollectedCopy& copy : CollectedCopies(action, IsCrashFile)) {
        CrashFile file;
        file.shown = copy.shown;
        file.bytes = copy.bytes;
        file.dump = EndsWithNoCase(copy.name, ".dmp");
        // The copy keeps the original's last write time.
        gx::WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (gx::os().GetFileAttributesExA(copy.path.c_str(), gx::GetFileExInfoStandard, &data)) {
            file.written = LocalTimeText(data.ftLastWriteTime);
            file.time = SecondsOf(data.ftLastWriteTime);
        }
        files.push_back(std::move(file));
    }
    return Judge(files, action, facts);
}

}  // namespace findings
