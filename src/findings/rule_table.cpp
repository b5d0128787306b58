// The one list of rules, in the order support reads them.
#include "findings/engine.h"
#include "findings/system_rules.h"

namespace findings {

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {"pending-restart", [](const Context& c) { return PendingRestart(c.facts); }},
        {"installer-busy", [](const Context& c) { return InstallerBusy(c.facts); }},
        {"installer-events", [](const Context& c) { return InstallerEvents(c.facts); }},
        {"service-failures", [](const Context& c) { return ServiceFailures(c.facts); }},
        {"family-services", [](const Context& c) { return FamilyServices(c.facts); }},
        {"installer-service", [](const Context& c) { return InstallerService(c.facts); }},
        {"low-disk", [](const Context& c) { return LowDisk(c.facts); }},
        {"collection-incomplete", [](const Context& c) { return CollectionIncomplete(c.action, c.facts); }},
        {"locked-files", [](const Context& c) { return LockedFiles(c.facts); }},
    };
    return rules;
}

}  // namespace findings
