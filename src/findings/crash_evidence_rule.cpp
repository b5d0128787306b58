// crash-evidence: exception dumps and error files of the table that the run
// collected, with their sizes and last write times.
#include "environment/action.h"
#include "findings/collected_files.h"
#include "findings/collected_rules.h"
#include "platform/constants.h"
#include "platform/platform.h"

namespace findings {

namespace {

const char kId[] = "crash-evidence";

bool IsCrashFile(const std::string& name) {
    return EndsWithNoCase(name, ".dmp") || EndsWithNoCase(name, "_Error.txt");
}

struct CrashFile {
    std::string shown;
    std::uint64_t bytes = 0;
    std::string written;  // last write time, local; empty when unknown
    bool dump = false;
};

// An empty error file is made at every start and tells nothing.
Result Judge(const std::vector<CrashFile>& files) {
    std::vector<Evidence> evidence;
    std::size_t dumps = 0;
    for (const CrashFile& file : files) {
        if (file.bytes == 0) continue;
        dumps += file.dump ? 1 : 0;
        evidence.push_back({file.shown, 0,
                            std::to_string(file.bytes) + " bytes, last written " +
                                (file.written.empty() ? std::string("(unknown)") : file.written)});
    }
    if (evidence.empty()) return Pass(kId);
    std::string title = dumps > 0 ? "The product crashed: " + std::to_string(dumps) +
                                        (dumps == 1 ? " exception dump" : " exception dumps")
                                  : std::string("The product wrote error files");
    if (dumps > 0 && evidence.size() > dumps)
        title += " and " + std::to_string(evidence.size() - dumps) + (evidence.size() - dumps == 1 ? " error file" : " error files");
    title += " collected";
    return Fail(kId, Severity::Warning, title, std::move(evidence),
                "Send the dumps and error files with this archive to support; note what was done on the "
                "PC at their last write times.");
}

}  // namespace

Result CrashEvidence(const CAction& action) {
    if (!FilesRecorded(action)) return Skip(kId, "the files were not collected");
    std::vector<CrashFile> files;
    for (const CollectedCopy& copy : CollectedCopies(action, IsCrashFile)) {
        CrashFile file;
        file.shown = copy.shown;
        file.bytes = copy.bytes;
        file.dump = EndsWithNoCase(copy.name, ".dmp");
        // The copy keeps the original's last write time.
        gx::WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (gx::os().GetFileAttributesExA(copy.path.c_str(), gx::GetFileExInfoStandard, &data))
            file.written = LocalTimeText(data.ftLastWriteTime);
        files.push_back(std::move(file));
    }
    return Judge(files);
}

}  // namespace findings
