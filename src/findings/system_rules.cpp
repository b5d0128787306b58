#include "findings/rules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "findings/text.h"
#include "files/event_logs.h"
#include "files/file_table.h"
#include "platform/constants.h"
#include "registry/hive_table.h"

namespace findings {

namespace {

constexpr std::size_t kEvidenceShown = 10;
// A service failure older than this is history, not the problem at hand.
constexpr gx::DWORD kServiceDays = 7;
// Installer results of one product this close together are one attempt
// (its 11708 and its 1033 come within the same second or so).
constexpr gx::DWORD kAttemptSeconds = 120;
// Free space a setup needs: its files, the installer's cache and rollback
// copies on the system drive, and the product's own files elsewhere.
constexpr std::uint64_t kSystemDriveNeeds = 2ull << 30;
constexpr std::uint64_t kProductDriveNeeds = 1ull << 30;

bool SameText(const std::string& a, const std::string& b) { return !a.empty() && Lower(a) == Lower(b); }

std::string Joined(const std::vector<std::string>& strings) {
    std::string text;
    for (const std::string& s : strings) {
        if (s.empty()) continue;
        text += (text.empty() ? "" : " | ") + s;
    }
    return text;
}

std::string EventSource(const EventLogFacts& log, const EventRecord& record, gx::DWORD now) {
    return std::string(log.name) + " event log, " + UtcText(record.time) + " (" + AgeText(record.time, now) +
           "), event " + std::to_string(record.id);
}

// "in the last 90 days", or how far back the log was read when it was not.
std::string Window(const EventLogFacts& log, gx::DWORD days) {
    if (log.limited && log.oldest != 0)
        return "since " + UtcText(log.oldest) + " (the reading stopped at " + std::to_string(kEventRecordLimit) + " records)";
    return "in the last " + std::to_string(days) + " days";
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

// The text, or one of its words (7026 lists the drivers that failed to
// load, one a line), is a family service's name.
bool NamesFamilyService(const std::string& text, const ServicesFacts& services) {
    if (NamesFamily(text)) return true;
    for (const ServiceFacts& service : services.family)
        if (SameText(text, service.name) || SameText(text, service.displayName)) return true;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t begin = text.find_first_not_of(" \t\r\n", at);
        if (begin == std::string::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t\r\n", begin), text.size());
        const std::string word = text.substr(begin, end - begin);
        if (word.size() < text.size())
            for (const ServiceFacts& service : services.family)
                if (SameText(word, service.name)) return true;
        at = end;
    }
    return false;
}

}  // namespace

Result PendingRestart(const Facts& facts) {
    const PendingRestartFacts& pending = facts.pendingRestart;
    if (!pending.read) return Skip(pending.reason);
    std::vector<Evidence> evidence;
    for (std::size_t i = 0; i < pending.renames.size() && i < 5; ++i) evidence.push_back(pending.renames[i]);
    if (pending.renameCount > evidence.size())
        evidence.push_back({pending.renames.front().source, 0,
                            "and " + std::to_string(pending.renameCount - evidence.size()) + " more"});
    evidence.insert(evidence.end(), pending.markers.begin(), pending.markers.end());
    if (evidence.empty()) {
        if (pending.renamesUnreadable) return Skip("PendingFileRenameOperations is present but cannot be read");
        return Pass();
    }
    return Fail(Severity::Warning, "A restart is pending: an earlier installation or update is not finished",
                std::move(evidence), "Restart the PC, then repeat the installation or the action that failed.");
}

Result InstallerBusy(const Facts& facts) {
    if (facts.installerBusy == Tri::Unknown) return Skip(facts.installerBusyReason);
    if (facts.installerBusy == Tri::No) return Pass();
    return Fail(Severity::Warning, "Another installation is running",
                {{"mutex Global\\_MSIExecute", 0, "exists: the Windows Installer is busy with an installation"}},
                "Wait until the other installation has finished (or restart the PC), then install again.");
}

namespace {

enum class Outcome { Success, Failure, Cancel, Cause, Unreadable, Other };

// One installer record of the family: which product, and what it says.
struct InstallerRecord {
    const EventRecord* record;
    std::string product;  // lower case
    Outcome outcome;
};

// "Product: Corvane NET PC -- Error 1920. ..." in any language: the name
// stands between the first ": " and " -- ".
std::string ProductOfText(const std::string& text) {
    const std::size_t colon = text.find(": "), dash = text.find(" -- ");
    if (colon == std::string::npos || dash == std::string::npos || dash < colon) return std::string();
    return text.substr(colon + 2, dash - colon - 2);
}

Outcome StatusOutcome(const std::string& text) {
    long status = 0;
    if (!Number(text, &status)) return Outcome::Unreadable;
    if (status == 0 || status == static_cast<long>(gx::ERROR_SUCCESS_REBOOT_REQUIRED) ||
        status == static_cast<long>(gx::ERROR_SUCCESS_REBOOT_INITIATED))
        return Outcome::Success;
    return status == static_cast<long>(gx::ERROR_INSTALL_USEREXIT) ? Outcome::Cancel : Outcome::Failure;
}

// 1033, 1034, 1035: installed, removed, reconfigured (product, version,
// language, status, maker); 1022 an update installed, 1023 and 1024 an
// update's failure (product, update, status); 10000 + the installer's
// message: 11707, 11724, 11728 done, 11708, 11725, 11729 failed, the others
// the error that caused it ("Error 1920" is 11920).
InstallerRecord Classify(const EventRecord& record) {
    InstallerRecord item{&record, std::string(), Outcome::Other};
    const std::vector<std::string>& s = record.strings;
    switch (record.id) {
    case 1033: case 1034: case 1035:
        if (!s.empty()) item.product = s[0];
        item.outcome = s.size() < 4 ? Outcome::Unreadable : StatusOutcome(s[3]);
        break;
    case 1022:
        if (!s.empty()) item.product = s[0];
        item.outcome = Outcome::Success;
        break;
    case 1023: case 1024:
        if (!s.empty()) item.product = s[0];
        item.outcome = s.size() < 3 ? Outcome::Unreadable : StatusOutcome(s[2]);
        break;
    case 11707: case 11724: case 11728:
        if (!s.empty()) item.product = ProductOfText(s[0]);
        item.outcome = Outcome::Success;
        break;
    case 11708: case 11725: case 11729:
        if (!s.empty()) item.product = ProductOfText(s[0]);
        item.outcome = Outcome::Failure;
        break;
    default:
        if (record.id >= 11000 && record.id < 12000) {
            if (!s.empty()) item.product = ProductOfText(s[0]);
            item.outcome = Outcome::Cause;
        }
    }
    item.product = Lower(item.product);
    return item;
}

}  // namespace

Result InstallerEvents(const Facts& facts) {
    const EventLogFacts& log = facts.application;
    if (!log.read) return Skip(log.reason);
    // Oldest first, the family's records only.
    std::vector<InstallerRecord> records;
    std::size_t unreadable = 0;
    for (auto it = log.records.rbegin(); it != log.records.rend(); ++it) {
        if (!SameText(it->source, "MsiInstaller")) continue;
        bool family = false;
        for (const std::string& text : it->strings) family = family || NamesFamily(text);
        if (!family) continue;
        InstallerRecord item = Classify(*it);
        if (item.outcome == Outcome::Unreadable) ++unreadable;
        if (item.outcome != Outcome::Other && item.outcome != Outcome::Unreadable) records.push_back(item);
    }
    // An attempt's records lie close together: one cancel among them makes it
    // a cancel, a failure among them a failure. A later success of the same
    // product clears it; its first cause since the product's previous result
    // is cited beside it.
    struct Attempt {
        const InstallerRecord* result;
        const InstallerRecord* cause;
        bool cancelled;
    };
    std::vector<Attempt> failures;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const InstallerRecord& item = records[i];
        if (item.outcome != Outcome::Failure) continue;
        bool cancelled = false, cleared = false, counted = false;
        for (const InstallerRecord& other : records) {
            if (other.product != item.product) continue;
            const gx::DWORD a = item.record->time, b = other.record->time;
            const bool close = (a > b ? a - b : b - a) <= kAttemptSeconds;
            if (close && other.outcome == Outcome::Cancel) cancelled = true;
            if (other.outcome == Outcome::Success && b > a + kAttemptSeconds) cleared = true;
        }
        for (const Attempt& seen : failures)
            counted = counted || (seen.result->product == item.product &&
                                  item.record->time - seen.result->record->time <= kAttemptSeconds);
        if (cancelled || cleared || counted) continue;
        const InstallerRecord* cause = nullptr;
        for (std::size_t k = i; k-- > 0;) {
            const InstallerRecord& earlier = records[k];
            if (earlier.product != item.product) continue;
            if (earlier.outcome != Outcome::Cause) {
                if (item.record->time - earlier.record->time > kAttemptSeconds) break;
                continue;
            }
            cause = &earlier;  // the first since the previous result
        }
        failures.push_back({&item, cause, false});
    }
    if (failures.empty()) {
        if (unreadable > 0)
            return Skip(std::to_string(unreadable) + " installer record(s) of the product family without a readable status");
        return Pass();
    }
    std::vector<Evidence> evidence;
    for (auto it = failures.rbegin(); it != failures.rend() && evidence.size() < kEvidenceShown; ++it) {
        evidence.push_back({EventSource(log, *it->result->record, facts.now), 0, Joined(it->result->record->strings)});
        if (it->cause != nullptr)
            evidence.push_back({EventSource(log, *it->cause->record, facts.now), 0,
                                "cause: " + Joined(it->cause->record->strings)});
    }
    return Fail(Severity::Error,
                "The Windows Installer reported " + std::to_string(failures.size()) +
                    " failed installation(s), update(s) or removal(s) of the product family " + Window(log, kEventDays) +
                    ", not followed by a success",
                std::move(evidence),
                "Read the installer log of that time in File_Save for the failing action; remove its cause, "
                "then repair or reinstall the product.");
}

Result ServiceFailures(const Facts& facts) {
    const EventLogFacts& log = facts.system;
    if (!log.read) return Skip(log.reason);
    const gx::DWORD since = facts.now > kServiceDays * 86400 ? facts.now - kServiceDays * 86400 : 0;
    const EventRecord* last = nullptr;
    std::size_t count = 0;
    for (const EventRecord& record : log.records) {
        if (!SameText(record.source, "Service Control Manager") || record.time < since) continue;
        bool family = false;
        for (const std::string& text : record.strings) family = family || NamesFamilyService(text, facts.services);
        if (!family) continue;
        ++count;
        if (last == nullptr) last = &record;  // newest first
    }
    if (last == nullptr) return Pass();
    return Fail(Severity::Warning,
                "Product services or drivers failed, did not log on or stopped unexpectedly (" + std::to_string(count) +
                    " service control records " + Window(log, kServiceDays) + ")",
                {{EventSource(log, *last, facts.now), 0,
                  std::to_string(count) + " record(s), the last: " + Joined(last->strings)}},
                "Look up the named service's error code and its own log in File_Save; check its account and "
                "password, the services it depends on, and start it from the services console.");
}

Result FamilyServices(const Facts& facts) {
    const ServicesFacts& services = facts.services;
    if (!services.read) return Skip(services.reason);
    std::vector<Evidence> evidence;
    std::size_t bad = 0;
    for (const ServiceFacts& service : services.family) {
        std::vector<Evidence> found;
        if (service.hasStart && service.start == gx::SERVICE_DISABLED)
            found.push_back({service.key + "\\Start", 0,
                             "4 (disabled)" + (service.displayName.empty() ? "" : ": " + service.displayName)});
        if (!service.imageFound)
            found.push_back({service.key + "\\ImagePath", 0, service.imagePath + " (file not found)"});
        if (found.empty()) continue;
        ++bad;
        for (Evidence& item : found)
            if (evidence.size() < kEvidenceShown) evidence.push_back(std::move(item));
    }
    if (bad == 0) return Pass();
    return Fail(Severity::Error,
                std::to_string(bad) + " product service(s) disabled or without their program file",
                std::move(evidence),
                "Set the service's start type back in the services console, or repair the product's installation "
                "to restore the missing file.");
}

Result InstallerService(const Facts& facts) {
    const ServicesFacts& services = facts.services;
    if (!services.read) return Skip(services.reason);
    const std::string& key = services.installerKey;
    if (!services.installerPresent)
        return Fail(Severity::Error, "The Windows Installer service (msiserver) is missing",
                    {{key, 0, "key not found"}},
                    "Repair Windows (sfc /scannow) or register the installer again (msiexec /regserver), then "
                    "install again.");
    if (services.installerHasStart && services.installerStart == gx::SERVICE_DISABLED)
        return Fail(Severity::Error, "The Windows Installer service (msiserver) is disabled",
                    {{key + "\\Start", 0, "4 (disabled)"}},
                    "Set the Windows Installer service's start type to Manual in the services console, then "
                    "install again.");
    return Pass();
}

Result LowDisk(const Facts& facts) {
    std::vector<Evidence> evidence;
    std::string unread;
    bool anyRead = false;
    for (const DriveFacts& drive : facts.drives) {
        if (!drive.read) {
            unread += (unread.empty() ? "" : "; ") + drive.root + " (" + drive.why + "): error " + std::to_string(drive.error);
            continue;
        }
        anyRead = true;
        const std::uint64_t needs = drive.systemDrive ? kSystemDriveNeeds : kProductDriveNeeds;
        if (drive.freeBytes >= needs) continue;
        char share[32];
        std::snprintf(share, sizeof(share), "%.1f %%",
                      drive.totalBytes == 0 ? 0.0 : 100.0 * static_cast<double>(drive.freeBytes) / drive.totalBytes);
        evidence.push_back({"drive " + drive.root + " (" + drive.why + ")", 0,
                            Gigabytes(drive.freeBytes) + " free of " + Gigabytes(drive.totalBytes) + " (" + share + ")"});
    }
    if (!evidence.empty())
        return Fail(Severity::Error, "Little free disk space on " + std::to_string(evidence.size()) + " drive(s)",
                    std::move(evidence),
                    "Free at least 2 GB on the system drive and 1 GB on the product's drives (temporary "
                    "files, old data), then repeat the installation.");
    if (!anyRead)
        return Skip(unread.empty() ? std::string("no drive is known (system drive and product paths not found)")
                                       : "free space cannot be read: " + unread);
    return Pass();
}

Result CollectionIncomplete(const Facts& facts) {
    const RunRecord& record = facts.run;
    bool hivesRan = false;
    for (const RecordedItem& hive : record.hives) hivesRan = hivesRan || hive.outcome != ItemOutcome::NotRun;
    if (record.rows.empty() && !hivesRan) return Skip("the run recorded no collection step");
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
    if (total == 0) return Pass();
    if (total > evidence.size()) evidence.push_back({"run record", 0, "and " + std::to_string(total - evidence.size()) + " more"});
    return Fail(Severity::Warning, "The collection is incomplete: evidence may be missing", std::move(evidence),
                "Run gathrix again as administrator, close programs that hold the product's logs, and send the "
                "new archive.");
}

Result LockedFiles(const Facts& facts) {
    std::vector<Evidence> evidence;
    std::size_t locked = 0, unknown = 0;
    std::string why;
    for (const FailedCopy& copy : facts.failedCopies) {
        // A file opened elsewhere without sharing is a sharing or lock
        // violation. 1223 is the user's cancel in the shell's error window.
        const bool refused = copy.code == static_cast<long>(gx::ERROR_SHARING_VIOLATION) ||
                             copy.code == static_cast<long>(gx::ERROR_LOCK_VIOLATION);
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
        return Fail(Severity::Warning,
                    std::to_string(locked) + " file(s) could not be copied because another program holds them",
                    std::move(evidence),
                    "Close the named programs (or stop the product's services), then run gathrix again.");
    if (unknown > 0)
        return Skip(std::to_string(unknown) + " copies failed and who holds them cannot be told: " + why);
    return Pass();
}

}  // namespace findings
