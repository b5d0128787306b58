#include <string>
#include <vector>

#include "environment/c_f_reg.h"
#include "registry_fixture.h"
#include "resource.h"

using namespace gx;

namespace {

class HiveExportTest : public RegistryTest {};

TEST_F(HiveExportTest, SavesTheFiveBranchesWithTheBackupPrivilegeOnlyDuringTheRun) {
    CAction action;
    fake.ClearCalls();
    EXPECT_EQ(action.Collect_Registry(), TRUE);

    for (const RegistryHive& hive : HiveTable) EXPECT_TRUE(fake.files().Exists(File(hive))) << hive.szSaveFile;
    EXPECT_EQ(LogFrom("> Tool::Collect_Registry"), (std::vector<std::string>{
                                 "> Tool::Collect_Registry",
                                 "CTool::Collect_Registry -> GetFileAttributes, "
                                 "szDir:C:\\Tools\\CollectInfo\\Registry_Save\\,dwRet=-1",
                                 "Tool::Collect_Registry -> CreateDirectory, bRet=1",
                                 "< Tool::Collect_Registry",
                             }));
    EXPECT_EQ(fake.ui().Beeps(), 0);

    // The product key holder comes first, the token with the adjusting right.
    ASSERT_FALSE(fake.Calls().empty());
    EXPECT_EQ(fake.Calls()[0].op, gx::FakeOp::RegCreateKeyExA);
    EXPECT_EQ(fake.Calls()[0].args[0], kProductKey);
    ASSERT_EQ(fake.CountOf(gx::FakeOp::OpenProcessToken), 1);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::OpenProcessToken)[0].args[0], "0x20");

    // One-entry request of 16 bytes: LUID 17 enabled (2), then switched off.
    std::vector<FakeCall> adjust = fake.CallsOf(gx::FakeOp::AdjustTokenPrivileges);
    ASSERT_EQ(adjust.size(), 2u);
    EXPECT_EQ(adjust[0].args, (std::vector<std::string>{"0", "16", "17", "2"}));
    EXPECT_EQ(adjust[1].args, (std::vector<std::string>{"0", "16", "17", "0"}));
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::LookupPrivilegeValueA)[0].args,
              (std::vector<std::string>{"local", "SeBackupPrivilege"}));
    EXPECT_TRUE(fake.security().EnabledPrivileges().empty());

    // The subkeys exactly as written, opened with every right.
    std::vector<FakeCall> opens = fake.CallsOf(gx::FakeOp::RegOpenKeyExA);
    ASSERT_EQ(opens.size(), 5u);
    for (int row = 0; row < kHiveCount; ++row) {
        EXPECT_EQ(opens[row].args[0], HiveTable[row].szSubKey);
        EXPECT_EQ(opens[row].args[1], "0xF003F");
        EXPECT_EQ(opens[row].args[2], "0");
        EXPECT_EQ(fake.CallsOf(gx::FakeOp::RegSaveKeyA)[row].args[0], File(HiveTable[row]));
    }
    EXPECT_EQ(opens[0].args[0], "SOFTWARE\\Halvorn\\");
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::CreateDirectoryA)[0].args[0], kFolder);
}

TEST_F(HiveExportTest, WithoutTheBackupPrivilegeNothingIsCreated) {
    fake.security().DropPrivilege("SeBackupPrivilege");
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), FALSE);
    EXPECT_TRUE(Logged("Tool::Collect_Registry -> EnablePrivilege(TRUE)=1300"));
    EXPECT_FALSE(fake.files().Exists(kFolder));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::CreateDirectoryA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegSaveKeyA), 0);
    EXPECT_EQ(fake.ui().Beeps(), 5);
}

TEST_F(HiveExportTest, WithoutATokenNothingIsTouched) {
    fake.Fail(gx::FakeOp::OpenProcessToken, ERROR_ACCESS_DENIED);
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), FALSE);
    EXPECT_TRUE(Logged("Tool::Collect_Registry -> OpenProcessToken()=5"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::AdjustTokenPrivileges), 0);
    EXPECT_FALSE(fake.files().Exists(kFolder));
}

TEST_F(HiveExportTest, AFolderThatCannotBeCreatedStopsTheExport) {
    fake.Fail(gx::FakeOp::CreateDirectoryA, ERROR_ACCESS_DENIED);
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), FALSE);
    EXPECT_TRUE(Logged("Tool::Collect_Registry -> Error, CreateDirectory"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 0);
    EXPECT_TRUE(fake.security().EnabledPrivileges().empty()) << "the backup privilege is off again";
}

TEST_F(HiveExportTest, AMachineWithoutTheMakersBranchStillSavesTheOtherFour) {
    // The product key holder would create the branch; here it is refused.
    RemoveKey("SOFTWARE", "halvorn");
    fake.Fail(gx::FakeOp::RegCreateKeyExA, ERROR_ACCESS_DENIED);
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_TRUE(Logged("Tool::Collect_Registry(SOFTWARE\\Halvorn\\): RegOpenKeyEx(2)"));
    EXPECT_FALSE(fake.files().Exists(File(HiveTable[0])));
    for (int row = 1; row < kHiveCount; ++row) EXPECT_TRUE(fake.files().Exists(File(HiveTable[row])));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegSaveKeyA), 4);
    EXPECT_EQ(fake.ui().Beeps(), 5);
}

TEST_F(HiveExportTest, WhereTheProductKeyCanBeCreatedTheMakersBranchIsNeverMissing) {
    RemoveKey("SOFTWARE", "halvorn");
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_TRUE(LoggedStartingWith("Tool::Collect_Registry(", 0));
    // The fake's hive text holds key names in hex: "CORVANE_NET".
    std::string hive = fake.files().ReadFile(File(HiveTable[0]));
    EXPECT_NE(hive.find("434f5256414e455f4e4554"), std::string::npos) << hive;
}

TEST_F(HiveExportTest, AnExistingHiveFileIsLeftAloneAndTheRestAreSaved) {
    fake.files().WriteFile(File(HiveTable[1]), "from an earlier run");
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_TRUE(Logged("ERR Tool::Collect_Registry(System\\CurrentControlSet\\Services): RegSaveKey(183) "
                       "File: C:\\Tools\\CollectInfo\\Registry_Save\\services.sav"));
    EXPECT_TRUE(Logged("CTool::Collect_Registry -> GetFileAttributes, "
                       "szDir:C:\\Tools\\CollectInfo\\Registry_Save\\,dwRet=16"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::CreateDirectoryA), 0);
    EXPECT_EQ(fake.files().ReadFile(File(HiveTable[1])), "from an earlier run");
    for (int row : {0, 2, 3, 4}) EXPECT_TRUE(fake.files().Exists(File(HiveTable[row])));
    EXPECT_TRUE(LoggedStartingWith("ERR ", 1));
    EXPECT_EQ(fake.ui().Beeps(), 5);  // an error line
}

TEST_F(HiveExportTest, AFileInPlaceOfTheFolderIsNotTouchedAndStopsTheExport) {
    // The folder is named with its trailing backslash, and the platform
    // finds no folder of that name (as Windows and Wine do): the creation
    // then fails on the existing file.
    fake.files().WriteFile("C:\\Tools\\CollectInfo\\Registry_Save", "not a folder");
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), FALSE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::CreateDirectoryA), 1);
    EXPECT_EQ(fake.files().ReadFile("C:\\Tools\\CollectInfo\\Registry_Save"), "not a folder");
    EXPECT_TRUE(Logged("Tool::Collect_Registry -> Error, CreateDirectory"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegSaveKeyA), 0);
}

TEST_F(HiveExportTest, ProgressBarGetsOneRangeOneStepAndFiveAdvancesEachBeforeItsHive) {
    HWND bar = fake.ui().AddWindow(IDC_PROGRESS, "msctls_progress32");
    HWND text = fake.ui().AddWindow(IDC_STATUS, "Static");
    fake.ui().SetPosition(bar, 3);  // left there by the file copy
    CProgressCtrl progress;
    progress.Attach(bar);
    CStatic status;
    status.Attach(text);
    CAction action(&progress, &status);
    fake.ClearCalls();
    fake.ui().QueueMessage(MSG{text, WM_NULL, 0, 0});
    fake.ui().QueueMessage(MSG{bar, WM_PAINT, 0, 0});
    // The product key stays open through the loop; each hive's key is
    // closed before the next pause.
    std::vector<int> keysOpenAtPause;
    fake.process().OnSleep([&] {
        keysOpenAtPause.push_back(fake.registry().OpenKeys());
    });
    EXPECT_EQ(action.Collect_Registry(), TRUE);

    std::vector<std::string> steps;
    for (const FakeCall& call : fake.Calls()) {
        if (call.op == gx::FakeOp::SendMessageA) steps.push_back(call.args[1] + " " + call.args[2] + " " + call.args[3]);
        if (call.op == gx::FakeOp::SetWindowTextA) steps.push_back("text " + call.args[1]);
        if (call.op == gx::FakeOp::Sleep || call.op == gx::FakeOp::RegSaveKeyA) steps.push_back(gx::FakeOpName(call.op));
    }
    std::vector<std::string> expected = {"0x401 0 0x50000", "0x404 1 0x0"};
    for (const RegistryHive& hive : HiveTable) {
        expected.push_back("0x405 0 0x0");
        expected.push_back(std::string("text ") + hive.szSubKey);
        expected.push_back("Sleep");
        expected.push_back("RegSaveKeyA");
    }
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(keysOpenAtPause, std::vector<int>(5, 1));
    EXPECT_EQ(fake.process().SleptMs(), 1250u);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::DispatchMessageA), 2);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::TranslateMessage), 2);
    // Not reset by the range: 3, then 4, 5 and on past the top.
    EXPECT_NE(fake.ui().Window(bar).position, 0);
    EXPECT_EQ(fake.ui().Window(text).text, HiveTable[4].szSubKey);
}

TEST_F(HiveExportTest, WithoutControlsThereAreNoWindowMessagesAndNoPauses) {
    CAction action;
    fake.ui().QueueMessage(MSG{nullptr, WM_NULL, 0, 0});
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SendMessageA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SetWindowTextA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::PeekMessageA), 0);
    EXPECT_EQ(fake.process().Sleeps(), 0);
    EXPECT_EQ(fake.ui().QueuedMessages(), 1u);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegSaveKeyA), 5);
}

TEST_F(HiveExportTest, FailingToSwitchThePrivilegeOffIsTracedAndStillSucceeds) {
    fake.Fail(gx::FakeOp::AdjustTokenPrivileges, ERROR_NOT_ALL_ASSIGNED, 1, 1);
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_TRUE(Logged("Tool::Collect_Registry -> EnablePrivilege(FALSE)=1300"));
    EXPECT_EQ(LogMessages().back(), "< Tool::Collect_Registry");
}

TEST_F(HiveExportTest, ARefusedOrTooDeepFolderIsNeverWrittenTo) {
    // 3 + 241 + 1 = 245 characters: with "msinstfeat.sav" exactly 259.
    const std::string fits = "C:\\" + std::string(241, 'f') + "\\";
    const std::string tooDeep = "C:\\" + std::string(242, 'd') + "\\";
    for (const std::string& folder : {std::string(), tooDeep}) {
        CAction action;
        action.m_szDest_Path_Registry = folder;
        fake.ClearCalls();
        EXPECT_EQ(action.Collect_Registry(), FALSE) << folder;
        EXPECT_EQ(fake.CountOf(gx::FakeOp::OpenProcessToken), 0);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::CreateDirectoryA), 0);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::RegSaveKeyA), 0);
    }
    EXPECT_TRUE(Logged("ERR Tool::Collect_Registry -> registry folder refused (260 characters): " + tooDeep));
    EXPECT_TRUE(LoggedStartingWith("ERR Tool::Collect_Registry -> registry folder refused", 2));

    CAction action;
    action.m_szDest_Path_Registry = fits;
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_TRUE(fake.files().Exists(fits + "msinstfeat.sav"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegSaveKeyA), 5);
}

TEST_F(HiveExportTest, EnablePrivilegeCountsOnlyACleanLastError) {
    CAction action;
    HANDLE token = nullptr;
    ASSERT_TRUE(fake.OpenProcessToken(fake.GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    EXPECT_EQ(action.EnablePrivilege(token, "SeRestorePrivilege", TRUE), TRUE);
    EXPECT_EQ(action.EnablePrivilege(token, "SeRestorePrivilege", TRUE), TRUE);  // already on
    EXPECT_EQ(action.EnablePrivilege(token, "SeBackupPrivilege", FALSE), TRUE);  // already off
    EXPECT_EQ(fake.security().EnabledPrivileges(), (std::set<std::string>{"SeRestorePrivilege"}));

    // A privilege the token lacks: the call succeeds, the last error says no.
    fake.security().DropPrivilege("SeBackupPrivilege");
    EXPECT_EQ(action.EnablePrivilege(token, "SeBackupPrivilege", TRUE), FALSE);
    EXPECT_EQ(fake.GetLastError(), ERROR_NOT_ALL_ASSIGNED);
    fake.CloseHandle(token);

    // A token opened without the adjusting right.
    ASSERT_TRUE(fake.OpenProcessToken(fake.GetCurrentProcess(), TOKEN_QUERY, &token));
    EXPECT_EQ(action.EnablePrivilege(token, "SeRestorePrivilege", FALSE), FALSE);
    EXPECT_EQ(fake.GetLastError(), ERROR_ACCESS_DENIED);
    fake.CloseHandle(token);
}

TEST(HiveTableTest, RowsAreExactlyAsWritten) {
    const char* const subKeys[] = {"SOFTWARE\\Halvorn\\", "System\\CurrentControlSet\\Services",
                                   "SOFTWARE\\Microsoft\\Ole",
                                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                   "SOFTWARE\\Classes\\Installer\\Features"};
    const char* const files[] = {"halvorn.sav", "services.sav", "msole.sav", "msuninst.sav", "msinstfeat.sav"};
    for (int row = 0; row < kHiveCount; ++row) {
        EXPECT_EQ(HiveTable[row].hKeyRoot, HKEY_LOCAL_MACHINE);
        EXPECT_STREQ(HiveTable[row].szSubKey, subKeys[row]);
        EXPECT_STREQ(HiveTable[row].szSaveFile, files[row]);
    }
}

// 64-bit Windows: the five files keep the 32-bit program's view; a branch
// the registry keeps apart for 32-bit programs is saved once more from the
// 64-bit view where it exists there, shared and unredirected ones are not.
TEST_F(HiveExportTest, On64BitWindowsRedirectedBranchesAreSavedAgainFromThe64BitView) {
    fake.process().SetWow64(true);
    fake.registry().SetString("SOFTWARE\\Wow6432Node\\Halvorn", "View", "32-bit installers");
    fake.registry().SetString("SOFTWARE\\Halvorn", "View", "64-bit component");
    // The Uninstall branch only in the 64-bit view: its 32-bit file fails.
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_NE(fake.files().ReadFile(File(HiveTable[0])).find(FakeHexBytes("32-bit installers")), std::string::npos);
    const std::string folder = kFolder;
    EXPECT_NE(fake.files().ReadFile(folder + "halvorn64.sav").find(FakeHexBytes("64-bit component")), std::string::npos);
    EXPECT_FALSE(fake.files().Exists(File(HiveTable[3])));
    EXPECT_TRUE(fake.files().Exists(folder + "msuninst64.sav"));
    for (const char* shared : {"services64.sav", "msole64.sav", "msinstfeat64.sav"})
        EXPECT_FALSE(fake.files().Exists(folder + shared)) << shared;
    ASSERT_EQ(action.m_Record.hives64.size(), 2u);
    EXPECT_EQ(action.m_Record.hives64[1].row, 3);
    EXPECT_EQ(action.m_Record.hives64[1].item.outcome, ItemOutcome::Written);
    EXPECT_TRUE(fake.security().EnabledPrivileges().empty());
}

}  // namespace
