#include "findings/system_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "environment/action.h"
#include "files/event_logs.h"
#include "files/file_table.h"
#include "registry/hive_table.h"

namespace findings {

namespace {

constexpr std::size_t kEvidenceShown = 10;
const char kServicesKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool SameText(const std::string& a, const std::string& b) { return !a.empty() && Lower(a) == Lower(b); }

std::string Joined(const std::vector<std::string>& strings) {
    std::string text;
    for (const std::string& s : strings) {
        if (s.empty()) continue;
        text += (text.empty() ? "" : " | ") + s;
    }
    return text;
}

std::string EventSource(const EventLogFacts& log, const EventRecord& record) {
    return std::string(log.name) + " event log, " + UtcText(record.time) + ", event " + std::to_string(record.id);
}

// A whole number; false for anything else.
bool Number(const std::string& text, long* value) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    *value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

std::string Gigabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f GB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
    return text;
}

bool NamesFamilyService(const std::string& text, const ServicesFacts& services) {
    if (NamesFamily(text)) return true;
    for (const ServiceFacts& service : services.family)
        if (SameText(text, service.name) || SameText(text, service.displayName)) return true;
    return false;
}

void More(std::vector<Evidence>& evidence, std::size_t total, const std::string& source) {
    if (total > evidence.size()) evidence.push_back({source, 0, "and " + std::to_string(total - evidence.size()) + " more"});
}

}  // namespace

Result PendingRestart(const Facts& facts) {
    const char* id = "pending-restart";
    const PendingRestartFacts& pending = facts.pendingRestart;
    if (!pending.read) return Skip(id, pending.reason);
    std::vector<Evidence> evidence;
    const std::string renames =
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\PendingFileRenameOperations";
    for (std::size_t i = 0; i < pending.renames.size() && i < 5; ++i) evidence.push_back({renames, 0, pending.renames[i]});
    More(evidence, pending.renames.size(), renames);
    if (pending.rebootPending)
        evidence.push_back({"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\RebootPending",
                            0, "key exists"});
    if (pending.rebootRequired)
        evidence.push_back(
            {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired", 0,
             "key exists"});
    if (evidence.empty()) {
        if (pending.renamesUnreadable) return Skip(id, "PendingFileRenameOperations is present but cannot be read");
        return Pass(id);
    }
    return Fail(id, Severity::Warning, "A restart is pending: an earlier installation or update is not finished",
                std::move(evidence), "Restart the PC, then repeat the installation or the action that failed.");
}

Result InstallerBusy(const Facts& facts) {
    const char* id = "installer-busy";
    if (facts.installerBusy == Tri::Unknown) return Skip(id, facts.installerBusyReason);
    if (facts.installerBusy == Tri::No) return Pass(id);
    return Fail(id, Severity::Warning, "Another installation is running",
                {{"mutex Global\\_MSIExecute", 0, "exists: the Windows Installer is busy with an installation"}},
                "Wait until the other installation has finished (or restart the PC), then install again.");
}

Result InstallerEvents(const Facts& facts) {
    const char* id = "installer-events";
    const EventLogFacts& log = facts.application;
    if (!log.read) return Skip(id, log.reason);
    std::vector<Evidence> evidence;
    std::size_t failures = 0, unreadable = 0;
    for (const EventRecord& record : log.records) {
        if (!SameText(record.source, "MsiInstaller")) continue;
        if (record.id != 11708 && record.id != 1033 && record.id != 1034) continue;
        bool family = false;
        for (const std::string& text : record.strings) family = family || NamesFamily(text);
        if (!family) continue;
        if (record.id != 11708) {
            long status = 0;
            if (record.strings.size() < 4 || !Number(record.strings[3], &status)) {
                ++unreadable;
                continue;
            }
            // 3010 and 1641: done, a restart completes it.
            if (status == 0 || status == 3010 || status == 1641) continue;
        }
        if (++failures <= kEvidenceShown) evidence.push_back({EventSource(log, record), 0, Joined(record.strings)});
    }
    if (failures == 0) {
        if (unreadable > 0)
            return Skip(id, std::to_string(unreadable) + " installer record(s) of the product family without a readable status");
        return Pass(id);
    }
    More(evidence, failures, std::string(log.name) + " event log");
    return Fail(id, Severity::Error,
                "The Windows Installer reported " + std::to_string(failures) +
                    " failed installation(s) or removal(s) of the product family in the last 90 days",
                std::move(evidence),
                "Read the installer log of that time in File_Save for the failing action; remove its cause, "
                "then repair or reinstall the product.");
}

Result ServiceFailures(const Facts& facts) {
    const char* id = "service-failures";
    const EventLogFacts& log = facts.system;
    if (!log.read) return Skip(id, log.reason);
    const EventRecord* last = nullptr;
    std::size_t count = 0;
    for (const EventRecord& record : log.records) {
        if (!SameText(record.source, "Service Control Manager")) continue;
        switch (record.id) {
        case 7000: case 7009: case 7011: case 7023: case 7024: case 7031: case 7034: break;
        default: continue;
        }
        bool family = false;
        for (const std::string& text : record.strings) family = family || NamesFamilyService(text, facts.services);
        if (!family) continue;
        ++count;
        if (last == nullptr) last = &record;  // newest first
    }
    if (last == nullptr) return Pass(id);
    return Fail(id, Severity::Warning,
                "Product services failed or stopped unexpectedly (" + std::to_string(count) +
                    " service control records in the last 90 days)",
                {{EventSource(log, *last), 0,
                  std::to_string(count) + " record(s), the last: " + Joined(last->strings)}},
                "Look up the named service's error code and its own log in File_Save; check its account and "
                "start it from the services console.");
}

Result FamilyServices(const Facts& facts) {
    const char* id = "family-services";
    const ServicesFacts& services = facts.services;
    if (!services.read) return Skip(id, services.reason);
    std::vector<Evidence> evidence;
    std::size_t bad = 0;
    for (const ServiceFacts& service : services.family) {
        std::vector<Evidence> found;
        if (service.hasStart && service.start == 4)
            found.push_back({kServicesKey + service.name + "\\Start", 0,
                             "4 (disabled)" + (service.displayName.empty() ? "" : ": " + service.displayName)});
        if (!service.imageFound)
            found.push_back({kServicesKey + service.name + "\\ImagePath", 0, service.imagePath + " (file not found)"});
        if (found.empty()) continue;
        ++bad;
        for (Evidence& item : found)
            if (evidence.size() < kEvidenceShown) evidence.push_back(std::move(item));
    }
    if (bad == 0) return Pass(id);
    return Fail(id, Severity::Error,
                std::to_string(bad) + " product service(s) disabled or without their program file",
                std::move(evidence),
                "Set the service's start type back in the services console, or repair the product's installation "
                "to restore the missing file.");
}

Result InstallerService(const Facts& facts) {
    const char* id = "installer-service";
    const ServicesFacts& services = facts.services;
    if (!services.read) return Skip(id, services.reason);
    const std::string key = std::string(kServicesKey) + "msiserver";
    if (!services.installerPresent)
        return Fail(id, Severity::Error, "The Windows Installer service (msiserver) is missing",
                    {{key, 0, "key not found"}},
                    "Repair Windows (sfc /scannow) or register the installer again (msiexec /regserver), then "
                    "install again.");
    if (services.installerHasStart && services.installerStart == 4)
        return Fail(id, Severity::Error, "The Windows Installer service (msiserver) is disabled",
                    {{key + "\\Start", 0, "4 (disabled)"}},
                    "Set the Windows Installer service's start type to Manual in the services console, then "
                    "install again.");
    return Pass(id);
}

Result LowDisk(const Facts& facts) {
    const char* id = "low-disk";
    std::vector<Evidence> evidence;
    std::string unread;
    bool anyRead = false;
    for (const DriveFacts& drive : facts.drives) {
        if (!drive.read) {
            unread += (unread.empty() ? "" : "; ") + drive.root + " (" + drive.why + "): error " + std::to_string(drive.error);
            continue;
        }
        anyRead = true;
        const bool low = drive.freeBytes < (1ull << 30) || drive.freeBytes * 100 < drive.totalBytes * 5;
        if (!low) continue;
        char share[32];
        std::snprintf(share, sizeof(share), "%.1f %%",
                      drive.totalBytes == 0 ? 0.0 : 100.0 * static_cast<double>(drive.freeBytes) / drive.totalBytes);
        evidence.push_back({"drive " + drive.root + " (" + drive.why + ")", 0,
                            Gigabytes(drive.freeBytes) + " free of " + Gigabytes(drive.totalBytes) + " (" + share + ")"});
    }
    if (!evidence.empty())
        return Fail(id, Severity::Error, "Little free disk space on " + std::to_string(evidence.size()) + " drive(s)",
                    std::move(evidence),
                    "Free at least 1 GB and 5 % of the drive (temporary files, old data), then repeat the "
                    "installation.");
    if (!anyRead)
        return Skip(id, unread.empty() ? std::string("no drive is known (system drive and product paths not found)")
                                       : "free space cannot be read: " + unread);
    return Pass(id);
}

Result CollectionIncomplete(const CAction& action, const Facts& facts) {
    const char* id = "collection-incomplete";
    const RunRecord& record = action.m_Record;
    bool hivesRan = false;
    for (const RecordedItem& hive : record.hives) hivesRan = hivesRan || hive.outcome != ItemOutcome::NotRun;
    if (record.rows.empty() && !hivesRan) return Skip(id, "the run recorded no collection step");
    std::vector<Evidence> evidence;
    std::size_t total = 0;
    auto add = [&](Evidence item) {
        if (++total <= kEvidenceShown + 2) evidence.push_back(std::move(item));
    };
    if (facts.elevated == Tri::No)
        add({"process token", 0, "not elevated: started without administrator rights"});
    if (record.rows.empty()) add({"file table", 0, "the copy step did not run"});
    for (int i = 0; i < kFileTableSize && i < static_cast<int>(record.rows.size()); ++i) {
        const RecordedItem& row = record.rows[i];
        const std::string source = "file table row " + std::to_string(i + 1) + " (" + FileTable[i].szFileName + ")";
        if (row.outcome == ItemOutcome::Refused) add({source, 0, "refused: a path this system does not use"});
        if (row.outcome == ItemOutcome::Failed)
            add({source, 0, std::string("failed (") + row.step + " " + std::to_string(row.code) + ")"});
    }
    for (int n = 0; n < kEventLogCount; ++n) {
        const RecordedItem& log = record.eventLogs[n];
        const std::string source = std::string(kEventLogBackups[n].source) + " event log";
        if (log.outcome == ItemOutcome::WithoutFile) add({source, 0, "reported done, no file"});
        if (log.outcome == ItemOutcome::Failed)
            add({source, 0,
                 std::string("failed (") + log.step + " " + std::to_string(log.code) + ")"});
    }
    for (int n = 0; n < kHiveCount; ++n) {
        const RecordedItem& hive = record.hives[n];
        if (hive.outcome == ItemOutcome::Written) continue;
        add({std::string("hive ") + HiveTable[n].szSaveFile, 0,
             hive.outcome == ItemOutcome::Failed
                 ? std::string("not saved: failed (") + hive.step + " " + std::to_string(hive.code) + ")"
                 : std::string("not saved")});
    }
    if (total == 0) return Pass(id);
    if (total > evidence.size()) evidence.push_back({"run record", 0, "and " + std::to_string(total - evidence.size()) + " more"});
    return Fail(id, Severity::Warning, "The collection is incomplete: evidence may be missing", std::move(evidence),
                "Run gathrix again as administrator, close programs that hold the product's logs, and send the "
                "new archive.");
}

Result LockedFiles(const Facts& facts) {
    const char* id = "locked-files";
    std::vector<Evidence> evidence;
    std::size_t locked = 0, unknown = 0;
    std::string why;
    for (const FailedCopy& copy : facts.failedCopies) {
        // The shell reports a file opened elsewhere without sharing as a
        // sharing or lock violation, or as cancelled.
        const bool refused = copy.code == 32 || copy.code == 33 || copy.code == 1223;
        if (copy.holders.empty() && !refused) {
            if (!copy.asked) {
                ++unknown;
                why = copy.askReason;
            }
            continue;
        }
        ++locked;
        std::string text = copy.source;
        if (!copy.holders.empty()) {
            text += ": held by ";
            for (std::size_t i = 0; i < copy.holders.size(); ++i)
                text += (i ? ", " : "") + copy.holders[i].name + " (process " +
                        std::to_string(copy.holders[i].processId) + ")";
        } else {
            text += ": copy failed (error " + std::to_string(copy.code) + "), " +
                    (copy.asked ? "the holder is not named by Windows" : "the holder cannot be told on this Windows");
        }
        if (evidence.size() < kEvidenceShown) evidence.push_back({"file table row " + std::to_string(copy.row), 0, text});
    }
    if (locked > 0)
        return Fail(id, Severity::Warning,
                    std::to_string(locked) + " file(s) could not be copied because another program holds them",
                    std::move(evidence),
                    "Close the named programs (or stop the product's services), then run gathrix again.");
    if (unknown > 0)
        return Skip(id, std::to_string(unknown) + " copies failed and who holds them cannot be told: " + why);
    return Pass(id);
}

}  // namespace findings
