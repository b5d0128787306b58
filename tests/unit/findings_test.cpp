// The findings over the live system's state and the run record: each rule's
// three outcomes on a small Windows seeded for it, the event-log reading's
// bounds, and the two forms support reads (findings.json, the overview's
// section).
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "findings_fixture.h"
#include "registry/hive_table.h"

namespace {

using namespace findingstest;

TEST_F(FindingsTest, PendingRestart) {
    const std::string manager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    const std::string servicing = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\";
    const std::string required = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired";
    const std::string names = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\";
    auto key = [](std::string path) { return [path](gx::FakePlatform& f, CAction&) { f.registry().MakeKey(path); }; };
    CheckRule("pending-restart", findings::Severity::Warning, {
        {"renames pending", [&](gx::FakePlatform& f, CAction&) {
             static const char list[] = "\\??\\C:\\x.dll\0\0\\??\\C:\\y.tmp\0\\??\\C:\\y.dll\0";
             f.registry().SetValue(manager, "PendingFileRenameOperations", gx::REG_MULTI_SZ, std::string(list, sizeof(list)));
         }, Status::Fail, "PendingFileRenameOperations: \\??\\C:\\x.dll -> (delete)\n"},
        {"the second rename list", [&](gx::FakePlatform& f, CAction&) {
             static const char list[] = "\\??\\C:\\a.sys\0\\??\\C:\\b.sys\0";
             f.registry().SetValue(manager, "PendingFileRenameOperations2", gx::REG_MULTI_SZ, std::string(list, sizeof(list)));
         }, Status::Fail, "PendingFileRenameOperations2: \\??\\C:\\a.sys -> \\??\\C:\\b.sys"},
        {"update asks for a restart", key(required), Status::Fail, "Auto Update\\RebootRequired: key exists"},
        {"servicing asks for a restart", key(servicing + "RebootPending"), Status::Fail, "RebootPending: key exists"},
        {"servicing restarts", key(servicing + "RebootInProgress"), Status::Fail, "RebootInProgress: key exists"},
        {"servicing packages wait", key(servicing + "PackagesPending"), Status::Fail, "PackagesPending: key exists"},
        {"an update program waits", [](gx::FakePlatform& f, CAction&) {
             f.registry().SetValue("SOFTWARE\\Microsoft\\Updates\\UpdateExeVolatile", "Flags", gx::REG_DWORD, Dword(1));
         }, Status::Fail, "UpdateExeVolatile\\Flags: 1"},
        {"the computer is renamed", [&](gx::FakePlatform& f, CAction&) {
             f.registry().SetString(names + "ActiveComputerName", "ComputerName", "GX-OLD");
             f.registry().SetString(names + "ComputerName", "ComputerName", "GX-NEW");
         }, Status::Fail, "ComputerName\\ComputerName\\ComputerName: GX-NEW (now GX-OLD)"},
        {"empty list, update flags 0, same name in other case", [&](gx::FakePlatform& f, CAction&) {
             f.registry().SetValue(manager, "PendingFileRenameOperations", gx::REG_MULTI_SZ, std::string(2, '\0'));
             f.registry().SetValue("SOFTWARE\\Microsoft\\Updates\\UpdateExeVolatile", "Flags", gx::REG_DWORD, Dword(0));
             f.registry().SetString(names + "ActiveComputerName", "ComputerName", "GX-TEST");
             f.registry().SetString(names + "ComputerName", "ComputerName", "gx-test");
         }, Status::Pass, ""},
        // A 32-bit program on 64-bit Windows: Windows keeps its markers in the
        // 64-bit view; Wow6432Node's copy is no marker.
        {"64-bit Windows: the marker in the 64-bit view", [&](gx::FakePlatform& f, CAction&) {
             f.process().SetWow64(true);
             f.registry().MakeKey(required);
         }, Status::Fail, "Auto Update\\RebootRequired: key exists"},
        {"64-bit Windows: only Wow6432Node, the 64-bit view refused", [&](gx::FakePlatform& f, CAction&) {
             f.process().SetWow64(true);
             f.registry().MakeKey("SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired");
             f.Fail(gx::FakeOp::RegOpenKeyExA, gx::ERROR_ACCESS_DENIED, 1).WhenArg(0, required);
         }, Status::Pass, ""},
        {"Windows 2000 refuses the view flag", [&](gx::FakePlatform& f, CAction&) {
             f.registry().RefuseViewFlags();
             f.registry().MakeKey(required);
         }, Status::Fail, "RebootRequired: key exists"},
        {"the key refused", [](gx::FakePlatform& f, CAction&) {
             f.Fail(gx::FakeOp::RegOpenKeyExA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "SYSTEM\\CurrentControlSet\\Control\\Session Manager");
         }, Status::Skip, "Session Manager key cannot be opened (error 5)"},
    });
}

TEST_F(FindingsTest, InstallerBusy) {
    CheckRule("installer-busy", findings::Severity::Warning, {
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
    auto msi = [](gx::DWORD id, gx::DWORD age, std::vector<std::string> strings) {
        return Event("MsiInstaller", id, age, std::move(strings));
    };
    auto seed = [](std::vector<gx::FakeEventRecord> records) {
        return [records](gx::FakePlatform& f, CAction&) {
            for (const gx::FakeEventRecord& record : records) f.eventLog().AddRecord("Application", record);
        };
    };
    const std::vector<std::string> failed = {"Product: Corvane NET PC -- Installation operation failed."};
    CheckRule("installer-events", findings::Severity::Error, {
        // Its cause, the 11xxx record before it, is cited beside it.
        {"installation failed, with its cause", seed({
             msi(11920, kDay + 5, {"Produkt: Corvane NET PC -- Fehler 1920. Dienst HvAutSvc startet nicht."}),
             msi(11708, kDay, {"Produkt: Corvane NET PC -- Installation fehlgeschlagen."})}),
         Status::Fail, "2026-12-06 09:05:03 UTC (24 hours ago), event 11708: Produkt: Corvane NET PC -- Installation "
                       "fehlgeschlagen.\nApplication event log, 2026-12-06 09:04:58 UTC (24 hours ago), event 11920: cause: "
                       "Produkt: Corvane NET PC -- Fehler 1920."},
        {"removal ended with 1603", seed({msi(1034, 3 * kDay, {"Corvane NET PC", "7.0", "1031", "1603", "Halvorn AG"})}),
         Status::Fail, "(3 days ago), event 1034: Corvane NET PC | 7.0 | 1031 | 1603 | Halvorn AG"},
        {"reconfiguration ended with 1603", seed({msi(1035, kDay, {"Corvane NET PC", "7.0", "1031", "1603", "Halvorn"})}),
         Status::Fail, "event 1035: Corvane NET PC"},
        {"an update failed", seed({msi(1024, kDay, {"Corvane NET PC", "Hotfix 7.0.1", "1603"})}),
         Status::Fail, "event 1024: Corvane NET PC | Hotfix 7.0.1 | 1603"},
        // An older failure stays when only another product succeeded since.
        {"a failure, a later success of another product", seed({
             msi(11708, 2 * kDay, failed),
             msi(1033, kDay, {"Halvorn License Manager", "3.1", "1033", "0", "Halvorn"})}),
         Status::Fail, "event 11708: Product: Corvane NET PC"},
        {"a failure cleared by a later success, a cancel, restarts, others", seed({
             msi(11708, 91 * kDay, {"Product: Corvane -- failed."}),
             msi(11920, 2 * kDay + 1, {"Product: Corvane NET PC -- Error 1920."}),
             msi(11708, 2 * kDay, failed),
             msi(1033, 2 * kDay, {"Corvane NET PC", "7.0", "1033", "1603", "Halvorn"}),
             msi(11708, kDay + 30, {"Product: Halvorn License Manager -- Installation operation failed."}),
             msi(1033, kDay + 30, {"Halvorn License Manager", "3.1", "1033", "1602", "Halvorn"}),
             msi(1033, kDay, {"CORVANE NET PC", "7.0", "1033", "3010", "Halvorn"}),
             msi(11708, kDay, {"Product: Zeta Viewer -- failed."}),
             Event("Corvane Runtime", 11708, kDay, {"Corvane"})}),
         Status::Pass, ""},
        {"a status that is not a number", seed({msi(1033, kDay, {"Corvane NET PC", "7.0", "1033", "x"})}),
         Status::Skip, "1 installer record(s) of the product family without a readable status"},
        {"the log refused", [](gx::FakePlatform& f, CAction&) {
             f.Fail(gx::FakeOp::ReadEventLogA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "Application");
         }, Status::Skip, "the Application event log cannot be read (error 5)"},
    });
}

TEST_F(FindingsTest, ServiceFailures) {
    auto scm = [](gx::DWORD id, gx::DWORD age, std::vector<std::string> strings) {
        return [=](gx::FakePlatform& f, CAction&) {
            f.eventLog().AddRecord("System", Event("Service Control Manager", id, age, strings));
        };
    };
    CheckRule("service-failures", findings::Severity::Warning, {
        {"a family service by its name", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7000, 3 * kDay, {"Corvane Runtime", "%%2"}));
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7031, kDay, {"Corvane Runtime", "1", "5000"}));
         }, Status::Fail, "UTC (24 hours ago), event 7031: 2 record(s), the last: Corvane Runtime | 1 | 5000"},
        {"a service of the product path, by its key name", [](gx::FakePlatform& f, CAction&) {
             AddService(f, "HvRt", "Runtime", kProduct + "\\bin\\hvrt.exe", 2);
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7034, kDay, {"HvRt", "1"}));
         }, Status::Fail, "the last: HvRt | 1"},
        {"a dependency failed", scm(7001, 3600, {"Corvane Runtime", "Halvorn Bus", "%%1068"}), Status::Fail,
         "(1 hour ago), event 7001: 1 record(s), the last: Corvane Runtime | Halvorn Bus"},
        {"a logon failure", scm(7038, kDay, {"Halvorn Data Service", ".\\hvsvc", "%%1326"}), Status::Fail, "event 7038"},
        {"a logon right missing", scm(7041, kDay, {"Halvorn Data Service", ".\\hvsvc"}), Status::Fail, "event 7041"},
        {"a boot driver among others", [scm](gx::FakePlatform& f, CAction& a) {
             AddService(f, "hvbus", "Bus", kProduct + "\\hvbus.sys", 1);
             f.files().WriteFile(kProduct + "\\hvbus.sys", "MZ");
             scm(7026, kDay, {"\n i8042prt\n hvbus"})(f, a);
         }, Status::Fail, "event 7026: 1 record(s), the last:   i8042prt  hvbus"},
        {"other services, other events, older than 7 days", [](gx::FakePlatform& f, CAction&) {
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7031, 8 * kDay, {"Corvane Runtime", "1"}));
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7031, kDay, {"Print Spooler", "1"}));
             f.eventLog().AddRecord("System", Event("Service Control Manager", 7036, kDay, {"Corvane Runtime", "stopped"}));
         }, Status::Pass, ""},
        {"no System log", [](gx::FakePlatform& f, CAction&) { f.eventLog().RemoveLog("System"); },
         Status::Skip, "the System event log cannot be opened (error 2)"},
    });
}

TEST_F(FindingsTest, FamilyServices) {
    CheckRule("family-services", findings::Severity::Error, {
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

// On 64-bit Windows the family's driver sits in the real System32, which a
// 32-bit program sees as SysWOW64: every form of image path is checked there.
TEST_F(FindingsTest, FamilyServicesOn64BitWindowsLookInTheRealSystem32) {
    auto driver = [](std::string image, bool present) {
        return [image, present](gx::FakePlatform& f, CAction& a) {
            f.process().SetWow64(true);
            a.m_Record.wow64 = true;
            if (present) f.files().WriteFile("C:\\WINDOWS\\system32\\drivers\\hvbus.sys", "MZ");
            AddService(f, "HvBus", "Halvorn Bus", image, 1);
        };
    };
    CheckRule("family-services", findings::Severity::Error, {
        {"\\SystemRoot\\", driver("\\SystemRoot\\System32\\drivers\\hvbus.sys", true), Status::Pass, ""},
        {"%SystemRoot%", driver("%SystemRoot%\\system32\\drivers\\hvbus.sys", true), Status::Pass, ""},
        {"System32\\", driver("System32\\DRIVERS\\hvbus.sys", true), Status::Pass, ""},
        {"quoted, with arguments", driver("\"C:\\WINDOWS\\system32\\drivers\\hvbus.sys\" -x", true), Status::Pass, ""},
        {"missing there", driver("\\SystemRoot\\System32\\drivers\\hvbus.sys", false), Status::Fail,
         "Services\\HvBus\\ImagePath: \\SystemRoot\\System32\\drivers\\hvbus.sys (file not found)"},
    });
}

TEST_F(FindingsTest, InstallerService) {
    CheckRule("installer-service", findings::Severity::Error, {
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
    // Absolute limits, each on its own: 2 GB on the system drive, 1 GB on a
    // product drive; a share of the drive does not count.
    auto productOnD = [](std::uint64_t free) {
        return [free](gx::FakePlatform& f, CAction& a) {
            a.m_szNetPCPath = "d:\\Halvorn";
            f.files().SetDiskSpace("D:\\", free, 100ull << 30);
        };
    };
    CheckRule("low-disk", findings::Severity::Error, {
        {"system drive under 2 GB", [](gx::FakePlatform& f, CAction&) { f.files().SetDiskSpace("C:\\", (2ull << 30) - 1, 40ull << 30); },
         Status::Fail, "drive C:\\ (system drive, product installation path, product shared path): 2.0 GB free of 40.0 GB (5.0 %)"},
        {"product drive under 1 GB", productOnD((1ull << 30) - 1),
         Status::Fail, "drive D:\\ (product installation path): 1.0 GB free of 100.0 GB (1.0 %)"},
        {"system drive at 2 GB", [](gx::FakePlatform& f, CAction&) { f.files().SetDiskSpace("C:\\", 2ull << 30, 40ull << 30); },
         Status::Pass, ""},
        {"product drive at 1 GB", productOnD(1ull << 30), Status::Pass, ""},
        {"2 TB with 6 % free", [](gx::FakePlatform& f, CAction&) { f.files().SetDiskSpace("C:\\", 123ull << 30, 2048ull << 30); },
         Status::Pass, ""},
        {"no drive answers", [](gx::FakePlatform& f, CAction&) { f.Fail(gx::FakeOp::GetDiskFreeSpaceExA, 21); },
         Status::Skip, "free space cannot be read: C:\\ (system drive, product installation path, product shared path): error 21"},
    });
}

TEST_F(FindingsTest, CollectionIncomplete) {
    CheckRule("collection-incomplete", findings::Severity::Warning, {
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
    CheckRule("locked-files", findings::Severity::Warning, {
        {"a holder named", [&](gx::FakePlatform& f, CAction& a) {
             failed(1223)(a);
             f.process().AddFileHolder("C:\\WINDOWS\\setupapi.log", 4711, u"Corvane Runtime \u00e4");
         }, Status::Fail, "file table row 1: C:\\WINDOWS\\setupapi.log: held by Corvane Runtime \xe4 (process 4711)"},
        {"before Vista: the file only", [&](gx::FakePlatform& f, CAction& a) {
             failed(32)(a);
             f.process().SetRestartManager(false);
         }, Status::Fail, "setupapi.log: copy failed (error 32), the holder cannot be told on this Windows"},
        {"a lock violation nobody is named for", [&](gx::FakePlatform&, CAction& a) { failed(33)(a); },
         Status::Fail, "setupapi.log: copy failed (error 33), the holder is not named by Windows"},
        // 1223: the user cancelled in the shell's error window.
        {"a failure nobody holds, a cancelled copy", [&](gx::FakePlatform&, CAction& a) {
             failed(5)(a);
             a.m_Record.rows[1] = {ItemOutcome::Failed, 0, false, 1223, "SHFileOperation", ""};
         }, Status::Pass, ""},
        {"a failure nobody can tell about", [&](gx::FakePlatform& f, CAction& a) {
             failed(5)(a);
             f.Fail(gx::FakeOp::Call_RmStartSession, 29);
         }, Status::Skip, "1 copies failed and who holds them cannot be told: no Restart Manager session (error 29)"},
    });
}

TEST_F(FindingsTest, EventLogsAreReadNewestFirstAndOnlyNinetyDaysOrFiftyThousandRecordsBack) {
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, 95 * kDay, {"too old"}));
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, 89 * kDay, {"older"}));
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7036, 2 * kDay, {"not looked at"}));
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, kDay, {"newer", std::string(5000, 'x')}));
    findings::EventLogFacts log = findings::ReadEventLog("System", kNow);
    ASSERT_TRUE(log.read) << log.reason;
    ASSERT_EQ(log.records.size(), 2u);  // filtered while reading
    EXPECT_EQ(log.records[0].strings[0], "newer");
    EXPECT_EQ(log.records[0].strings[1].size(), findings::kEventTextKept);
    EXPECT_EQ(log.records[0].id, 7000u);
    EXPECT_EQ(log.scanned, 4u);  // the too old one ends the reading
    EXPECT_FALSE(log.limited);

    for (gx::DWORD i = 0; i < findings::kEventRecordLimit + 10; ++i)
        fake.eventLog().AddRecord("Application", Event(i % 2 ? "MsiInstaller" : "Other", 1033, 50100 - i, {"x"}));
    log = findings::ReadEventLog("Application", kNow);
    EXPECT_TRUE(log.read);
    EXPECT_TRUE(log.limited);
    EXPECT_EQ(log.scanned, findings::kEventRecordLimit);
    EXPECT_EQ(log.records.size(), findings::kEventRecordLimit / 2);
    EXPECT_EQ(log.oldest, kNow - 50090);  // the window covered: back to the 50,000th newest
}

// A record without a terminated source or with strings past its end is
// skipped and counted; the records around it are still read.
TEST_F(FindingsTest, ADamagedEventRecordSkipsOnlyItself) {
    // The text after the head ends without a terminator.
    auto damaged = [](const std::string& text, gx::WORD strings) {
        gx::EVENTLOGRECORD head = {};
        head.Length = static_cast<gx::DWORD>(sizeof(head) + text.size() + 4);
        head.TimeGenerated = kNow - kDay;
        head.EventID = 7000;
        head.NumStrings = strings;
        head.StringOffset = static_cast<gx::DWORD>(sizeof(head) + text.find('\0') + 1);
        std::string bytes(reinterpret_cast<const char*>(&head), sizeof(head));
        bytes += text + Dword(head.Length);
        gx::FakeEventRecord record;
        record.raw = bytes;
        return record;
    };
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, 2 * kDay, {"before"}));
    fake.eventLog().AddRecord("System", damaged("Service Control", 0));
    fake.eventLog().AddRecord("System", damaged(std::string("Service Control Manager\0str", 27), 2));
    fake.eventLog().AddRecord("System", Event("Service Control Manager", 7000, kDay, {"after"}));
    const findings::EventLogFacts log = findings::ReadEventLog("System", kNow);
    ASSERT_TRUE(log.read) << log.reason;
    EXPECT_EQ(log.damaged, 2u);
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records[0].strings[0], "after");
    EXPECT_EQ(log.records[1].strings[0], "before");
}

// A rule that meets data it cannot handle is reported as skipped, and the
// other rules still run.
TEST_F(FindingsTest, ARuleThatThrowsIsSkippedAndTheNextStillRuns) {
    const findings::Facts facts;
    const std::vector<findings::Rule> rules = {
        {"first", [](const findings::Facts&) -> findings::Result { throw std::out_of_range("vector"); }},
        {"second", [](const findings::Facts&) { return findings::Pass(); }},
        {"third", [](const findings::Facts&) {
             return findings::Fail(findings::Severity::Info, "t", {{"value", 0, std::string(300, 'v')}}, "r");
         }},
    };
    const std::vector<findings::Result> results = findings::RunRules(facts, rules);
    ASSERT_EQ(results.size(), 3u);
    // Evidence of any source is cut as a log line is.
    EXPECT_EQ(results[2].evidence[0].text, std::string(240, 'v') + "...");
    EXPECT_EQ(results[0].status, Status::Skip);
    EXPECT_EQ(results[0].reason, "the rule stopped on data it cannot handle: vector");
    EXPECT_EQ(std::string(results[1].id), "second");
    EXPECT_EQ(results[1].status, Status::Pass);
}

TEST_F(FindingsTest, JsonHasOneResultPerRuleWithOnlyItsFieldsInUtf8) {
    const std::vector<findings::Result> results = {
        Named("installer-log-failure", findings::Fail(findings::Severity::Error, "Setup failed \"here\"",
                       {{"File_Save\\C\\WINDOWS\\HvAutSw_Inst.log", 1234, "Action ended 10:00:05: InstallFinalize. Return value 3."},
                        {"mutex Global\\_MSIExecute", 0, "Gr\xf6\xdf" "e \x80"}},
                       "Repair.")),
        Named("installer-busy", findings::Pass()),
        Named("installer-events", findings::Skip("tab\there\x01\x1f")),
    };
    EXPECT_EQ(findings::FindingsJson(results),
              "{\"schema\": 1, \"ruleset\": \"2\", \"results\": [\r\n"
              "  {\"id\": \"installer-log-failure\", \"status\": \"fail\", \"severity\": \"error\", "
              "\"title\": \"Setup failed \\\"here\\\"\", \"evidence\": ["
              "{\"source\": \"File_Save\\\\C\\\\WINDOWS\\\\HvAutSw_Inst.log\", \"line\": 1234, "
              "\"text\": \"Action ended 10:00:05: InstallFinalize. Return value 3.\"}, "
              "{\"source\": \"mutex Global\\\\_MSIExecute\", \"text\": \"Gr\xc3\xb6\xc3\x9f" "e \xe2\x82\xac\"}], "
              "\"remedy\": \"Repair.\"},\r\n"
              "  {\"id\": \"installer-busy\", \"status\": \"pass\"},\r\n"
              "  {\"id\": \"installer-events\", \"status\": \"skip\", \"reason\": \"tab\\there\\u0001\\u001f\"}\r\n"
              "]}\r\n");
}

// findings.json made a link to a system file: the run writes nothing
// through it, as for every other output file.
TEST_F(FindingsTest, FindingsJsonIsNotWrittenThroughALink) {
    fake.files().WriteFile("C:\\WINDOWS\\system32\\config\\SAM", "the machine's accounts");
    fake.files().MakeJunction("C:\\Tools\\CollectInfo\\findings.json", "C:\\WINDOWS\\system32\\config\\SAM");
    CAction action;
    action.m_szDest_Path = "C:\\Tools\\CollectInfo\\";
    EXPECT_FALSE(findings::WriteFindingsJson(action, {Named("low-disk", findings::Pass())}));
    EXPECT_EQ(fake.files().ReadFile("C:\\WINDOWS\\system32\\config\\SAM"), "the machine's accounts");
    const std::vector<std::string> lines = LogMessages();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "ERR Findings::WriteFindingsJson -> reparse point, not followed: C:\\Tools\\CollectInfo\\findings.json"),
              lines.end());
}

TEST_F(FindingsTest, TheSectionListsErrorsFirstThenCountsAndSaysWhenNothingIsWrong) {
    const std::vector<findings::Result> results = {
        Named("pending-restart", findings::Fail(findings::Severity::Warning, "A restart is pending",
                       {{"HKLM\\X\\RebootRequired", 0, "key exists"}}, "Restart.")),
        Named("installer-events", findings::Skip("no log")),
        Named("installer-log-failure", findings::Fail(findings::Severity::Error, "Setup failed",
                       {{"File_Save\\a.log", 12, "Return value 3."}}, "Repair.")),
        Named("low-disk", findings::Pass()),
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
    EXPECT_EQ(findings::SectionLines({Named("a", findings::Pass()), Named("b", findings::Pass())}),
              (std::vector<std::string>{"No known problem found. 2 rules ran: 0 failed, 2 passed, 0 skipped."}));
}

}  // namespace
