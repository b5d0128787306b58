// The rules over what the live system told at the end of the run (facts.h)
// and over the run's own record. Pure: no call reaches the platform.
#pragma once

#include "findings/facts.h"
#include "findings/result.h"

class CAction;

namespace findings {

Result PendingRestart(const Facts& facts);
Result InstallerBusy(const Facts& facts);
Result InstallerEvents(const Facts& facts);
Result ServiceFailures(const Facts& facts);
Result FamilyServices(const Facts& facts);
Result InstallerService(const Facts& facts);
Result LowDisk(const Facts& facts);
Result CollectionIncomplete(const CAction& action, const Facts& facts);
Result LockedFiles(const Facts& facts);

}  // namespace findings
