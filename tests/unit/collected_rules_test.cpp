// The rules over collected files, product paths and the family's
// registrations: each one's fail (with its evidence), pass and skip (with
// its reason), from copies, files and keys made in the fake.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <string>
#include <utime.h>
#include <vector>

#include "files_fixture.h"
#include "findings/engine.h"
#include "findings/facts.h"

using namespace filestest;
using findings::Result;

namespace {

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kProducts =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\";
const std::string kMsiHeader =
    "=== Verbose logging started: 11/30/2026  10:00:00  Build type: SHIP UNICODE 5.00.7601.00  Calling process: "
    "C:\\WINDOWS\\system32\\msiexec.exe ===\r\n";
const std::string kGermanMsiHeader =
    "=== Ausf\xFChrliche Protokollierung gestartet: 30.11.2026  10:00:00  Buildtyp: SHIP UNICODE 5.00.7601.00 ===\r\n";

// ANSI text as UTF-16LE with its byte-order mark.
std::string Utf16(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

// What a rule found, in one comparable text: its status, then either its
// reason or its severity and evidence lines.
std::string Outcome(const Result& result) {
    switch (result.status) {
    case findings::Status::Pass: return "pass";
    case findings::Status::Skip: return "skip: " + result.reason;
    case findings::Status::Fail: break;
    }
    const char* severity[] = {"error", "warning", "info"};
    std::string text = std::string("fail ") + severity[static_cast<int>(result.severity)];
    for (const findings::Evidence& item : result.evidence)
        text += "\n" + item.source + (item.line > 0 ? ":" + std::to_string(item.line) : "") + ": " + item.text;
    return text;
}

class CollectedRulesTest;
struct RuleCase {
    const char* name;
    std::function<Result(CollectedRulesTest&, CAction&)> run;  // makes the data, runs the rule
    std::string outcome;
};

void PrintTo(const RuleCase& rule, std::ostream* out) { *out << rule.name; }

class CollectedRulesTest : public FilesTest, public ::testing::WithParamInterface<RuleCase> {
public:
    using FilesTest::fake;  // for the cases' data

    // A run that copied nothing yet, started on 2026-12-07.
    void Prepare(CAction& action) {
        SetFolders(action);
        action.m_szDest_Path = kOutput;
        action.m_szDest_Path_Files = kFileSave;
        action.m_Record.rows.assign(kFileTableSize, RecordedItem());
        action.m_Record.started = {2026, 12, 1, 7, 9, 5, 3, 0};
        action.m_Record.netPcPath.state = ProductLookup::Found;
        action.m_Record.sharedPath.state = ProductLookup::Found;
    }

    // The rows naming `name` in the folder of the first of them were copied
    // with `content` (the second group repeats rows of the first); the copy's path.
    std::string Copied(CAction& action, const std::string& name, const std::string& content) {
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

    void Entry(const std::string& key, const std::string& name, const std::string& version,
               const std::string& location = "", const std::string& publisher = "Halvorn") {
        fake.registry().SetString(kUninstall + key, "DisplayName", name);
        fake.registry().SetString(kUninstall + key, "DisplayVersion", version);
        fake.registry().SetString(kUninstall + key, "Publisher", publisher);
        if (!location.empty()) fake.registry().SetString(kUninstall + key, "InstallLocation", location);
    }

    // Reads the facts as the run's end does and runs the table's rule `id`.
    Result Rule(const char* id, const CAction& action, const findings::ReadBounds& bounds = findings::ReadBounds()) {
        for (const findings::Rule& rule : findings::Rules())
            if (std::string(rule.id) == id) return findings::RunRules(findings::ReadFacts(action, bounds), {rule})[0];
        ADD_FAILURE() << "no rule " << id;
        return Result();
    }

    // A record of the Application log, `age` seconds before the fake's clock.
    void Event(const char* source, gx::DWORD id, gx::DWORD age, std::vector<std::string> strings) {
        gx::FakeEventRecord record;
        record.source = source;
        record.eventId = id;
        record.timeGenerated = 1796634303 - age;  // 2026-12-07 09:05:03 UTC
        record.strings = std::move(strings);
        fake.eventLog().AddRecord("Application", record);
    }

    void Cached(const std::string& product, const std::string& name, const std::string& package) {
        fake.registry().SetString(kProducts + product + "\\InstallProperties", "DisplayName", name);
        fake.registry().SetString(kProducts + product + "\\InstallProperties", "LocalPackage", package);
    }

    void LastWritten(const std::string& path, int year, int month, int day, int hour, int minute) {
        std::tm parts = {};
        parts.tm_year = year - 1900;
        parts.tm_mon = month - 1;
        parts.tm_mday = day;
        parts.tm_hour = hour;
        parts.tm_min = minute;
        utimbuf times = {timegm(&parts), timegm(&parts)};
        ASSERT_EQ(::utime(fake.files().HostPath(path).c_str(), &times), 0);
    }
};

const std::string kInstLog = "File_Save\\WINDOWS\\HvAutSw_Inst.log";
const std::string kSetupApi = "File_Save\\WINDOWS\\setupapi.log";
const std::string kSetupDev = "File_Save\\WINDOWS\\INF\\setupapi.dev.log";


const RuleCase kCases[] = {
    // ---- installer-log-failure ----
    {"InstallerLogFailsWithActionAndErrorLine",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log",
                  kMsiHeader +
                      "MSI (s) (A8:BC) [10:00:01:000]: Note: 1: 2205 2:  3: Error \r\n"
                      "MSI (s) (A8:BC) [10:00:01:500]: Product: Corvane NET PC -- Error 1402. Key not opened.\r\n"
                      "MSI (s) (A8:BC) [10:00:02:000]: Product: Corvane NET PC -- Error 1722. Custom action failed.\r\n"
                      "Action ended 10:00:03: CA_RegisterDrivers. Return value 3.\r\n"
                      "Action ended 10:00:05: INSTALL. Return value 3.\r\n");
         return t.Rule("installer-log-failure", a);
     },
     "fail error\n" + kInstLog + ":5: Action ended 10:00:03: CA_RegisterDrivers. Return value 3.\n" + kInstLog +
         ":4: MSI (s) (A8:BC) [10:00:02:000]: Product: Corvane NET PC -- Error 1722. Custom action failed."},
    // A German log in UTF-16 with an odd last byte and no final line end.
    {"InstallerLogUtf16OddBytesWithoutLineEnd",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "CorNetPC_Uninst.log",
                  Utf16(kGermanMsiHeader + "MSI (s) (A8:BC) [10:00:02:000]: Note: 1: 1708 \r\n"
                                           "Aktion beendet um 10:00:03: InstallFinalize. R\xFC" "ckgabewert 3.") +
                      "\x01");
         return t.Rule("installer-log-failure", a);
     },
     "fail error\nFile_Save\\WINDOWS\\CorNetPC_Uninst.log:3: Aktion beendet um 10:00:03: InstallFinalize. R\xFC"
     "ckgabewert 3.\n"
     "File_Save\\WINDOWS\\CorNetPC_Uninst.log:2: MSI (s) (A8:BC) [10:00:02:000]: Note: 1: 1708 "},
    // A line of 100,000 characters with a NUL in it counts as one line and
    // is shown cut.
    {"InstallerLogOverlongLine",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log",
                  kMsiHeader + "Error 1603" + std::string(1, '\0') + std::string(100000, 'x') +
                      "\r\nAction ended 10:00:03: INSTALL. Return value 3.\r\n");
         return t.Rule("installer-log-failure", a);
     },
     "fail error\n" + kInstLog + ":3: Action ended 10:00:03: INSTALL. Return value 3.\n" + kInstLog +
         ":2: Error 1603 " + std::string(229, 'x') + "..."},
    // Return value 3 in a log the installer service did not write is no
    // verdict on an installation; a successful one passes.
    {"InstallerLogPasses",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log", kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 1.\r\n");
         t.Copied(a, "HvPreInst.log", "prerequisites\r\nReturn value 3\r\n");
         return t.Rule("installer-log-failure", a);
     },
     "pass"},
    // Attempts appended to one log: the last one counts, earlier failures
    // are listed beside it; markers of any language (here French).
    {"InstallerLogLastAttemptFailedAfterAnEarlierOne",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log",
                  kMsiHeader + "Action ended 09:00:03: CA_A. Return value 3.\r\n=== Logging stopped: 11/30/2026  09:00:04 ===\r\n" +
                      kMsiHeader +
                      "MSI (s) (A8:BC) [10:00:01:000]: Produit : Corvane NET PC -- Erreur 1920. Le service ne d\xE9marre pas.\r\n"
                      "Fin de l'action 10:00:02 : CA_B. Valeur renvoy\xE9" "e 1.\r\n"
                      "Fin de l'action 10:00:03 : CA_C. Valeur renvoy\xE9" "e 3.\r\n"
                      "MSI (s) (A8:BC) [10:00:04:000]: Produit : Corvane NET PC -- Erreur 1603.\r\n"
                      "Fin de l'action 10:00:05 : INSTALL. Valeur renvoy\xE9" "e 3.\r\n");
         return t.Rule("installer-log-failure", a);
     },
     "fail error\n" + kInstLog + ":7: Fin de l'action 10:00:03 : CA_C. Valeur renvoy\xE9" "e 3.\n" + kInstLog +
         ":5: MSI (s) (A8:BC) [10:00:01:000]: Produit : Corvane NET PC -- Erreur 1920. Le service ne d\xE9marre pas.\n" +
         kInstLog + ":2: earlier attempt (from line 1) failed too: Action ended 09:00:03: CA_A. Return value 3."},
    {"InstallerLogLastAttemptSucceeded",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log",
                  kMsiHeader + "Action ended 09:00:03: INSTALL. Return value 3.\r\n=== Logging stopped: 11/30/2026 ===\r\n" +
                      kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 1.\r\n=== Logging stopped: 11/30/2026 ===\r\n");
         return t.Rule("installer-log-failure", a);
     },
     "pass"},
    // Together the logs are read up to their total bound.
    {"InstallerLogTotalBound",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log", kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 1.\r\n");
         t.Copied(a, "CorNetPC_Inst.log", kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 3.\r\n");
         findings::ReadBounds bounds;
         bounds.allLogsBytes = kMsiHeader.size() + 49;  // the first log
         return t.Rule("installer-log-failure", a, bounds);
     },
     "skip: File_Save\\WINDOWS\\CorNetPC_Inst.log not read: the installation logs' total bound was reached"},
    {"InstallerLogOverTheBoundSkips",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log", kMsiHeader + std::string(300, '.') + "\r\nAction ended: X. Return value 3.\r\n");
         findings::ReadBounds bounds;
         bounds.logBytes = 300;
         return t.Rule("installer-log-failure", a, bounds);
     },
     "skip: " + kInstLog + " is larger than 300 bytes; only its start was read"},
    // A log that fails to read is no pass.
    {"InstallerLogUnreadable",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "HvAutSw_Inst.log", kMsiHeader);
         t.fake.Fail(gx::FakeOp::ReadFile, gx::ERROR_ACCESS_DENIED, 1, 1);
         return t.Rule("installer-log-failure", a);
     },
     "skip: " + kInstLog + " cannot be read (error 5)"},
    {"InstallerLogNoneCollected",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "CorNetPC_Error.txt", "x");
         return t.Rule("installer-log-failure", a);
     },
     "skip: no installation log was collected"},

    // ---- duplicate-products ----
    {"DuplicateProductsAndMissingLocation",
     [](CollectedRulesTest& t, CAction& a) {
         t.Entry("{A}", "Corvane NET PC", "1.0");
         t.Entry("{B}", "Corvane NET PC", "2.0");
         t.Entry("{C}", "Halvorn License Manager", "3.1", "C:\\Program Files\\Halvorn\\License");
         t.Entry("{D}", "Other Tool", "1.0", "C:\\Gone", "Someone");
         return t.Rule("duplicate-products", a);
     },
     "fail warning\n"
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A}\\DisplayVersion: Corvane NET PC 1.0\n"
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{B}\\DisplayVersion: Corvane NET PC 2.0\n"
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{C}\\InstallLocation: Halvorn License Manager: "
     "C:\\Program Files\\Halvorn\\License (not found)"},
    {"DuplicateProductsNamesInAnyCase",
     [](CollectedRulesTest& t, CAction& a) {
         t.Entry("{A}", "Corvane NET PC", "1.0");
         t.Entry("{B}", "CORVANE net pc", "2.0");
         return t.Rule("duplicate-products", a);
     },
     "fail warning\n"
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A}\\DisplayVersion: Corvane NET PC 1.0\n"
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{B}\\DisplayVersion: CORVANE net pc 2.0"},
    // A bootstrapper's entry beside its hidden MSI entry, an entry without a
    // version: one installation each.
    {"DuplicateProductsPass",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().MakeDirectory(kNetPC);
         t.Entry("{A}", "Corvane NET PC", "2.0", kNetPC);
         t.Entry("{A-MSI}", "Corvane NET PC", "2.0.1234");
         t.fake.registry().SetValue(kUninstall + "{A-MSI}", "SystemComponent", gx::REG_DWORD, std::string("\1\0\0\0", 4));
         t.Entry("{B}", "Halvorn License Manager", "3.1");
         t.fake.registry().SetString(kUninstall + "{B2}", "DisplayName", "Halvorn License Manager");
         return t.Rule("duplicate-products", a);
     },
     "pass"},
    {"DuplicateProductsWithoutFamily",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.registry().MakeKey(kUninstall + "Other");
         return t.Rule("duplicate-products", a);
     },
     "skip: no entry of the product family under Uninstall"},

    // ---- installer-cache ----
    {"InstallerCacheMissingPackage",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().WriteFile("C:\\WINDOWS\\Installer\\2b.msi", "msi");
         t.Cached("A1", "Corvane NET PC", "C:\\WINDOWS\\Installer\\1a.msi");
         t.Cached("B2", "Halvorn License Manager", "C:\\WINDOWS\\Installer\\2b.msi");
         t.Cached("C3", "Other Tool", "C:\\WINDOWS\\Installer\\3c.msi");
         return t.Rule("installer-cache", a);
     },
     "fail error\nHKLM\\" + kProducts + "A1\\InstallProperties\\LocalPackage: Corvane NET PC: C:\\WINDOWS\\Installer\\1a.msi"},
    {"InstallerCachePass",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().WriteFile("C:\\WINDOWS\\Installer\\1a.msi", "msi");
         t.Cached("A1", "Corvane NET PC", "C:\\WINDOWS\\Installer\\1a.msi");
         return t.Rule("installer-cache", a);
     },
     "pass"},
    {"InstallerCacheUnreadable",
     [](CollectedRulesTest& t, CAction& a) { return t.Rule("installer-cache", a); },
     "skip: the installer's product registrations cannot be read (error 2)"},

    // ---- product-paths ----
    {"ProductPathMissing",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().MakeDirectory(kShared);
         return t.Rule("product-paths", a);
     },
     "fail error\nHKLM\\SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software\\Path: " + kNetPC},
    {"ProductPathsExist",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().MakeDirectory(kShared);
         t.fake.files().MakeDirectory(kNetPC);
         return t.Rule("product-paths", a);
     },
     "pass"},
    {"ProductPathsNotRegistered",
     [](CollectedRulesTest& t, CAction& a) {
         a.m_Record.netPcPath = {ProductLookup::OpenFailed, 2};
         a.m_Record.sharedPath = {ProductLookup::OpenFailed, 2};
         return t.Rule("product-paths", a);
     },
     "skip: no product path was read from the registry (HKLM\\SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC "
     "Software\\Path: key not opened, error 2; HKLM\\SOFTWARE\\HALVORN\\AUTSW\\Global\\SharedPath: key not "
     "opened, error 2)"},

    // ---- product-file-attributes ----
    {"ProductFilesReadOnlyOrEncrypted",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().WriteFile(kNetPC + "\\bin\\a.dll", "x");
         t.fake.files().WriteFile(kNetPC + "\\bin\\b.dll", "x");
         t.fake.files().WriteFile(kShared + "\\c.cfg", "x");
         t.fake.files().SetExtraAttributes(kNetPC + "\\bin\\b.dll", gx::FILE_ATTRIBUTE_READONLY);
         t.fake.files().SetExtraAttributes(kShared + "\\c.cfg", gx::FILE_ATTRIBUTE_COMPRESSED | gx::FILE_ATTRIBUTE_ENCRYPTED);
         return t.Rule("product-file-attributes", a);
     },
     "fail warning\n" + kNetPC + ", " + kShared + ": 2 files read-only, compressed or encrypted\n" + kNetPC +
         "\\bin\\b.dll: readonly\n" + kShared + "\\c.cfg: compressed encrypted"},
    // A folder whose name begins with the other's is not inside it: both are walked.
    {"ProductFilesFolderNamedLikeAnother",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().WriteFile(kNetPC + "\\a.dll", "x");
         t.fake.files().WriteFile(kNetPC + "Data\\b.cfg", "x");
         t.fake.files().SetExtraAttributes(kNetPC + "Data\\b.cfg", gx::FILE_ATTRIBUTE_READONLY);
         a.m_szSharedPath = kNetPC + "Data";
         return t.Rule("product-file-attributes", a);
     },
     "fail warning\n" + kNetPC + ", " + kNetPC + "Data: 1 file read-only, compressed or encrypted\n" + kNetPC +
         "Data\\b.cfg: readonly"},
    // What a junction leads to is not the product's.
    {"ProductFilesPlainJunctionNotFollowed",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().WriteFile(kNetPC + "\\bin\\a.dll", "x");
         t.fake.files().WriteFile(kNetPC + "\\link\\system.ini", "x");
         t.fake.files().SetExtraAttributes(kNetPC + "\\link", gx::FILE_ATTRIBUTE_REPARSE_POINT);
         t.fake.files().SetExtraAttributes(kNetPC + "\\link\\system.ini", gx::FILE_ATTRIBUTE_READONLY);
         t.fake.files().MakeDirectory(kShared);
         return t.Rule("product-file-attributes", a);
     },
     "pass"},
    // The walk stops at its bound: the read-only file beyond it is not seen.
    {"ProductFilesWalkBound",
     [](CollectedRulesTest& t, CAction& a) {
         for (char c = 'a'; c <= 'f'; ++c) t.fake.files().WriteFile(kNetPC + "\\" + c + ".dll", "x");
         t.fake.files().SetExtraAttributes(kNetPC + "\\f.dll", gx::FILE_ATTRIBUTE_READONLY);
         a.m_Record.sharedPath.state = ProductLookup::OpenFailed;
         findings::ReadBounds bounds;
         bounds.walkEntries = 5;
         return t.Rule("product-file-attributes", a, bounds);
     },
     "skip: the product folders hold more than 5 entries; none of the first 5 is read-only, compressed or encrypted"},
    {"ProductFilesNoFolder",
     [](CollectedRulesTest& t, CAction& a) { return t.Rule("product-file-attributes", a); },
     "skip: no product folder to look into"},

    // ---- crash-evidence ----
    {"CrashEvidenceDumpAndErrorFile",
     [](CollectedRulesTest& t, CAction& a) {
         t.LastWritten(t.Copied(a, "CorNetPC_Exception.dmp", "MDMP"), 2026, 11, 30, 8, 15);
         t.LastWritten(t.Copied(a, "NetPCSrv_Error.txt", "failed to start\r\n"), 2026, 12, 1, 23, 59);
         t.Copied(a, "NetPCCfg_Error.txt", "");
         return t.Rule("crash-evidence", a);
     },
     "fail warning\n"
     "File_Save\\Program Files\\Halvorn\\CorNetPC\\bin\\CorNetPC_Exception.dmp: 4 bytes, last written 2026-11-30 08:15:00 (7 days ago)\n"
     "File_Save\\Program Files\\Halvorn\\CorNetPC\\bin\\NetPCSrv_Error.txt: 17 bytes, last written 2026-12-01 23:59:00 (5 days ago)"},
    // Crash reports of the product in the event log count, others' do not.
    {"CrashEvidenceEventReport",
     [](CollectedRulesTest& t, CAction& a) {
         t.Event("Application Error", 1000, 3 * 3600,
                 {"NetPCSrv.exe", "7.0.0.1", "ntdll.dll", "c0000005", kNetPC + "\\bin\\NetPCSrv.exe"});
         t.Event("Application Hang", 1002, 3600, {"viewer.exe", "1.0"});
         return t.Rule("crash-evidence", a);
     },
     "fail warning\nApplication event log, 2026-12-07 06:05:03 UTC (3 hours ago), Application Error 1000: NetPCSrv.exe | "
     "7.0.0.1 | ntdll.dll | c0000005 | " + kNetPC + "\\bin\\NetPCSrv.exe"},
    // An empty error file, a dump of 31 days ago and a crash report of 40
    // days ago are history.
    {"CrashEvidenceEmptyOrOld",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "NetPCCfg_Error.txt", "");
         t.Copied(a, "HvAutSw_Inst.log", "x");
         t.LastWritten(t.Copied(a, "CorNetPC_Exception.dmp", "MDMP"), 2026, 11, 6, 9, 0);
         t.Event("Application Error", 1000, 40 * 86400, {"Corvane.exe"});
         return t.Rule("crash-evidence", a);
     },
     "pass"},
    {"CrashEvidenceWithoutFileStep",
     [](CollectedRulesTest& t, CAction& a) {
         a.m_Record.rows.clear();
         return t.Rule("crash-evidence", a);
     },
     "skip: the files were not collected"},

    // ---- device-setup-failures ----
    // Of the newer layout: a failed section within 90 days, an older one
    // (not shown) and a successful one.
    {"DeviceSetupFailedSection",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "setupapi.log",
                  "[Device Install Log]\r\n"
                  "[Boot Session: 2026/08/01 08:00:00.500]\r\n"
                  ">>>  [Device Install (Hardware initiated) - USB\\VID_0001]\r\n"
                  ">>>  Section start 2026/08/01 09:00:00.000\r\n"
                  "!!!  dvi: Device not started\r\n"
                  "<<<  [Exit status: FAILURE(0xe0000219)]\r\n"
                  ">>>  [Device Install (DiInstallDriver) - C:\\WINDOWS\\INF\\hvbus.inf]\r\n"
                  ">>>  Section start 2026/11/20 10:00:00.123\r\n"
                  "!    dvi: a warning only\r\n"
                  "<<<  Section end 2026/11/20 10:00:01.456\r\n"
                  "<<<  [Exit status: FAILURE(0xe000022f)]\r\n"
                  ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1234]\r\n"
                  ">>>  Section start 2026/12/06 10:00:00.123\r\n"
                  "<<<  [Exit status: SUCCESS]\r\n");
         return t.Rule("device-setup-failures", a);
     },
     "fail warning\n" + kSetupApi + ":7: [Device Install (DiInstallDriver) - C:\\WINDOWS\\INF\\hvbus.inf]\n" +
         kSetupApi + ":11: <<<  [Exit status: FAILURE(0xe000022f)]"},
    // Of the older layout, in a log that ends without a line end.
    {"DeviceSetupFailedSectionOlderLayout",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "setupapi.log",
                  "[SetupAPI Log]\r\nOS Version = 5.1.2600 Service Pack 3\r\n"
                  "[2026/11/20 10:00:00 1234.5 Driver Install]\r\n"
                  "#-019 Searching for hardware ID(s): usb\\vid_0001\r\n"
                  "#E122 Device install failed. Error 0xe0000101");
         return t.Rule("device-setup-failures", a);
     },
     "fail warning\n" + kSetupApi + ":3: [2026/11/20 10:00:00 1234.5 Driver Install]\n" + kSetupApi +
         ":5: #E122 Device install failed. Error 0xe0000101"},
    // Since Vista: the collected part of INF\setupapi.dev.log; a section
    // whose exit status is SUCCESS is not failed whatever it logged; the
    // family's drivers come first.
    {"DeviceSetupDevLogFamilyFirst",
     [](CollectedRulesTest& t, CAction& a) {
         t.fake.files().WriteFile(kFileSave + "WINDOWS\\INF\\setupapi.dev.log",
                                  "ice Install (partial first line)\r\n"
                                  ">>>  [Device Install (Hardware initiated) - USB\\VID_0001]\r\n"
                                  ">>>  Section start 2026/12/01 09:00:00.000\r\n"
                                  "!!!  dvi: Device not started\r\n"
                                  "<<<  [Exit status: FAILURE(0xe0000219)]\r\n"
                                  ">>>  [Device Install (DiInstallDriver) - C:\\WINDOWS\\INF\\oem7.inf]\r\n"
                                  ">>>  Section start 2026/12/02 10:00:00.123\r\n"
                                  "     inf: Provider: Halvorn AG\r\n"
                                  "<<<  [Exit status: FAILURE(0xe000022f)]\r\n"
                                  ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1234]\r\n"
                                  ">>>  Section start 2026/12/03 10:00:00.123\r\n"
                                  "!!!  dvi: retrying\r\n"
                                  "<<<  [Exit status: SUCCESS]\r\n");
         a.m_Record.setupDevLog.outcome = ItemOutcome::Written;
         return t.Rule("device-setup-failures", a);
     },
     "fail warning\n" + kSetupDev + ":6: [Device Install (DiInstallDriver) - C:\\WINDOWS\\INF\\oem7.inf]\n" + kSetupDev +
         ":9: <<<  [Exit status: FAILURE(0xe000022f)]\n" + kSetupDev +
         ":2: [Device Install (Hardware initiated) - USB\\VID_0001]\n" + kSetupDev + ":4: !!!  dvi: Device not started"},
    // What lies beyond the bound may be failed: no verdict.
    {"DeviceSetupOverTheBoundSkips",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "setupapi.log",
                  ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1234]\n<<<  [Exit status: SUCCESS]\n" +
                      std::string(200, '.'));
         findings::ReadBounds bounds;
         bounds.logBytes = 100;
         return t.Rule("device-setup-failures", a, bounds);
     },
     "skip: " + kSetupApi + " is larger than 100 bytes; only its start was read"},
    {"DeviceSetupSucceeded",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "setupapi.log",
                  ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1234]\n"
                  ">>>  Section start 2026/12/06 10:00:00.123\n"
                  "<<<  [Exit status: SUCCESS]\n");
         return t.Rule("device-setup-failures", a);
     },
     "pass"},
    {"DeviceSetupUnknownLayout",
     [](CollectedRulesTest& t, CAction& a) {
         t.Copied(a, "setupapi.log", std::string("\x00\x01garbage", 9));
         return t.Rule("device-setup-failures", a);
     },
     "skip: " + kSetupApi + " has no section this rule knows"},
};

TEST_P(CollectedRulesTest, Outcome) {
    CAction action;
    Prepare(action);
    EXPECT_EQ(Outcome(GetParam().run(*this, action)), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(Rules, CollectedRulesTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

}  // namespace
