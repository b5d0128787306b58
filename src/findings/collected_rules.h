// The rules that judge what a run collected (the copied logs and dumps, the
// run record) and the installation the product paths and the Uninstall and
// installer registrations describe. Each gathers its data through the
// boundary and hands it to a judgement that does no I/O.
#pragma once

#include <cstddef>
#include <cstdint>

#include "findings/result.h"

class CAction;

namespace findings {

struct Facts;

// How much a rule reads: a log beyond `logBytes` or a tree beyond
// `walkEntries` is judged on its start, so a rule's time stays bounded on
// any installation. Tests pass smaller bounds.
struct ReadBounds {
    std::uint64_t logBytes = 64ull << 20;
    std::uint64_t allLogsBytes = 256ull << 20;  // all installation logs together
    std::size_t walkEntries = 20000;
};

Result InstallerLogFailure(const CAction& action);
Result InstallerLogFailure(const CAction& action, const ReadBounds& bounds);
Result DuplicateProducts(const CAction& action);
Result InstallerCache(const CAction& action);
Result ProductPaths(const CAction& action);
Result ProductFileAttributes(const CAction& action);
Result ProductFileAttributes(const CAction& action, const ReadBounds& bounds);
Result CrashEvidence(const CAction& action, const Facts& facts);
Result DeviceSetupFailures(const CAction& action);
Result DeviceSetupFailures(const CAction& action, const ReadBounds& bounds);

}  // namespace findings
