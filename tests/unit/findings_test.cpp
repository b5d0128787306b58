// The findings over the live system's state and the run record: each rule's
// three outcomes on a small Windows seeded for it, the event-log reading's
// bounds, and the two forms support reads (findings.json, the overview's
// section).
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "environment/action.h"
#include "fake_fixture.h"
#include "files/file_table.h"
#include "findings/engine.h"
#include "registry/hive_table.h"

namespace {

using findings::Status;

const std::string kProduct = "C:\\Program Files\\Halvorn\\CORVANE NET PC";
const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";
// The fake's clock, 2026-12-07 09:05:03 UTC, in seconds since 1970.
constexpr gx::DWORD kNow = 1796634303;
constexpr gx::DWORD kDay = 86400;

using Seed = std::function<void(gx::FakePlatform&, CAction&)>;

struct RuleCase {
    const char* what;
    Seed seed;
    Status status;
    std::string shows;  // in an evidence line (fail) or the reason (skip)
};

std::string Dword(gx::DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

void AddService(gx::FakePlatform& fake, const std::string& name, const std::string& display,
                const std::string& image, gx::DWORD start) {
    fake.registry().SetString(kServices + name, "DisplayName", display);
    fake.registry().SetValue(kServices + name, "ImagePath", gx::REG_EXPAND_SZ, image + std::string(1, '\0'));
    fake.registry().SetValue(kServices + name, "Start", gx::REG_DWORD, Dword(start));
}

// What every case starts from: a plain, healthy Windows with the product.
void HealthyWindows(gx::FakePlatform& fake, CAction& action) {
    fake.registry().MakeKey("SYSTEM\\CurrentControlSet\\Control\\Session Manager");
    AddService(fake, "msiserver", "Windows Installer", "C:\\WINDOWS\\system32\\msiexec.exe /V", 3);
    action.m_szWindowsPath = "C:\\WINDOWS";
    action.m_szSystemDrive = "C:\\";
    action.m_szNetPCPath = kProduct;
    action.m_szSharedPath = "C:\\Program Files\\Halvorn\\Shared";
    action.m_Record.rows.assign(kFileTableSize, RecordedItem());
    for (RecordedItem& row : action.m_Record.rows) row.outcome = ItemOutcome::NotPresent;
    for (RecordedItem& log : action.m_Record.eventLogs) log.outcome = ItemOutcome::Written;
    for (RecordedItem& hive : action.m_Record.hives) hive.outcome = ItemOutcome::Written;
}

gx::FakeEventRecord Event(const char* source, gx::DWORD id, gx::DWORD age, std::vector<std::string> strings) {
    gx::FakeEventRecord record;
    record.source = source;
    record.eventId = 0xC0000000u | id;  // as stored: severity bits above the id
    record.timeGenerated = kNow - age;
    record.strings = std::move(strings);
    return record;
}

std::string Line(const findings::Evidence& item) {
    return item.source + (item.line > 0 ? ":" + std::to_string(item.line) : "") + ": " + item.text;
}

class FindingsTest : public FakeTest {
protected:
    // Each case on a fresh Windows: seeded, facts read, the rule `id` run.
    void CheckRule(const char* id, const std::vector<RuleCase>& cases) {
        for (const RuleCase& c : cases) {
            SCOPED_TRACE(std::string(id) + ": " + c.what);
            gx::FakePlatform windows;
            gx::ScopedPlatform scope(windows);
            findings::Result result;
            {
                CAction action;
                HealthyWindows(windows, action);
                if (c.seed) c.seed(windows, action);
                const findings::Facts facts = findings::ReadFacts(action);
                result = findings::RunRules({action, facts}, {Find(id)})[0];
            }
            EXPECT_EQ(std::string(result.id), id);
            EXPECT_EQ(result.status, c.status) << result.title << result.reason;
            if (c.status == Status::Fail) {
                std::string lines;
                for (const findings::Evidence& item : result.evidence) lines += Line(item) + "\n";
                EXPECT_NE(lines.find(c.shows), std::string::npos) << lines;
                EXPECT_FALSE(result.title.empty());
                EXPECT_FALSE(result.remedy.empty());
            }
            if (c.status == Status::Skip) {
                EXPECT_NE(result.reason.find(c.shows), std::string::npos) << result.reason;
            }
            EXPECT_EQ(windows.OpenHandles(), "");
            EXPECT_EQ(windows.UnfiredFaults(), "");
        }
    }

    static findings::Rule Find(const char* id) {
        for (const findings::Rule& rule : findings::Rules())
            if (std::string(rule.id) == id) return rule;
        ADD_FAILURE() << "no rule " << id;
        return {id, [](const findings::Context&) { return findings::Pass("none"); }};
    }
};

TEST_F(FindingsTest, PendingRestart) {
    const std::string manager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    CheckRule("pending-restart", {
        {"renames pending", [&](gx::FakePlatform& f, CAction&) {
             static const char list[] = "\\??\\C:\\x.dll\0\0\\??\\C:\\y.tmp\0\\??\\C:\\y.dll\0";
             f.registry().SetValue(manager, "PendingFileRenameOperations", gx::REG_MULTI_SZ, std::string(list, sizeof(list)));
         }, Status::Fail, "PendingFileRenameOperations: \\??\\C:\\x.dll -> (delete)\n"},
        {"update asks for a restart", [](gx::FakePlatform& f, CAction&) {
             f.registry().MakeKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired");
         }, Status::Fail, "Auto Update\\RebootRequired: key exists"},
        {"servicing asks for a restart", [](gx::FakePlatform& f, CAction&) {
             f.registry().MakeKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\RebootPending");
         }, Status::Fail, "RebootPending: key exists"},
        {"an empty list", [&](gx::FakePlatform& f, CAction&) {
             f.registry().SetValue(manager, "PendingFileRenameOperations", gx::REG_MULTI_SZ, std::string(2, '\0'));
         }, Status::Pass, ""},
        {"the key refused", [](gx::FakePlatform& f, CAction&) {
             f.Fail(gx::FakeOp::RegOpenKeyExA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "SYSTEM\\CurrentControlSet\\Control\\Session Manager");
         }, Status::Skip, "Session Manager key cannot be opened (error 5)"},
    });
}

TEST_F(FindingsTest, InstallerBusy) {
    CheckRule("installer-busy", {
        {"mutex held", [](gx::FakePlatform& f, CAction&) { f.process().AddMutex("Global\\_MSIExecute"); },
         Status::Fail, "mutex Global\\_MSIExecute: exists"},
        {"mutex there but not ours to open", [](gx::FakePlatform& f, CAction&) {
             f.Fail(gx::FakeOp::OpenMutexA, gx::ERROR_ACCESS_DENIED);
         }, Status::Fail, "exists"},
        {"no installation", nullptr, Status::Pass, ""},
        {"the name refused", [](gx::FakePlatform& f, CAction&) { f.Fail(gx::FakeOp::OpenMutexA, 123); },
         Status::Skip, "(error 123)"},
    });
}

TEST_F(FindingsTest, InstallerEvents) {
    CheckRule("installer-events", {
        {"installation failed", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("Application", Event("MsiInstaller", 11708, kDay,
                                                   {"Produkt: Corvane NET PC -- Installation fehlgeschlagen."}));
         }, Status::Fail, "Application event log, 2026-12-06 09:05:03 UTC, event 11708: Produkt: Corvane NET PC"},
        {"removal ended with 1603", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("Application", Event("MsiInstaller", 1034, kDay,
                                                   {"Corvane NET PC", "7.0", "1031", "1603", "Halvorn AG"}));
         }, Status::Fail, "event 1034: Corvane NET PC | 7.0 | 1031 | 1603 | Halvorn AG"},
        {"successes, restarts, other products, old failures", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("Application", Event("MsiInstaller", 11708, 91 * kDay, {"Product: Corvane -- failed."}));
             f.eventLog().AddRecord("Application", Event("MsiInstaller", 1033, kDay, {"Corvane NET PC", "7.0", "1033", "0", "Halvorn"}));
             f.eventLog().AddRecord("Application", Event("MsiInstaller", 1033, kDay, {"Corvane NET PC", "7.0", "1033", "3010", "Halvorn"}));
             f.eventLog().AddRecord("Application", Event("MsiInstaller", 11708, kDay, {"Product: Zeta Viewer -- failed."}));
             f.eventLog().AddRecord("Application", Event("Corvane Runtime", 11708, kDay, {"Corvane"}));
         }, Status::Pass, ""},
        {"a status that is not a number", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("Application", Event("MsiInstaller", 1033, kDay, {"Corvane NET PC", "7.0", "1033", "x"}));
         }, Status::Skip, "1 installer record(s) of the product family without a readable status"},
        {"the log refused", [](gx::FakePlatform& f, CAction&) {
             f.Fail(gx::FakeOp::ReadEventLogA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "Application");
         }, Status::Skip, "the Application event log cannot be read (error 5)"},
        {"a damaged record", [](gx::FakePlatform& f, CAction&) {
             gx::FakeEventRecord damaged;
             damaged.raw = Dword(200) + std::string(60, 'x');  // claims more bytes than it has
             f.eventLog().AddRecord("Application", damaged);
         }, Status::Skip, "has a record that cannot be read"},
    });
}

TEST_F(FindingsTest, ServiceFailures) {
    CheckRule("service-failures", {
        {"a family service by its name", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7000, 3 * kDay, {"Corvane Runtime", "%%2"}));
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7031, kDay, {"Corvane Runtime", "1", "5000"}));
         }, Status::Fail, "event 7031: 2 record(s), the last: Corvane Runtime | 1 | 5000"},
        {"a service of the product path, by its key name", [](gx::FakePlatform& f, CAction&) {
             AddService(f, "HvRt", "Runtime", kProduct + "\\bin\\hvrt.exe", 2);
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7034, kDay, {"HvRt", "1"}));
         }, Status::Fail, "the last: HvRt | 1"},
        {"other services, other events", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7031, kDay, {"Print Spooler", "1"}));
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7036, kDay, {"Corvane Runtime", "stopped"}));
         }, Status::Pass, ""},
        {"no System log", [](gx::FakePlatform& f, CAction&) { f.eventLog().RemoveLog("System"); },
         Status::Skip, "the System event log cannot be opened (error 2)"},
    });
}

TEST_F(FindingsTest, FamilyServices) {
    CheckRule("family-services", {
        {"disabled", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile(kProduct + "\\bin\\hvsvc.exe", "MZ");
             AddService(f, "HvAutSvc", "Halvorn Automation Service", "\"" + kProduct + "\\bin\\hvsvc.exe\" -service", 4);
         }, Status::Fail, "Services\\HvAutSvc\\Start: 4 (disabled): Halvorn Automation Service"},
        {"its program gone", [](gx::FakePlatform& f, CAction&) {
             AddService(f, "Rt", "Runtime", kProduct + "\\bin\\rt.exe -auto", 2);
         }, Status::Fail, "Services\\Rt\\ImagePath: " + kProduct + "\\bin\\rt.exe -auto (file not found)"},
        {"running family service, disabled foreign one", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile(kProduct + "\\bin\\hvsvc.exe", "MZ");
             AddService(f, "HvAutSvc", "Halvorn Automation Service", kProduct + "\\bin\\hvsvc.exe", 2);
             AddService(f, "Fax", "Fax", "%SystemRoot%\\system32\\fxssvc.exe", 4);
         }, Status::Pass, ""},
        {"no services key", [](gx::FakePlatform& f, CAction&) {
             f.Fail(gx::FakeOp::RegOpenKeyExA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "SYSTEM\\CurrentControlSet\\Services");
         }, Status::Skip, "the services key cannot be opened (error 5)"},
    });
}

TEST_F(FindingsTest, InstallerService) {
    CheckRule("installer-service", {
        {"disabled", [](gx::FakePlatform& f, CAction&) {
             f.registry().SetValue(kServices + "msiserver", "Start", gx::REG_DWORD, Dword(4));
         }, Status::Fail, "Services\\msiserver\\Start: 4 (disabled)"},
        {"missing", [](gx::FakePlatform& f, CAction&) {
             f.SHDeleteKeyA(gx::HKEY_LOCAL_MACHINE, (kServices + "msiserver").c_str());
             AddService(f, "Spooler", "Print Spooler", "%SystemRoot%\\system32\\spoolsv.exe", 2);
         }, Status::Fail, "Services\\msiserver: key not found"},
        {"on demand", nullptr, Status::Pass, ""},
        {"no services key", [](gx::FakePlatform& f, CAction&) {
             f.Fail(gx::FakeOp::RegOpenKeyExA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "SYSTEM\\CurrentControlSet\\Services");
         }, Status::Skip, "(error 5)"},
    });
}

TEST_F(FindingsTest, LowDisk) {
    CheckRule("low-disk", {
        {"under 1 GB", [](gx::FakePlatform& f, CAction&) { f.files().SetDiskSpace("C:\\", 500ull << 20, 40ull << 30); },
         Status::Fail, "drive C:\\ (system drive, product installation path, product shared path): 0.5 GB free of 40.0 GB (1.2 %)"},
        {"under 5 % on the product's drive", [](gx::FakePlatform& f, CAction& a) {
             a.m_szNetPCPath = "d:\\Halvorn";
             f.files().SetDiskSpace("D:\\", 4ull << 30, 100ull << 30);
         }, Status::Fail, "drive D:\\ (product installation path): 4.0 GB free of 100.0 GB (4.0 %)"},
        {"room enough", [](gx::FakePlatform& f, CAction&) { f.files().SetDiskSpace("C:\\", 2ull << 30, 40ull << 30); },
         Status::Pass, ""},
        {"no drive answers", [](gx::FakePlatform& f, CAction&) { f.Fail(gx::FakeOp::GetDiskFreeSpaceExA, 21); },
         Status::Skip, "free space cannot be read: C:\\ (system drive, product installation path, product shared path): error 21"},
    });
}

TEST_F(FindingsTest, CollectionIncomplete) {
    CheckRule("collection-incomplete", {
        {"not elevated", [](gx::FakePlatform& f, CAction&) { f.security().SetElevation(0); },
         Status::Fail, "process token: not elevated"},
        {"a refused row, a log without file, a hive not saved", [](gx::FakePlatform&, CAction& a) {
             a.m_Record.rows[5].outcome = ItemOutcome::Refused;
             a.m_Record.eventLogs[1].outcome = ItemOutcome::WithoutFile;
             a.m_Record.hives[1] = {ItemOutcome::Failed, 0, false, 1314, "RegSaveKey", ""};
         }, Status::Fail, std::string("hive ") + HiveTable[1].szSaveFile + ": not saved: failed (RegSaveKey 1314)"},
        {"complete; Windows does not tell the elevation", [](gx::FakePlatform& f, CAction&) { f.security().SetElevation(-1); },
         Status::Pass, ""},
        {"nothing collected", [](gx::FakePlatform&, CAction& a) {
             a.m_Record.rows.clear();
             for (RecordedItem& hive : a.m_Record.hives) hive.outcome = ItemOutcome::NotRun;
         }, Status::Skip, "the run recorded no collection step"},
    });
}

TEST_F(FindingsTest, LockedFiles) {
    // Row 1 is setupapi.log in the Windows folder.
    auto failed = [](long code) {
        return [code](CAction& a) { a.m_Record.rows[0] = {ItemOutcome::Failed, 0, false, code, "SHFileOperation", ""}; };
    };
    CheckRule("locked-files", {
        {"a holder named", [&](gx::FakePlatform& f, CAction& a) {
             failed(1223)(a);
             f.process().AddFileHolder("C:\\WINDOWS\\setupapi.log", 4711, u"Corvane Runtime \u00e4");
         }, Status::Fail, "file table row 1: C:\\WINDOWS\\setupapi.log: held by Corvane Runtime \xe4 (process 4711)"},
        {"before Vista: the file only", [&](gx::FakePlatform& f, CAction& a) {
             failed(32)(a);
             f.process().SetRestartManager(false);
         }, Status::Fail, "setupapi.log: copy failed (error 32), the holder cannot be told on this Windows"},
        {"a failure nobody holds", [&](gx::FakePlatform&, CAction& a) { failed(5)(a); }, Status::Pass, ""},
        {"a failure nobody can tell about", [&](gx::FakePlatform& f, CAction& a) {
             failed(5)(a);
             f.Fail(gx::FakeOp::Call_RmStartSession, 29);
         }, Status::Skip, "1 copies failed and who holds them cannot be told: no Restart Manager session (error 29)"},
    });
}

TEST_F(FindingsTest, EventLogsAreReadNewestFirstAndOnlyNinetyDaysOrFiftyThousandRecordsBack) {
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, 95 * kDay, {"too old"}));
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, 89 * kDay, {"older"}));
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, kDay, {"newer"}));
    findings::EventLogFacts log = findings::ReadEventLog("System", kNow);
    ASSERT_TRUE(log.read) << log.reason;
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records[0].strings[0], "newer");
    EXPECT_EQ(log.records[0].id, 7000u);
    EXPECT_EQ(log.scanned, 3u);  // the too old one ends the reading

    for (gx::DWORD i = 0; i < findings::kEventRecordLimit + 10; ++i)
        fake.eventLog().AddRecord("Application", Event(i % 2 ? "MsiInstaller" : "Other", 1033, 60, {"x"}));
    log = findings::ReadEventLog("Application", kNow);
    EXPECT_TRUE(log.read);
    EXPECT_TRUE(log.limited);
    EXPECT_EQ(log.scanned, findings::kEventRecordLimit);
    EXPECT_EQ(log.records.size(), findings::kEventRecordLimit / 2);
}

// A rule that meets data it cannot handle is reported as skipped, and the
// other rules still run.
TEST_F(FindingsTest, ARuleThatThrowsIsSkippedAndTheNextStillRuns) {
    CAction action;
    const findings::Facts facts;
    const std::vector<findings::Rule> rules = {
        {"first", [](const findings::Context&) -> findings::Result { throw std::out_of_range("vector"); }},
        {"second", [](const findings::Context&) { return findings::Pass("wrong id"); }},
    };
    const std::vector<findings::Result> results = findings::RunRules({action, facts}, rules);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, Status::Skip);
    EXPECT_EQ(results[0].reason, "the rule stopped on data it cannot handle: vector");
    EXPECT_EQ(std::string(results[1].id), "second");
    EXPECT_EQ(results[1].status, Status::Pass);
}

TEST_F(FindingsTest, JsonHasOneResultPerRuleWithOnlyItsFieldsInUtf8) {
    const std::vector<findings::Result> results = {
        findings::Fail("installer-log-failure", findings::Severity::Error, "Setup failed \"here\"",
                       {{"File_Save\\C\\WINDOWS\\HvAutSw_Inst.log", 1234, "Action ended 10:00:05: InstallFinalize. Return value 3."},
                        {"mutex Global\\_MSIExecute", 0, "Gr\xf6\xdf" "e \x80"}},
                       "Repair."),
        findings::Pass("installer-busy"),
        findings::Skip("installer-events", "tab\there"),
    };
    EXPECT_EQ(findings::FindingsJson(results),
              "{\"schema\": 1, \"ruleset\": \"1\", \"results\": [\r\n"
              "  {\"id\": \"installer-log-failure\", \"status\": \"fail\", \"severity\": \"error\", "
              "\"title\": \"Setup failed \\\"here\\\"\", \"evidence\": ["
              "{\"source\": \"File_Save\\\\C\\\\WINDOWS\\\\HvAutSw_Inst.log\", \"line\": 1234, "
              "\"text\": \"Action ended 10:00:05: InstallFinalize. Return value 3.\"}, "
              "{\"source\": \"mutex Global\\\\_MSIExecute\", \"text\": \"Gr\xc3\xb6\xc3\x9f" "e \xe2\x82\xac\"}], "
              "\"remedy\": \"Repair.\"},\r\n"
              "  {\"id\": \"installer-busy\", \"status\": \"pass\"},\r\n"
              "  {\"id\": \"installer-events\", \"status\": \"skip\", \"reason\": \"tab\\there\"}\r\n"
              "]}\r\n");
}

TEST_F(FindingsTest, TheSectionListsErrorsFirstThenCountsAndSaysWhenNothingIsWrong) {
    const std::vector<findings::Result> results = {
        findings::Fail("pending-restart", findings::Severity::Warning, "A restart is pending",
                       {{"HKLM\\X\\RebootRequired", 0, "key exists"}}, "Restart."),
        findings::Skip("installer-events", "no log"),
        findings::Fail("installer-log-failure", findings::Severity::Error, "Setup failed",
                       {{"File_Save\\a.log", 12, "Return value 3."}}, "Repair."),
        findings::Pass("low-disk"),
    };
    EXPECT_EQ(findings::SectionLines(results),
              (std::vector<std::string>{"ERROR: Setup failed [installer-log-failure]",
                                        "    File_Save\\a.log:12: Return value 3.",
                                        "    Remedy: Repair.",
                                        "WARNING: A restart is pending [pending-restart]",
                                        "    HKLM\\X\\RebootRequired: key exists",
                                        "    Remedy: Restart.",
                                        "",
                                        "4 rules ran: 2 failed, 1 passed, 1 skipped: installer-events (no log)."}));
    EXPECT_EQ(findings::SectionLines({findings::Pass("a"), findings::Pass("b")}),
              (std::vector<std::string>{"No known problem found. 2 rules ran: 0 failed, 2 passed, 0 skipped."}));
}

}  // namespace
