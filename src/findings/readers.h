// The readers behind ReadFacts, one group per source. Only they reach the
// operating-system boundary; the rules see what they hand back.
#pragma once

#include <string>
#include <vector>

#include "findings/facts.h"

class CAction;

namespace findings {

// Registry: Windows' own state in the 64-bit view, the installer's
// registrations.
PendingRestartFacts ReadPendingRestart();
ServicesFacts ReadServices(const CAction& action);
InstallerCacheFacts ReadInstallerCache();

// Drives, token and the installer's mutex.
gx::DWORD SecondsNow();
void ReadInstallerBusy(Facts& facts);
void AddDrive(std::vector<DriveFacts>& drives, const std::string& path, const char* why);
void ReadElevation(Facts& facts);

// Restart Manager: who holds the files whose copy failed.
void ReadFailedCopies(const CAction& action, Facts& facts);

// Collected files: the copied installation and device-setup logs, dumps and
// error files.
CollectedFacts ReadCollected(const CAction& action, const ReadBounds& bounds);

// The product's folders: the paths the registry names, the files below
// them, the family's registered installation folders.
std::vector<ProductPathFacts> ReadProductPaths(const CAction& action);
ProductFilesFacts ReadProductFiles(const CAction& action, std::size_t bound);
void CheckInstallLocations(InstalledSoftware& software);

// "... (error 5)"
std::string Error(const char* what, long code);

}  // namespace findings
