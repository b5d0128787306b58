// installer-log-failure: the last attempt in a copied installation log of
// the installer service in which an action returned 3 (failed), with the
// error line before it and the earlier attempts of the log that failed too.
#include "findings/rules.h"

namespace findings {

Result InstallerLogFailure(const Facts& facts) {
    const CollectedFacts& collected = facts.collected;
    if (!collected.recorded) return Skip("the files were not collected");
    const std::vector<InstallerLogFacts>& logs = collected.installerLogs;
    if (collected.installationLogs == 0) return Skip("no installation log was collected");
    std::vector<Evidence> evidence;
    std::string problems;
    std::size_t installerLogs = 0, failed = 0;
    for (const InstallerLogFacts& log : logs) {
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
        return Fail(Severity::Error, std::move(title), std::move(evidence),
                    "Read the log above the error line to find why the action failed, remove the cause "
                    "(the error number is listed in the installer's documentation), then repeat the "
                    "installation with a verbose log.");
    }
    if (!problems.empty()) return Skip(problems);
    if (installerLogs == 0)
        return Skip("none of the " + std::to_string(collected.installationLogs) +
                    " installation logs collected was written by the installer service");
    return Pass();
}


}  // namespace findings
