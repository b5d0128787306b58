// The rules, each a pure function of the facts read once at the end of the
// run; none reaches the platform. The list below is the rule table: each
// rule's id, written nowhere else, and its function, in the order support
// reads the results. A new rule is its function and its line here (and a
// raised kRuleset).
#pragma once

#include "findings/facts.h"
#include "findings/result.h"

#define GX_FINDINGS_RULES(RULE)                               \
    RULE("pending-restart", PendingRestart)                   \
    RULE("installer-busy", InstallerBusy)                     \
    RULE("installer-log-failure", InstallerLogFailure)        \
    RULE("installer-events", InstallerEvents)                 \
    RULE("service-failures", ServiceFailures)                 \
    RULE("family-services", FamilyServices)                   \
    RULE("installer-service", InstallerService)               \
    RULE("duplicate-products", DuplicateProducts)             \
    RULE("installer-cache", InstallerCache)                   \
    RULE("product-paths", ProductPaths)                       \
    RULE("product-file-attributes", ProductFileAttributes)    \
    RULE("crash-evidence", CrashEvidence)                     \
    RULE("low-disk", LowDisk)                                 \
    RULE("collection-incomplete", CollectionIncomplete)       \
    RULE("device-setup-failures", DeviceSetupFailures)        \
    RULE("locked-files", LockedFiles)

namespace findings {

#define GX_DECLARE_RULE(id, function) Result function(const Facts& facts);
GX_FINDINGS_RULES(GX_DECLARE_RULE)
#undef GX_DECLARE_RULE

}  // namespace findings
