// The one list of rules, in the order support reads them.
#include "findings/collected_rules.h"
#include "findings/engine.h"
#include "findings/system_rules.h"

namespace findings {

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {"pending-restart", [](const Context& c) { return PendingRestart(c.facts); }},
        {"installer-busy", [](const Context& c) { return InstallerBusy(c.facts); }},
        {"installer-log-failure", [](const Context& c) { return InstallerLogFailure(c.action); }},
        {"installer-events", [](const Context& c) { return InstallerEvents(c.facts); }},
        {"service-failures", [](const Context& c) { return ServiceFailures(c.facts); }},
        {"family-services", [](const Context& c) { return FamilyServices(c.facts); }},
        {"installer-service", [](const Context& c) { return InstallerService(c.facts); }},
        {"duplicate-products", [](const Context& c) { return DuplicateProducts(c.action); }},
        {"installer-cache", [](const Context& c) { return InstallerCache(c.action); }},
        {"product-paths", [](const Context& c) { return ProductPaths(c.action); }},
        {"product-file-attributes", [](const Context& c) { return ProductFileAttributes(c.action); }},
        {"crash-evidence", [](const Context& c) { return CrashEvidence(c.action, c.facts); }},
        {"low-disk", [](const Context& c) { return LowDisk(c.facts); }},
        {"collection-incomplete", [](const Context& c) { return CollectionIncomplete(c.action, c.facts); }},
        {"device-setup-failures", [](const Context& c) { return DeviceSetupFailures(c.action); }},
        {"locked-files", [](const Context& c) { return LockedFiles(c.facts); }},
    };
    return rules;
}

}  // namespace findings
