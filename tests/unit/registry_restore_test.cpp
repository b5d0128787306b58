#include <string>
#include <vector>

#include "registry_fixture.h"

using namespace gx;

namespace {

class HiveRestoreTest : public RegistryTest {
protected:
    static std::string UserKey(const RegistryHive& hive, const std::string& name = "Usr1") {
        return std::string("Software\\Gathrix\\") + name + "\\" + hive.szSubKey;
    }

    // Same values, subkeys and order below both keys.
    static void ExpectSameTree(const FakeRegNode& want, const FakeRegNode& got, const std::string& where) {
        ASSERT_EQ(want.values.size(), got.values.size()) << where;
        for (const auto& value : want.values) {
            auto it = got.values.find(value.first);
            ASSERT_NE(it, got.values.end()) << where << " value " << value.first;
            EXPECT_EQ(it->second.type, value.second.type) << where;
            EXPECT_EQ(it->second.data, value.second.data) << where;
        }
        ASSERT_EQ(want.childOrder, got.childOrder) << where;
        for (const std::string& child : want.childOrder)
            ExpectSameTree(*want.children.at(child), *got.children.at(child), where + "\\" + child);
    }
};

TEST_F(HiveRestoreTest, AFolderWithoutTheFilesGivesFiveEmptyVolatileKeys) {
    fake.files().MakeDirectory(kFolder);
    CAction action;
    fake.ClearCalls();
    EXPECT_EQ(action.Restore_Registry("Usr1"), TRUE);

    std::vector<std::string> expected = {"> e_r_restore_reg_update_information"};
    for (const RegistryHive& hive : HiveTable)
        expected.push_back(std::string("Tool::Restore_Registry(") + hive.szSubKey + "): No File: " + File(hive));
    expected.push_back("< Tool::Restore_Registry");
    EXPECT_EQ(LogFrom(expected.front()), expected);

    std::vector<FakeCall> creates = fake.CallsOf(gx::FakeOp::RegCreateKeyExA);
    ASSERT_EQ(creates.size(), 6u);  // the product key, then one per row
    for (int row = 0; row < kHiveCount; ++row) {
        EXPECT_EQ(creates[row + 1].args[0], UserKey(HiveTable[row]));
        EXPECT_EQ(creates[row + 1].args[1], "0xF003F");
        EXPECT_EQ(creates[row + 1].args[2], "1");
        EXPECT_EQ(fake.CallsOf(gx::FakeOp::RegRestoreKeyA)[row].args,
                  (std::vector<std::string>{File(HiveTable[row]), "8"}));
        std::shared_ptr<const FakeRegNode> key = fake.registry().FindKey(UserKey(HiveTable[row]));
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(key->isVolatile);
        EXPECT_TRUE(key->values.empty());
        EXPECT_TRUE(key->children.empty());
    }
    EXPECT_EQ(creates[1].args[0], "Software\\Gathrix\\Usr1\\SOFTWARE\\Halvorn\\");
    // Missing keys on the way are created with the same option.
    EXPECT_TRUE(fake.registry().FindKey("Software\\Gathrix")->isVolatile);
    EXPECT_TRUE(fake.registry().FindKey("Software\\Gathrix\\Usr1\\SOFTWARE\\Microsoft")->isVolatile);

    std::vector<FakeCall> adjust = fake.CallsOf(gx::FakeOp::AdjustTokenPrivileges);
    ASSERT_EQ(adjust.size(), 2u);
    EXPECT_EQ(adjust[0].args, (std::vector<std::string>{"0", "16", "18", "2"}));
    EXPECT_EQ(adjust[1].args, (std::vector<std::string>{"0", "16", "18", "0"}));
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::OpenProcessToken)[0].args[0], "0x20");
    EXPECT_TRUE(fake.security().EnabledPrivileges().empty());
}

TEST_F(HiveRestoreTest, SavedHivesComeBackWithTheSameValues) {
    {
        CAction collector;
        ASSERT_EQ(collector.Collect_Registry(), TRUE);
    }
    CAction action;
    EXPECT_EQ(action.Restore_Registry("Usr1"), TRUE);
    EXPECT_TRUE(LoggedStartingWith("Tool::Restore_Registry(", 0));
    for (const RegistryHive& hive : HiveTable) {
        std::shared_ptr<const FakeRegNode> original = fake.registry().FindKey(hive.szSubKey);
        std::shared_ptr<const FakeRegNode> restored = fake.registry().FindKey(UserKey(hive));
        ASSERT_NE(restored, nullptr) << hive.szSubKey;
        ExpectSameTree(*original, *restored, hive.szSubKey);
        EXPECT_TRUE(restored->children.at("child")->children.at("leaf")->isVolatile);
    }
    EXPECT_EQ(fake.registry().FindKey(UserKey(HiveTable[2]) + "\\Child\\Leaf")->values.at("blob").data,
              std::string("\x00\x01\xFF", 3));
}

TEST_F(HiveRestoreTest, AKeyThatCannotBeCreatedStopsAtOnceAndKeepsEarlierRows) {
    {
        CAction collector;
        ASSERT_EQ(collector.Collect_Registry(), TRUE);
    }
    // Rows 3 and 4 lead through a key whose DACL refuses us.
    fake.registry().MakeKey("Software\\Gathrix\\Usr1\\SOFTWARE\\Microsoft", true);
    fake.registry().DenyOpen("Software\\Gathrix\\Usr1\\SOFTWARE\\Microsoft");
    CAction action;
    fake.ClearCalls();
    EXPECT_EQ(action.Restore_Registry("Usr1"), FALSE);
    EXPECT_EQ(LogMessages().back(), "Tool::Restore_Registry -> RegCreateKeyEx: 5");
    EXPECT_TRUE(fake.security().EnabledPrivileges().empty()) << "the restore privilege is off again";
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegCreateKeyExA), 1 + 3);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegRestoreKeyA), 2);
    EXPECT_EQ(fake.registry().FindKey(UserKey(HiveTable[0]))->values.at("name").data, std::string("SOFTWARE\\Halvorn") + '\0');
    EXPECT_NE(fake.registry().FindKey(UserKey(HiveTable[1]) + "\\Child\\Leaf"), nullptr);
    EXPECT_EQ(fake.registry().FindKey(UserKey(HiveTable[4])), nullptr);
}

TEST_F(HiveRestoreTest, AnUnreadableFileIsTracedAndTheLoopGoesOn) {
    fake.files().WriteFile(File(HiveTable[3]), "not a hive");
    CAction action;
    EXPECT_EQ(action.Restore_Registry(nullptr), TRUE);
    EXPECT_TRUE(Logged("Tool::Restore_Registry(SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall): "
                       "RegRestoreKey(1010) File: C:\\Tools\\CollectInfo\\Registry_Save\\msuninst.sav"));
    EXPECT_TRUE(LoggedStartingWith("Tool::Restore_Registry(", 5));
    // Without a subfolder name the rows land directly below the branch.
    EXPECT_NE(fake.registry().FindKey("Software\\Gathrix\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"), nullptr);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::RegCreateKeyExA)[1].args[0], "Software\\Gathrix\\SOFTWARE\\Halvorn\\");
}

TEST_F(HiveRestoreTest, WithoutTheRestorePrivilegeNothingIsCreated) {
    fake.security().DropPrivilege("SeRestorePrivilege");
    CAction action;
    EXPECT_EQ(action.Restore_Registry("Usr1"), FALSE);
    EXPECT_TRUE(Logged("CTool::Restore_Registry -> EnablePrivilege(TRUE)=1300"));
    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix"), nullptr);
    EXPECT_EQ(fake.OpenHandles(), "");

    fake.Fail(gx::FakeOp::OpenProcessToken, ERROR_ACCESS_DENIED);
    EXPECT_EQ(action.Restore_Registry("Usr1"), FALSE);
    EXPECT_TRUE(Logged("CTool::Restore_Registry -> OpenProcessToken()=5"));
}

TEST_F(HiveRestoreTest, FailingToSwitchThePrivilegeOffStillSucceeds) {
    fake.Fail(gx::FakeOp::AdjustTokenPrivileges, ERROR_NOT_ALL_ASSIGNED, 1, 1);
    CAction action;
    EXPECT_EQ(action.Restore_Registry("Usr1"), TRUE);
    EXPECT_TRUE(Logged("Tool::Restore_Registry -> EnablePrivilege(FALSE)=1300"));
    EXPECT_EQ(LogMessages().back(), "< Tool::Restore_Registry");
}

TEST_F(HiveRestoreTest, PathsPastTheLimitAreRefusedBeforeAnythingIsCreated) {
    // "Software\Gathrix\" + name + "\" + the longest subkey (51): 69 + name.
    const std::string longest = std::string("Software\\Gathrix\\") + std::string(191, 'n') + "\\" + HiveTable[3].szSubKey;
    struct Case {
        std::string name;
        std::string folder;
        std::string refused;  // empty: accepted
    } cases[] = {
        {std::string(190, 'n'), kFolder, ""},
        {std::string(191, 'n'), kFolder, longest},
        {"Usr1", "C:\\" + std::string(241, 'f') + "\\", ""},
        {"Usr1", "C:\\" + std::string(242, 'f') + "\\", "C:\\" + std::string(242, 'f') + "\\msinstfeat.sav"},
        {"Usr1", "", "(empty hive folder)"},
    };
    for (const Case& test : cases) {
        CAction action;
        action.m_szDest_Path_Registry = test.folder;
        fake.ClearCalls();
        BOOL result = action.Restore_Registry(test.name.c_str());
        if (test.refused.empty()) {
            EXPECT_EQ(result, TRUE) << test.folder;
            EXPECT_EQ(fake.CountOf(gx::FakeOp::RegCreateKeyExA), 6);
        } else {
            EXPECT_EQ(result, FALSE) << test.refused;
            EXPECT_EQ(fake.CountOf(gx::FakeOp::RegCreateKeyExA), 1) << "only the product key";
            EXPECT_EQ(fake.CountOf(gx::FakeOp::OpenProcessToken), 0);
            EXPECT_EQ(fake.CountOf(gx::FakeOp::RegRestoreKeyA), 0);
            EXPECT_TRUE(Logged("ERR Tool::Restore_Registry -> path refused (" + std::to_string(test.refused.size()) +
                               " characters): " + test.refused))
                << test.refused;
        }
    }
}

TEST_F(HiveRestoreTest, RegistryEntryExistsWhenItOpensForReading) {
    fake.registry().MakeKey("Software\\Gathrix\\Usr1");
    fake.registry().DenyOpen("Software\\Gathrix\\Locked");
    CAction action;
    fake.ClearCalls();
    EXPECT_EQ(action.IsRegistryEntryExit("Software\\Gathrix\\Usr1"), TRUE);
    EXPECT_EQ(action.IsRegistryEntryExit("Software\\Gathrix\\Usr2"), FALSE);
    EXPECT_EQ(action.IsRegistryEntryExit("Software\\Gathrix\\Locked"), FALSE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 3);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::RegOpenKeyExA)[0].args[1], "0x20019");
    // An empty name would open HKEY_LOCAL_MACHINE itself.
    EXPECT_EQ(action.IsRegistryEntryExit(""), FALSE);
    EXPECT_EQ(action.IsRegistryEntryExit(nullptr), FALSE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 3);
    EXPECT_EQ(LogFrom("> CTool::IsRegistryEntryExit"),
              (std::vector<std::string>{
                  "> CTool::IsRegistryEntryExit",
                  "CTool::IsRegistryEntryExit -> szKeyName:Software\\Gathrix\\Usr1 RegOpenKeyEx: 0",
                  "> CTool::IsRegistryEntryExit",
                  "CTool::IsRegistryEntryExit -> szKeyName:Software\\Gathrix\\Usr2 RegOpenKeyEx: 2",
                  "> CTool::IsRegistryEntryExit",
                  "CTool::IsRegistryEntryExit -> szKeyName:Software\\Gathrix\\Locked RegOpenKeyEx: 5",
                  "> CTool::IsRegistryEntryExit",
                  "CTool::IsRegistryEntryExit -> szKeyName: RegOpenKeyEx: 87",
                  "> CTool::IsRegistryEntryExit",
                  "CTool::IsRegistryEntryExit -> szKeyName: RegOpenKeyEx: 87",
              }));
    EXPECT_EQ(fake.ui().Beeps(), 0);
}

TEST_F(HiveRestoreTest, HiveFolderExistsAsFolderOrAsFile) {
    struct Case {
        const char* folder;
        bool makeFolder, makeFile;
        BOOL result;
        long attributes;
    } cases[] = {
        {"C:\\Hives\\", true, false, TRUE, 16},
        {"C:\\HiveFile", false, true, TRUE, 32},
        {"C:\\Nowhere\\", false, false, FALSE, -1},
        {"", false, false, FALSE, -1},  // a refused destination is not asked about
    };
    for (const Case& test : cases) {
        if (test.makeFolder) fake.files().MakeDirectory(test.folder);
        if (test.makeFile) fake.files().WriteFile(test.folder, "x");
        CAction action;
        action.m_szDest_Path_Registry = test.folder;
        EXPECT_EQ(action.IsCollect_Registry_Exist(), test.result) << test.folder;
        std::vector<std::string> lines = LogMessages();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
                  (std::vector<std::string>{
                      "> CTool::IsCollect_Registry_Exist",
                      std::string("CTool::IsCollect_Registry_Exist -> GetFileAttributes, m_szDest_Path_Registry:") +
                          test.folder + ",dwRet=" + std::to_string(test.attributes),
                      test.result ? "< Tool::IsCollect_Registry_Exist -> File exist"
                                  : "< Tool::IsCollect_Registry_Exist -> File not exist",
                  }));
    }
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 3);
    // Nor is a folder past the path limit (a picked file's folder plus "\").
    CAction action;
    action.m_szDest_Path_Registry = "C:\\" + std::string(100, 'd') + "\\" + std::string(155, 'e') + "\\";
    ASSERT_EQ(action.m_szDest_Path_Registry.size(), 260u);
    EXPECT_EQ(action.IsCollect_Registry_Exist(), FALSE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 3);
    EXPECT_LT(fake.LongestPath(), 260u);
}

// On a 64-bit support PC the import lands where regedit and the README show
// it, HKLM\Software\Gathrix of the 64-bit view, and is removed from there.
TEST_F(HiveRestoreTest, On64BitWindowsTheImportIsMadeAndRemovedInThe64BitView) {
    fake.process().SetWow64(true);
    CAction action;
    EXPECT_EQ(action.Restore_Registry("Usr1"), TRUE);
    for (const RegistryHive& hive : HiveTable) EXPECT_NE(fake.registry().FindKey(UserKey(hive)), nullptr);
    EXPECT_EQ(fake.registry().FindKey("Software\\Wow6432Node\\Gathrix"), nullptr);
    EXPECT_EQ(action.IsRegistryEntryExit("Software\\Gathrix\\Usr1"), TRUE);
    EXPECT_EQ(action.Restore_Registry("Usr2"), TRUE);
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Usr1"), TRUE);
    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix\\Usr1"), nullptr);
    EXPECT_NE(fake.registry().FindKey("Software\\Gathrix\\Usr2"), nullptr);
    EXPECT_EQ(action.DeleteRegistryEntry(kImportBranch), TRUE);
    EXPECT_EQ(fake.registry().FindKey(kImportBranch), nullptr);
    EXPECT_EQ(action.IsRegistryEntryExit(kImportBranch), FALSE);
    EXPECT_EQ(fake.registry().OpenKeys(), 0);
}

}  // namespace
