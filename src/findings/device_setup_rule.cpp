// device-setup-failures: sections of the device-setup logs of the last 90
// days that ended in failure, the family's drivers first. Failures of other
// makers' devices alone are common on healthy PCs: told, not warned of.
#include "findings/rules.h"

namespace findings {

namespace {

// The overview lists this many failed sections.
constexpr std::size_t kListedSections = 10;

}  // namespace

Result DeviceSetupFailures(const Facts& facts) {
    if (!facts.collected.recorded) return Skip("the files were not collected");
    if (!facts.collected.started) return Skip("the run's start time is unknown");
    const std::vector<SetupLogFacts>& logs = facts.collected.setupLogs;
    if (logs.empty()) return Skip("no device-setup log was collected");
    std::vector<Evidence> evidence;
    std::size_t failed = 0, familyFailed = 0;
    std::string problems;
    bool recognised = false;
    for (const SetupLogFacts& log : logs) {
        recognised = recognised || log.recognised;
        if (!log.recognised)
            problems += (problems.empty() ? "" : "; ") + log.shown + (log.problem.empty() ? " has no section this rule knows" : ": " + log.problem);
        else if (!log.problem.empty())
            problems += (problems.empty() ? "" : "; ") + log.problem;
        failed += log.failedCount;
        familyFailed += log.familyFailedCount;
    }
    // The family's drivers first, of every log.
    for (bool family : {true, false})
        for (const SetupLogFacts& log : logs)
            for (const SetupSection& section : log.lastFailed) {
                if (section.family != family || evidence.size() >= 2 * kListedSections) continue;
                Evidence heading = section.heading, error = section.firstError;
                heading.source = error.source = log.shown;
                evidence.push_back(heading);
                evidence.push_back(error);
            }
    const std::string count =
        std::to_string(failed) + (failed == 1 ? " device or driver installation" : " device or driver installations");
    if (familyFailed > 0)
        return Fail(Severity::Warning,
                    count + " of the last 90 days failed, " + std::to_string(familyFailed) + " of the product family",
                    std::move(evidence),
                    "Check the devices and drivers named here in the Device Manager; reinstall the driver "
                    "package of the device (for the product family's interfaces, its driver setup) and "
                    "restart Windows.");
    if (failed > 0)
        return Fail(Severity::Info, count + " of the last 90 days failed, none of the product family",
                    std::move(evidence),
                    "These concern other devices; they matter only if one of them is the interface the "
                    "product works with. Check it in the Device Manager.");
    if (!problems.empty()) return Skip(problems);
    if (!recognised) return Skip("no device-setup log has a section this rule knows");
    return Pass();
}


}  // namespace findings
