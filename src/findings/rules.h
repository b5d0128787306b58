// The rules: each a pure function of the facts, read once at the end of the
// run; none reaches the platform. Their ids, order and ruleset are in the
// rule table (engine.h), nowhere else.
#pragma once

#include "findings/facts.h"
#include "findings/result.h"

namespace findings {

Result PendingRestart(const Facts& facts);
Result InstallerBusy(const Facts& facts);
Result InstallerLogFailure(const Facts& facts);
Result InstallerEvents(const Facts& facts);
Result ServiceFailures(const Facts& facts);
Result FamilyServices(const Facts& facts);
Result InstallerService(const Facts& facts);
Result DuplicateProducts(const Facts& facts);
Result InstallerCache(const Facts& facts);
Result ProductPaths(const Facts& facts);
Result ProductFileAttributes(const Facts& facts);
Result CrashEvidence(const Facts& facts);
Result LowDisk(const Facts& facts);
Result CollectionIncomplete(const Facts& facts);
Result DeviceSetupFailures(const Facts& facts);
Result LockedFiles(const Facts& facts);

}  // namespace findings
