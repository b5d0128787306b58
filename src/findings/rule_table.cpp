// The one list of rules, in the order support reads them: a rule's id is
// written here only.
#include "findings/engine.h"
#include "findings/rules.h"

namespace findings {

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {"pending-restart", PendingRestart},
        {"installer-busy", InstallerBusy},
        {"installer-log-failure", InstallerLogFailure},
        {"installer-events", InstallerEvents},
        {"service-failures", ServiceFailures},
        {"family-services", FamilyServices},
        {"installer-service", InstallerService},
        {"duplicate-products", DuplicateProducts},
        {"installer-cache", InstallerCache},
        {"product-paths", ProductPaths},
        {"product-file-attributes", ProductFileAttributes},
        {"crash-evidence", CrashEvidence},
        {"low-disk", LowDisk},
        {"collection-incomplete", CollectionIncomplete},
        {"device-setup-failures", DeviceSetupFailures},
        {"locked-files", LockedFiles},
    };
    return rules;
}

}  // namespace findings
