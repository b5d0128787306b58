// ReadFacts: every reader once, in the order the run's end allows.
#include "findings/facts.h"

#include "environment/action.h"
#include "findings/readers.h"

namespace findings {

std::string Error(const char* what, long code) { return std::string(what) + " (error " + std::to_string(code) + ")"; }

Facts ReadFacts(const CAction& action, const ReadBounds& bounds) {
    Facts facts;
    facts.now = SecondsNow();
    facts.run = action.m_Record;
    for (const std::string* folder : {&action.m_szNetPCPath, &action.m_szSharedPath})
        if (!folder->empty()) facts.productFolders.push_back(*folder);
    facts.pendingRestart = ReadPendingRestart();
    ReadInstallerBusy(facts);
    facts.application = ReadEventLog("Application", facts.now);
    facts.system = ReadEventLog("System", facts.now);
    facts.services = ReadServices(action);
    AddDrive(facts.drives, action.m_szSystemDrive, "system drive");
    AddDrive(facts.drives, action.m_szNetPCPath, "product installation path");
    AddDrive(facts.drives, action.m_szSharedPath, "product shared path");
    ReadElevation(facts);
    ReadFailedCopies(action, facts);
    facts.collected = ReadCollected(action, bounds);
    facts.installed = ReadInstalledSoftware();
    CheckInstallLocations(facts.installed);
    facts.installerCache = ReadInstallerCache();
    facts.productPaths = ReadProductPaths(action);
    facts.productFiles = ReadProductFiles(action, bounds.walkEntries);
    return facts;
}

}  // namespace findings
