// One harness for the findings' rules: each case on a fresh small Windows,
// a plain, healthy one with the product and a run record, seeded for the
// case; the facts read as the run's end reads them; the table's rule run;
// its outcome, severity and evidence (or skip reason) checked.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <utime.h>
#include <vector>

#include "environment/action.h"
#include "files/file_table.h"
#include "files_fixture.h"
#include "findings/engine.h"

namespace findingstest {

using findings::Status;

const std::string kProduct = filestest::kNetPC;
const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";
// The fake's clock, 2026-12-07 09:05:03 UTC, in seconds since 1970.
constexpr gx::DWORD kNow = 1796634303;
constexpr gx::DWORD kDay = 86400;

using Seed = std::function<void(gx::FakePlatform&, CAction&)>;

struct RuleCase {
    const char* what;
    Seed seed;
    Status status;
    std::string shows;   // in the evidence lines (fail) or the reason (skip)
    bool whole = false;  // the evidence lines are `shows` and nothing else
};

constexpr bool kWhole = true;

inline std::string Dword(gx::DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

inline void AddService(gx::FakePlatform& fake, const std::string& name, const std::string& display,
                const std::string& image, gx::DWORD start) {
    fake.registry().SetString(kServices + name, "DisplayName", display);
    fake.registry().SetValue(kServices + name, "ImagePath", gx::REG_EXPAND_SZ, image + std::string(1, '\0'));
    fake.registry().SetValue(kServices + name, "Start", gx::REG_DWORD, Dword(start));
}

inline gx::FakeEventRecord Event(const char* source, gx::DWORD id, gx::DWORD age, std::vector<std::string> strings) {
    gx::FakeEventRecord record;
    record.source = source;
    record.eventId = 0xC0000000u | id;  // as stored: severity bits above the id
    record.timeGenerated = kNow - age;
    record.strings = std::move(strings);
    return record;
}

inline findings::Result Named(const char* id, findings::Result result) {
    result.id = id;
    return result;
}

inline std::string Line(const findings::Evidence& item) {
    return item.source + (item.line > 0 ? ":" + std::to_string(item.line) : "") + ": " + item.text;
}

// The harness of every rule's cases.
class FindingsTest : public filestest::FilesTest {
protected:
    // What every case starts from: a plain, healthy Windows XP with the product,
    // and a run that copied nothing yet, started on 2026-12-07.
    static void HealthyWindows(gx::FakePlatform& fake, CAction& action) {
        fake.registry().MakeKey("SYSTEM\\CurrentControlSet\\Control\\Session Manager");
        AddService(fake, "msiserver", "Windows Installer", "C:\\WINDOWS\\system32\\msiexec.exe /V", 3);
        fake.files().MakeDirectory("C:\\Tools\\CollectInfo");
        filestest::FilesTest::SetFolders(action);
        action.m_szDest_Path = filestest::kOutput;
        action.m_szDest_Path_Files = filestest::kFileSave;
        action.m_Record.started = {2026, 12, 1, 7, 9, 5, 3, 0};
        action.m_Record.netPcPath.state = ProductLookup::Found;
        action.m_Record.sharedPath.state = ProductLookup::Found;
        action.m_Record.rows.assign(kFileTableSize, RecordedItem());
        for (RecordedItem& row : action.m_Record.rows) row.outcome = ItemOutcome::NotPresent;
        for (RecordedItem& log : action.m_Record.eventLogs) log.outcome = ItemOutcome::Written;
        for (RecordedItem& hive : action.m_Record.hives) hive.outcome = ItemOutcome::Written;
    }

    // Each case on a fresh Windows: seeded, facts read as the run's end reads
    // them within `bounds`, the table's rule `id` run; a failure has the
    // rule's `severity` and the evidence lines `shows` (one or several, in
    // order), a skip its reason.
    void CheckRule(const char* id, findings::Severity severity, const std::vector<RuleCase>& cases,
                   const findings::ReadBounds& bounds = findings::ReadBounds()) {
        for (const RuleCase& c : cases) {
            SCOPED_TRACE(std::string(id) + ": " + c.what);
            gx::FakePlatform windows;
            gx::ScopedPlatform scope(windows);
            findings::Result result;
            {
                CAction action;
                HealthyWindows(windows, action);
                if (c.seed) c.seed(windows, action);
                result = findings::RunRules(findings::ReadFacts(action, bounds), {Find(id)})[0];
            }
            EXPECT_EQ(std::string(result.id), id);
            EXPECT_EQ(result.status, c.status) << result.title << result.reason;
            if (c.status == Status::Fail) {
                std::string lines;
                for (const findings::Evidence& item : result.evidence) lines += Line(item) + "\n";
                EXPECT_NE(lines.find(c.shows), std::string::npos) << lines;
                if (c.whole) {
                    EXPECT_EQ(lines, c.shows + "\n");
                }
                EXPECT_EQ(result.severity, severity);
                EXPECT_FALSE(result.title.empty());
                EXPECT_FALSE(result.remedy.empty());
            }
            if (c.status == Status::Skip) {
                EXPECT_NE(result.reason.find(c.shows), std::string::npos) << result.reason;
            }
            if (c.status == Status::Pass) {
                EXPECT_EQ(result.status, Status::Pass) << result.title << result.reason;
            }
            EXPECT_EQ(windows.OpenHandles(), "");
            EXPECT_EQ(windows.UnfiredFaults(), "");
        }
    }

    static findings::Rule Find(const char* id) {
        for (const findings::Rule& rule : findings::Rules())
            if (std::string(rule.id) == id) return rule;
        ADD_FAILURE() << "no rule " << id;
        return {id, [](const findings::Facts&) { return findings::Pass(); }};
    }
};

// ---- seeds of collected files and registrations ----------------------------

// The rows naming `name` in the folder of the first of them were copied with
// `content` (the second group repeats rows of the first); the copy's path.
inline std::string Copied(gx::FakePlatform& fake, CAction& action, const std::string& name, const std::string& content) {
    std::string copy;
    int type = 0;
    for (int i = 0; i < kFileTableSize; ++i) {
        if (name != FileTable[i].szFileName || (type != 0 && FileTable[i].iSourceType != type)) continue;
        type = FileTable[i].iSourceType;
        copy = ComposeCollectedFilePaths(action, FileTable[i]).destination;
        fake.files().WriteFile(copy, content);
        action.m_Record.rows[i].outcome = ItemOutcome::Written;
        action.m_Record.rows[i].bytes = content.size();
        action.m_Record.rows[i].sizeKnown = true;
    }
    EXPECT_NE(type, 0) << name << " is no row of the table";
    return copy;
}

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kProducts =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\";

inline void Entry(gx::FakePlatform& fake, const std::string& key, const std::string& name, const std::string& version,
                  const std::string& location = "", const std::string& publisher = "Halvorn") {
    fake.registry().SetString(kUninstall + key, "DisplayName", name);
    fake.registry().SetString(kUninstall + key, "DisplayVersion", version);
    fake.registry().SetString(kUninstall + key, "Publisher", publisher);
    if (!location.empty()) fake.registry().SetString(kUninstall + key, "InstallLocation", location);
}

// A record of the Application log, `age` seconds before the fake's clock.
inline void AppEvent(gx::FakePlatform& fake, const char* source, gx::DWORD id, gx::DWORD age,
                     std::vector<std::string> strings) {
    fake.eventLog().AddRecord("Application", Event(source, id, age, std::move(strings)));
}

inline void Cached(gx::FakePlatform& fake, const std::string& product, const std::string& name, const std::string& package) {
    fake.registry().SetString(kProducts + product + "\\InstallProperties", "DisplayName", name);
    fake.registry().SetString(kProducts + product + "\\InstallProperties", "LocalPackage", package);
}

inline void LastWritten(gx::FakePlatform& fake, const std::string& path, int year, int month, int day, int hour,
                        int minute) {
    std::tm parts = {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    utimbuf times = {timegm(&parts), timegm(&parts)};
    ASSERT_EQ(::utime(fake.files().HostPath(path).c_str(), &times), 0);
}

}  // namespace findingstest
