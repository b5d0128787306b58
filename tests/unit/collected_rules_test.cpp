// The rules over collected files, product paths and the family's
// registrations, in the findings' one harness: each one's fail (with its
// evidence), pass and skip (with its reason), from copies, files and keys
// made in the fake.
#include <string>

#include "findings_fixture.h"

namespace {

using namespace findingstest;
using filestest::kNetPC;
using filestest::kShared;

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

const std::string kInstLog = "File_Save\\WINDOWS\\HvAutSw_Inst.log";
const std::string kSetupApi = "File_Save\\WINDOWS\\setupapi.log";
const std::string kSetupDev = "File_Save\\WINDOWS\\INF\\setupapi.dev.log";

TEST_F(FindingsTest, InstallerLogFailure) {
    CheckRule("installer-log-failure", findings::Severity::Error, {
        {"InstallerLogFailsWithActionAndErrorLine", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log",
                      kMsiHeader +
                          "MSI (s) (A8:BC) [10:00:01:000]: Note: 1: 2205 2:  3: Error \r\n"
                          "MSI (s) (A8:BC) [10:00:01:500]: Product: Corvane NET PC -- Error 1402. Key not opened.\r\n"
                          "MSI (s) (A8:BC) [10:00:02:000]: Product: Corvane NET PC -- Error 1722. Custom action failed.\r\n"
                          "Action ended 10:00:03: CA_RegisterDrivers. Return value 3.\r\n"
                          "Action ended 10:00:05: INSTALL. Return value 3.\r\n");
         }, Status::Fail, kInstLog + ":5: Action ended 10:00:03: CA_RegisterDrivers. Return value 3.\n" + kInstLog +
             ":4: MSI (s) (A8:BC) [10:00:02:000]: Product: Corvane NET PC -- Error 1722. Custom action failed.", kWhole},
        // A German log in UTF-16 with an odd last byte and no final line end.
        {"InstallerLogUtf16OddBytesWithoutLineEnd", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "CorNetPC_Uninst.log",
                      Utf16(kGermanMsiHeader + "MSI (s) (A8:BC) [10:00:02:000]: Note: 1: 1708 \r\n"
                                               "Aktion beendet um 10:00:03: InstallFinalize. R\xFC" "ckgabewert 3.") +
                          "\x01");
         }, Status::Fail, "File_Save\\WINDOWS\\CorNetPC_Uninst.log:3: Aktion beendet um 10:00:03: InstallFinalize. R\xFC"
         "ckgabewert 3.\n"
         "File_Save\\WINDOWS\\CorNetPC_Uninst.log:2: MSI (s) (A8:BC) [10:00:02:000]: Note: 1: 1708 ", kWhole},
        // A line of 100,000 characters with a NUL in it counts as one line and
        // is shown cut.
        {"InstallerLogOverlongLine", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log",
                      kMsiHeader + "Error 1603" + std::string(1, '\0') + std::string(100000, 'x') +
                          "\r\nAction ended 10:00:03: INSTALL. Return value 3.\r\n");
         }, Status::Fail, kInstLog + ":3: Action ended 10:00:03: INSTALL. Return value 3.\n" + kInstLog +
             ":2: Error 1603 " + std::string(229, 'x') + "...", kWhole},
        // Return value 3 in a log the installer service did not write is no
        // verdict on an installation; a successful one passes.
        {"InstallerLogPasses", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log", kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 1.\r\n");
             Copied(f, a, "HvPreInst.log", "prerequisites\r\nReturn value 3\r\n");
         }, Status::Pass, ""},
        // Attempts appended to one log: the last one counts, earlier failures
        // are listed beside it; markers of any language (here French).
        {"InstallerLogLastAttemptFailedAfterAnEarlierOne", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log",
                      kMsiHeader + "Action ended 09:00:03: CA_A. Return value 3.\r\n=== Logging stopped: 11/30/2026  09:00:04 ===\r\n" +
                          kMsiHeader +
                          "MSI (s) (A8:BC) [10:00:01:000]: Produit : Corvane NET PC -- Erreur 1920. Le service ne d\xE9marre pas.\r\n"
                          "Fin de l'action 10:00:02 : CA_B. Valeur renvoy\xE9" "e 1.\r\n"
                          "Fin de l'action 10:00:03 : CA_C. Valeur renvoy\xE9" "e 3.\r\n"
                          "MSI (s) (A8:BC) [10:00:04:000]: Produit : Corvane NET PC -- Erreur 1603.\r\n"
                          "Fin de l'action 10:00:05 : INSTALL. Valeur renvoy\xE9" "e 3.\r\n");
         }, Status::Fail, kInstLog + ":7: Fin de l'action 10:00:03 : CA_C. Valeur renvoy\xE9" "e 3.\n" + kInstLog +
             ":5: MSI (s) (A8:BC) [10:00:01:000]: Produit : Corvane NET PC -- Erreur 1920. Le service ne d\xE9marre pas.\n" +
             kInstLog + ":2: earlier attempt (from line 1) failed too: Action ended 09:00:03: CA_A. Return value 3.", kWhole},
        {"InstallerLogLastAttemptSucceeded", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log",
                      kMsiHeader + "Action ended 09:00:03: INSTALL. Return value 3.\r\n=== Logging stopped: 11/30/2026 ===\r\n" +
                          kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 1.\r\n=== Logging stopped: 11/30/2026 ===\r\n");
         }, Status::Pass, ""},
        // A log that fails to read is no pass.
        {"InstallerLogUnreadable", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log", kMsiHeader);
             f.Fail(gx::FakeOp::ReadFile, gx::ERROR_ACCESS_DENIED, 1, 1);
         }, Status::Skip, kInstLog + " cannot be read (error 5)"},
        {"InstallerLogNoneCollected", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "CorNetPC_Error.txt", "x");
         }, Status::Skip, "no installation log was collected"},
    });
    findings::ReadBounds bounds;
    bounds.allLogsBytes = kMsiHeader.size() + 49;
    CheckRule("installer-log-failure", findings::Severity::Error, {
        // Together the logs are read up to their total bound.
        {"InstallerLogTotalBound", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log", kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 1.\r\n");
             Copied(f, a, "CorNetPC_Inst.log", kMsiHeader + "Action ended 10:00:05: INSTALL. Return value 3.\r\n");  // the first log
         }, Status::Skip, "File_Save\\WINDOWS\\CorNetPC_Inst.log not read: the installation logs' total bound was reached"},
    }, bounds);
    findings::ReadBounds bounds1;
    bounds1.logBytes = 300;
    CheckRule("installer-log-failure", findings::Severity::Error, {
        {"InstallerLogOverTheBoundSkips", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "HvAutSw_Inst.log", kMsiHeader + std::string(300, '.') + "\r\nAction ended: X. Return value 3.\r\n");
         }, Status::Skip, kInstLog + " is larger than 300 bytes; only its start was read"},
    }, bounds1);
}

TEST_F(FindingsTest, DuplicateProducts) {
    CheckRule("duplicate-products", findings::Severity::Warning, {
        {"DuplicateProductsAndMissingLocation", [](gx::FakePlatform& f, CAction&) {
             Entry(f, "{A}", "Corvane NET PC", "1.0");
             Entry(f, "{B}", "Corvane NET PC", "2.0");
             Entry(f, "{C}", "Halvorn License Manager", "3.1", "C:\\Program Files\\Halvorn\\License");
             Entry(f, "{D}", "Other Tool", "1.0", "C:\\Gone", "Someone");
         }, Status::Fail, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A}\\DisplayVersion: Corvane NET PC 1.0\n"
         "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{B}\\DisplayVersion: Corvane NET PC 2.0\n"
         "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{C}\\InstallLocation: Halvorn License Manager: "
         "C:\\Program Files\\Halvorn\\License (not found)", kWhole},
        {"DuplicateProductsNamesInAnyCase", [](gx::FakePlatform& f, CAction&) {
             Entry(f, "{A}", "Corvane NET PC", "1.0");
             Entry(f, "{B}", "CORVANE net pc", "2.0");
         }, Status::Fail, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A}\\DisplayVersion: Corvane NET PC 1.0\n"
         "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{B}\\DisplayVersion: CORVANE net pc 2.0", kWhole},
        // A bootstrapper's entry beside its hidden MSI entry, an entry without a
        // version: one installation each.
        {"DuplicateProductsPass", [](gx::FakePlatform& f, CAction&) {
             f.files().MakeDirectory(kNetPC);
             Entry(f, "{A}", "Corvane NET PC", "2.0", kNetPC);
             Entry(f, "{A-MSI}", "Corvane NET PC", "2.0.1234");
             f.registry().SetValue(kUninstall + "{A-MSI}", "SystemComponent", gx::REG_DWORD, std::string("\1\0\0\0", 4));
             Entry(f, "{B}", "Halvorn License Manager", "3.1");
             f.registry().SetString(kUninstall + "{B2}", "DisplayName", "Halvorn License Manager");
         }, Status::Pass, ""},
        {"DuplicateProductsWithoutFamily", [](gx::FakePlatform& f, CAction&) {
             f.registry().MakeKey(kUninstall + "Other");
         }, Status::Skip, "no entry of the product family under Uninstall"},
    });
}

TEST_F(FindingsTest, InstallerCache) {
    CheckRule("installer-cache", findings::Severity::Error, {
        {"InstallerCacheMissingPackage", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile("C:\\WINDOWS\\Installer\\2b.msi", "msi");
             Cached(f, "A1", "Corvane NET PC", "C:\\WINDOWS\\Installer\\1a.msi");
             Cached(f, "B2", "Halvorn License Manager", "C:\\WINDOWS\\Installer\\2b.msi");
             Cached(f, "C3", "Other Tool", "C:\\WINDOWS\\Installer\\3c.msi");
         }, Status::Fail, "HKLM\\" + kProducts + "A1\\InstallProperties\\LocalPackage: Corvane NET PC: C:\\WINDOWS\\Installer\\1a.msi", kWhole},
        {"InstallerCachePass", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile("C:\\WINDOWS\\Installer\\1a.msi", "msi");
             Cached(f, "A1", "Corvane NET PC", "C:\\WINDOWS\\Installer\\1a.msi");
         }, Status::Pass, ""},
        {"InstallerCacheUnreadable", [](gx::FakePlatform&, CAction&) {

         }, Status::Skip, "the installer's product registrations cannot be read (error 2)"},
    });
}

TEST_F(FindingsTest, ProductPaths) {
    CheckRule("product-paths", findings::Severity::Error, {
        {"ProductPathMissing", [](gx::FakePlatform& f, CAction&) {
             f.files().MakeDirectory(kShared);
         }, Status::Fail, "HKLM\\SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software\\Path: " + kNetPC, kWhole},
        {"ProductPathsExist", [](gx::FakePlatform& f, CAction&) {
             f.files().MakeDirectory(kShared);
             f.files().MakeDirectory(kNetPC);
         }, Status::Pass, ""},
        {"ProductPathsNotRegistered", [](gx::FakePlatform&, CAction& a) {
             a.m_Record.netPcPath = {ProductLookup::OpenFailed, 2};
             a.m_Record.sharedPath = {ProductLookup::OpenFailed, 2};
         }, Status::Skip, "no product path was read from the registry (HKLM\\SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC "
         "Software\\Path: key not opened, error 2; HKLM\\SOFTWARE\\HALVORN\\AUTSW\\Global\\SharedPath: key not "
         "opened, error 2)"},
    });
}

TEST_F(FindingsTest, ProductFileAttributes) {
    CheckRule("product-file-attributes", findings::Severity::Warning, {
        {"ProductFilesReadOnlyOrEncrypted", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile(kNetPC + "\\bin\\a.dll", "x");
             f.files().WriteFile(kNetPC + "\\bin\\b.dll", "x");
             f.files().WriteFile(kShared + "\\c.cfg", "x");
             f.files().SetExtraAttributes(kNetPC + "\\bin\\b.dll", gx::FILE_ATTRIBUTE_READONLY);
             f.files().SetExtraAttributes(kShared + "\\c.cfg", gx::FILE_ATTRIBUTE_COMPRESSED | gx::FILE_ATTRIBUTE_ENCRYPTED);
         }, Status::Fail, kNetPC + ", " + kShared + ": 2 files read-only, compressed or encrypted\n" + kNetPC +
             "\\bin\\b.dll: readonly\n" + kShared + "\\c.cfg: compressed encrypted", kWhole},
        // A folder whose name begins with the other's is not inside it: both are walked.
        {"ProductFilesFolderNamedLikeAnother", [](gx::FakePlatform& f, CAction& a) {
             f.files().WriteFile(kNetPC + "\\a.dll", "x");
             f.files().WriteFile(kNetPC + "Data\\b.cfg", "x");
             f.files().SetExtraAttributes(kNetPC + "Data\\b.cfg", gx::FILE_ATTRIBUTE_READONLY);
             a.m_szSharedPath = kNetPC + "Data";
         }, Status::Fail, kNetPC + ", " + kNetPC + "Data: 1 file read-only, compressed or encrypted\n" + kNetPC +
             "Data\\b.cfg: readonly", kWhole},
        // What a junction leads to is not the product's.
        {"ProductFilesPlainJunctionNotFollowed", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile(kNetPC + "\\bin\\a.dll", "x");
             f.files().WriteFile(kNetPC + "\\link\\system.ini", "x");
             f.files().SetExtraAttributes(kNetPC + "\\link", gx::FILE_ATTRIBUTE_REPARSE_POINT);
             f.files().SetExtraAttributes(kNetPC + "\\link\\system.ini", gx::FILE_ATTRIBUTE_READONLY);
             f.files().MakeDirectory(kShared);
         }, Status::Pass, ""},
        {"ProductFilesNoFolder", [](gx::FakePlatform&, CAction&) {

         }, Status::Skip, "no product folder to look into"},
    });
    findings::ReadBounds bounds;
    bounds.walkEntries = 5;
    CheckRule("product-file-attributes", findings::Severity::Warning, {
        // The walk stops at its bound: the read-only file beyond it is not seen.
        {"ProductFilesWalkBound", [](gx::FakePlatform& f, CAction& a) {
             for (char c = 'a'; c <= 'f'; ++c) f.files().WriteFile(kNetPC + "\\" + c + ".dll", "x");
             f.files().SetExtraAttributes(kNetPC + "\\f.dll", gx::FILE_ATTRIBUTE_READONLY);
             a.m_Record.sharedPath.state = ProductLookup::OpenFailed;
         }, Status::Skip, "the product folders hold more than 5 entries; none of the first 5 is read-only, compressed or encrypted"},
    }, bounds);
}

TEST_F(FindingsTest, CrashEvidence) {
    CheckRule("crash-evidence", findings::Severity::Warning, {
        {"CrashEvidenceDumpAndErrorFile", [](gx::FakePlatform& f, CAction& a) {
             LastWritten(f, Copied(f, a, "CorNetPC_Exception.dmp", "MDMP"), 2026, 11, 30, 8, 15);
             LastWritten(f, Copied(f, a, "NetPCSrv_Error.txt", "failed to start\r\n"), 2026, 12, 1, 23, 59);
             Copied(f, a, "NetPCCfg_Error.txt", "");
         }, Status::Fail, "File_Save\\Program Files\\Halvorn\\CorNetPC\\bin\\CorNetPC_Exception.dmp: 4 bytes, last written 2026-11-30 08:15:00 (7 days ago)\n"
         "File_Save\\Program Files\\Halvorn\\CorNetPC\\bin\\NetPCSrv_Error.txt: 17 bytes, last written 2026-12-01 23:59:00 (5 days ago)", kWhole},
        // Crash reports of the product in the event log count, others' do not.
        {"CrashEvidenceEventReport", [](gx::FakePlatform& f, CAction&) {
             AppEvent(f, "Application Error", 1000, 3 * 3600,
                     {"NetPCSrv.exe", "7.0.0.1", "ntdll.dll", "c0000005", kNetPC + "\\bin\\NetPCSrv.exe"});
             AppEvent(f, "Application Hang", 1002, 3600, {"viewer.exe", "1.0"});
         }, Status::Fail, "Application event log, 2026-12-07 06:05:03 UTC (3 hours ago), Application Error 1000: NetPCSrv.exe | "
         "7.0.0.1 | ntdll.dll | c0000005 | " + kNetPC + "\\bin\\NetPCSrv.exe", kWhole},
        // Windows XP's crash record and an error report name the program
        // alone: one of the product folder's programs is the family's.
        {"CrashEvidenceReportsNamingTheProgramAlone", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile(kNetPC + "\\bin\\CorNetPC.exe", "MZ");
             AppEvent(f, "Application Error", 1000, 2 * 3600, {"CorNetPC.exe", "7.0.0.1", "ntdll.dll", "5.1.2600.5512", "00012a3f"});
             AppEvent(f, "Windows Error Reporting", 1001, 3600, {"0", "APPCRASH", "Not available", "0", "corNETpc.exe", "7.0.0.1"});
         }, Status::Fail, "Application event log, 2026-12-07 08:05:03 UTC (1 hour ago), Windows Error Reporting 1001: 0 | APPCRASH | "
         "Not available | 0 | corNETpc.exe | 7.0.0.1\n"
         "Application event log, 2026-12-07 07:05:03 UTC (2 hours ago), Application Error 1000: CorNetPC.exe | 7.0.0.1 | "
         "ntdll.dll | 5.1.2600.5512 | 00012a3f", kWhole},
        // A namesake whose record names its own folder is not the product's.
        {"CrashEvidenceNamesakeElsewhere", [](gx::FakePlatform& f, CAction&) {
             f.files().WriteFile(kNetPC + "\\bin\\CorNetPC.exe", "MZ");
             AppEvent(f, "Application Error", 1000, 3600,
                     {"CorNetPC.exe", "1.0", "ntdll.dll", "6.1", "c0000005", "C:\\Games\\CorNetPC.exe"});
         }, Status::Pass, ""},
        // An empty error file, a dump of 31 days ago and a crash report of 40
        // days ago are history.
        {"CrashEvidenceEmptyOrOld", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "NetPCCfg_Error.txt", "");
             Copied(f, a, "HvAutSw_Inst.log", "x");
             LastWritten(f, Copied(f, a, "CorNetPC_Exception.dmp", "MDMP"), 2026, 11, 6, 9, 0);
             AppEvent(f, "Application Error", 1000, 40 * 86400, {"Corvane.exe"});
         }, Status::Pass, ""},
        {"CrashEvidenceWithoutFileStep", [](gx::FakePlatform&, CAction& a) {
             a.m_Record.rows.clear();
         }, Status::Skip, "the files were not collected"},
    });
}

TEST_F(FindingsTest, DeviceSetupFailures) {
    CheckRule("device-setup-failures", findings::Severity::Warning, {
        // Since Vista: the collected part of INF\setupapi.dev.log; a section
        // whose exit status is SUCCESS is not failed whatever it logged; the
        // family's drivers come first.
        {"DeviceSetupDevLogFamilyFirst", [](gx::FakePlatform& f, CAction& a) {
             f.files().WriteFile(filestest::kFileSave + "WINDOWS\\INF\\setupapi.dev.log",
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
         }, Status::Fail, kSetupDev + ":6: [Device Install (DiInstallDriver) - C:\\WINDOWS\\INF\\oem7.inf]\n" + kSetupDev +
             ":9: <<<  [Exit status: FAILURE(0xe000022f)]\n" + kSetupDev +
             ":2: [Device Install (Hardware initiated) - USB\\VID_0001]\n" + kSetupDev + ":4: !!!  dvi: Device not started", kWhole},
    });
    // Only other makers' devices failed: told, not warned of.
    CheckRule("device-setup-failures", findings::Severity::Info, {
        {"DeviceSetupFailedSection", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "setupapi.log",
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
         }, Status::Fail, kSetupApi + ":7: [Device Install (DiInstallDriver) - C:\\WINDOWS\\INF\\hvbus.inf]\n" +
             kSetupApi + ":11: <<<  [Exit status: FAILURE(0xe000022f)]", kWhole},
        // Of the older layout, in a log that ends without a line end.
        {"DeviceSetupFailedSectionOlderLayout", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "setupapi.log",
                      "[SetupAPI Log]\r\nOS Version = 5.1.2600 Service Pack 3\r\n"
                      "[2026/11/20 10:00:00 1234.5 Driver Install]\r\n"
                      "#-019 Searching for hardware ID(s): usb\\vid_0001\r\n"
                      "#E122 Device install failed. Error 0xe0000101");
         }, Status::Fail, kSetupApi + ":3: [2026/11/20 10:00:00 1234.5 Driver Install]\n" + kSetupApi +
             ":5: #E122 Device install failed. Error 0xe0000101", kWhole},
        // A retry's "!!!" line in a section that ends in success.
        {"DeviceSetupSucceeded", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "setupapi.log",
                      ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1234]\n"
                      ">>>  Section start 2026/12/06 10:00:00.123\n"
                      "!!!  dvi: retrying\n"
                      "<<<  [Exit status: SUCCESS]\n");
         }, Status::Pass, ""},
        {"DeviceSetupUnknownLayout", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "setupapi.log", std::string("\x00\x01garbage", 9));
         }, Status::Skip, kSetupApi + " has no section this rule knows"},
    });
    findings::ReadBounds bounds;
    bounds.logBytes = 100;
    CheckRule("device-setup-failures", findings::Severity::Warning, {
        // What lies beyond the bound may be failed: no verdict.
        {"DeviceSetupOverTheBoundSkips", [](gx::FakePlatform& f, CAction& a) {
             Copied(f, a, "setupapi.log",
                      ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1234]\n<<<  [Exit status: SUCCESS]\n" +
                          std::string(200, '.'));
         }, Status::Skip, kSetupApi + " is larger than 100 bytes; only its start was read"},
    }, bounds);
}

}  // namespace
