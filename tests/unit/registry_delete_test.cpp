#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "registry/key_delete.h"
#include "registry/reg_item.h"
#include "registry_fixture.h"

using namespace gx;

namespace {

class KeyDeleteTest : public RegistryTest {
protected:
    // Software\Gathrix\Usr1 with a\{a1, a2} and b\{b1}: three levels.
    void SeedImport(const std::string& user = "Usr1") {
        const std::string root = "Software\\Gathrix\\" + user;
        for (const char* key : {"\\a\\a1", "\\a\\a2", "\\b\\b1"}) fake.registry().SetString(root + key, "v", "x");
    }

    std::vector<std::string> DeleteLines() { return LogFrom("> CTool::DeleteRegistryEntry"); }

    // Names of the keys whose DACL was read, in order.
    std::vector<std::string> Visited() {
        std::vector<std::string> names;
        for (const FakeCall& call : fake.CallsOf(gx::FakeOp::GetSecurityInfo)) names.push_back(call.args[0]);
        return names;
    }
};

TEST_F(KeyDeleteTest, ATreeTheFirstAttemptRemovesLeavesOnlyTheSecondAttemptsNotFound) {
    SeedImport();
    CAction action;
    fake.ClearCalls();
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Usr1"), TRUE);
    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix\\Usr1"), nullptr);
    EXPECT_NE(fake.registry().FindKey("Software\\Gathrix"), nullptr);
    EXPECT_EQ(DeleteLines(), (std::vector<std::string>{
                                 "> CTool::DeleteRegistryEntry",
                                 "ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 2: 2, "
                                 "szKeyPath:Software\\Gathrix\\Usr1",
                             }));
    EXPECT_EQ(fake.ui().Beeps(), 0);  // level 0
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetSecurityInfo), 0);
    EXPECT_EQ(fake.files().Stdout(), "");
    // The restore privilege stays on; the token is closed.
    EXPECT_EQ(fake.security().EnabledPrivileges(), (std::set<std::string>{"SeRestorePrivilege"}));
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::OpenProcessToken)[0].args[0], "0x20");
}

TEST_F(KeyDeleteTest, APathThatNeverExistedIsTracedTwiceAndStillSucceeds) {
    CAction action;
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Nobody"), TRUE);
    EXPECT_EQ(DeleteLines(), (std::vector<std::string>{
                                 "> CTool::DeleteRegistryEntry",
                                 "ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 1: 2, "
                                 "szKeyPath:Software\\Gathrix\\Nobody",
                                 "ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 2: 2, "
                                 "szKeyPath:Software\\Gathrix\\Nobody",
                             }));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetSecurityInfo), 0);
    EXPECT_EQ(fake.files().Stdout(), "");
}

TEST_F(KeyDeleteTest, ARefusedTreeIsWalkedKeyBeforeSubkeysAndThenDeleted) {
    SeedImport();
    fake.registry().DenyDelete("Software\\Gathrix\\Usr1\\a\\a1");
    fake.registry().DenyDelete("Software\\Gathrix\\Usr1\\b");
    CAction action;
    fake.ClearCalls();
    fake.registry().ResetPeakOpenKeys();
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Usr1"), TRUE);

    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix\\Usr1"), nullptr);
    EXPECT_EQ(DeleteLines(), (std::vector<std::string>{
                                 "> CTool::DeleteRegistryEntry",
                                 "ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 1: 5, "
                                 "szKeyPath:Software\\Gathrix\\Usr1",
                             }));
    // The first attempt stopped at a1; everything was still there to walk.
    EXPECT_EQ(Visited(), (std::vector<std::string>{"Usr1", "a", "a1", "a2", "b", "b1"}));
    for (const FakeCall& call : fake.CallsOf(gx::FakeOp::SetEntriesInAclA))
        EXPECT_EQ(call.args, (std::vector<std::string>{"1", "0xF003F mode=1 inherit=3 form=1 type=0 name=CURRENT_USER"}));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SetSecurityInfo), 6);
    EXPECT_EQ(fake.files().Stdout(), "");
    // One iterator handle per level; the handle of the access change is
    // closed before the iterator of the same key opens its own.
    EXPECT_EQ(fake.registry().PeakOpenKeys(), 3);
    std::vector<FakeCall> opens = fake.CallsOf(gx::FakeOp::RegOpenKeyExA);
    ASSERT_GE(opens.size(), 2u);
    EXPECT_EQ(opens[0].args, (std::vector<std::string>{"Software\\Gathrix\\Usr1", "0x60000", "0"}));
    EXPECT_EQ(opens[1].args, (std::vector<std::string>{"Software\\Gathrix\\Usr1", "0x20019", "0"}));
    for (const FakeCall& call : fake.CallsOf(gx::FakeOp::RegEnumKeyExA)) EXPECT_EQ(call.args[1], "256");
}

TEST_F(KeyDeleteTest, AKeyOnlyItsOwnerMayTouchIsOpenedForItsDaclAndThenDeleted) {
    // Empty DACL: no reading, no deleting; the owner may still read and
    // write the DACL. A handle for reading could never grant anything here.
    SeedImport();
    fake.registry().OwnerOnly("Software\\Gathrix\\Usr1\\a");
    CAction action;
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Usr1"), TRUE);
    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix\\Usr1"), nullptr);
    EXPECT_EQ(Visited(), (std::vector<std::string>{"Usr1", "a", "a1", "a2", "b", "b1"}));
    EXPECT_EQ(fake.files().Stdout(), "");
    EXPECT_EQ(DeleteLines().size(), 2u);  // entry, attempt 1 refused
}

TEST_F(KeyDeleteTest, KeysWhoseAccessCannotBeChangedAreReportedAndPassedOver) {
    SeedImport();
    fake.registry().DenyDelete("Software\\Gathrix\\Usr1\\b\\b1");
    fake.registry().FixDacl("Software\\Gathrix\\Usr1\\b\\b1");
    fake.registry().DenyOpen("Software\\Gathrix\\Usr1\\a");
    fake.registry().DenyDelete("Software\\Gathrix\\Usr1\\a");
    CAction action;
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Usr1"), TRUE);
    // "a" cannot be opened at all: no output, not descended. b1 falls back
    // to the reading handle, whose DACL write is refused.
    EXPECT_EQ(Visited(), (std::vector<std::string>{"Usr1", "b", "b1"}));
    EXPECT_EQ(fake.files().Stdout(), "SetSecurityInfo Error 5\n");
    EXPECT_EQ(DeleteLines(), (std::vector<std::string>{
                                 "> CTool::DeleteRegistryEntry",
                                 "ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 1: 5, "
                                 "szKeyPath:Software\\Gathrix\\Usr1",
                                 "ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 2: 5, "
                                 "szKeyPath:Software\\Gathrix\\Usr1",
                             }));
    EXPECT_NE(fake.registry().FindKey("Software\\Gathrix\\Usr1\\b\\b1"), nullptr);
}

TEST_F(KeyDeleteTest, TheWholeBranchGoesWithEverySubfolderAndNothingBeside) {
    SeedImport("Usr1");
    SeedImport("Usr2");
    fake.registry().SetString("Software\\Gathrixe", "neighbour", "stays");
    CAction action;
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix"), TRUE);
    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix"), nullptr);
    EXPECT_NE(fake.registry().FindKey("Software\\Gathrixe"), nullptr);
    EXPECT_NE(fake.registry().FindKey("SOFTWARE\\Halvorn"), nullptr);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHDeleteKeyA), 2);
}

TEST_F(KeyDeleteTest, WithoutTokenOrPrivilegeOrKeyNameNothingIsDeleted) {
    SeedImport();
    CAction action;
    fake.security().DropPrivilege("SeRestorePrivilege");
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Usr1"), FALSE);
    EXPECT_TRUE(Logged("CTool::DeleteRegistryEntry -> EnablePrivilege(TRUE)=1300"));
    fake.Fail(gx::FakeOp::OpenProcessToken, ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(action.DeleteRegistryEntry("Software\\Gathrix\\Usr1"), FALSE);
    EXPECT_TRUE(Logged("CTool::DeleteRegistryEntry -> OpenProcessToken()=5"));
    // These would stand for HKEY_LOCAL_MACHINE itself.
    fake.security().HoldPrivilege("SeRestorePrivilege");
    EXPECT_EQ(action.DeleteRegistryEntry(""), FALSE);
    EXPECT_EQ(action.DeleteRegistryEntry("\\\\"), FALSE);
    EXPECT_EQ(action.DeleteRegistryEntry(nullptr), FALSE);
    EXPECT_TRUE(Logged("ERR CTool::DeleteRegistryEntry -> no key named, refused: \\\\"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHDeleteKeyA), 0);
    EXPECT_NE(fake.registry().FindKey("Software\\Gathrix\\Usr1\\a\\a1"), nullptr);
}

TEST_F(KeyDeleteTest, AddAccessEntryReportsTheFirstFailedCallAndFreesWhatItGot) {
    fake.registry().MakeKey("Software\\Gathrix\\K");
    struct Case {
        const char* name;
        gx::FakeOp failing;
        DWORD code;  // 0: nothing fails
        const char* printed;
        int getCalls, setEntriesCalls, setInfoCalls;
    } cases[] = {
        {"none", gx::FakeOp::GetSecurityInfo, 0, "", 1, 1, 1},
        {"get", gx::FakeOp::GetSecurityInfo, 5, "GetSecurityInfo Error 5\n", 1, 0, 0},
        {"entries", gx::FakeOp::SetEntriesInAclA, 1332, "SetEntriesInAcl Error 1332\n", 1, 1, 0},
        {"set", gx::FakeOp::SetSecurityInfo, 5, "SetSecurityInfo Error 5\n", 1, 1, 1},
    };
    for (const Case& test : cases) {
        fake.ClearCalls();
        fake.files().ClearStdout();
        if (test.code != 0) fake.Fail(test.failing, test.code, 1);
        HKEY key = nullptr;
        ASSERT_EQ(fake.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Gathrix\\K", 0, READ_CONTROL | WRITE_DAC, &key), 0);
        EXPECT_EQ(AddAccessEntry(key, SE_REGISTRY_KEY, "CURRENT_USER", TRUSTEE_IS_NAME, TRUSTEE_IS_UNKNOWN,
                                 KEY_ALL_ACCESS, GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT),
                  test.code)
            << test.name;
        fake.RegCloseKey(key);
        EXPECT_EQ(fake.files().Stdout(), test.printed);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::GetSecurityInfo), test.getCalls);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::SetEntriesInAclA), test.setEntriesCalls);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::SetSecurityInfo), test.setInfoCalls);
        EXPECT_EQ(fake.security().LocalAllocs(), 0) << test.name;
    }
    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix\\K")->grants, 1);

    fake.ClearCalls();
    fake.files().ClearStdout();
    EXPECT_EQ(AddAccessEntry(nullptr, SE_REGISTRY_KEY, "CURRENT_USER", TRUSTEE_IS_NAME, TRUSTEE_IS_UNKNOWN,
                             KEY_ALL_ACCESS, GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT),
              ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(fake.Calls().empty());
    EXPECT_EQ(fake.files().Stdout(), "");
}

// ---- CRegItem and CRegSubKeyIterator ---------------------------------------

class RegItemTest : public KeyDeleteTest {};

TEST_F(RegItemTest, RegItemCopiesOwnEveryBufferAndSelfAssignmentKeepsIt) {
    CRegItem item("Software\\Gathrix\\Usr1", TRUE);
    item.m_pszValueName = new char[6];
    std::memcpy(item.m_pszValueName, "Value", 6);
    item.m_cbData = 3;
    item.m_pData = new BYTE[3]{1, 2, 3};
    item.m_dwType = REG_BINARY;

    CRegItem copy(item);
    ASSERT_NE(copy.m_pszPath, item.m_pszPath);
    EXPECT_STREQ(copy.GetPath(), "Software\\Gathrix\\Usr1");
    ASSERT_NE(copy.m_pszValueName, item.m_pszValueName);
    EXPECT_STREQ(copy.m_pszValueName, "Value");
    ASSERT_NE(copy.m_pData, item.m_pData);
    EXPECT_EQ(std::memcmp(copy.m_pData, item.m_pData, 3), 0);
    EXPECT_EQ(copy.m_cbData, 3u);
    EXPECT_EQ(copy.m_dwType, REG_BINARY);
    EXPECT_EQ(copy.m_bWholePath, 1);

    CRegItem other("Elsewhere", FALSE);
    other = item;
    EXPECT_STREQ(other.GetPath(), "Software\\Gathrix\\Usr1");
    EXPECT_NE(other.m_pszPath, item.m_pszPath);
    EXPECT_EQ(other.m_bWholePath, 1);
    EXPECT_EQ(other.m_pData[2], 3);

    CRegItem& same = other;
    other = same;
    EXPECT_STREQ(other.GetPath(), "Software\\Gathrix\\Usr1");
    EXPECT_EQ(other.m_pData[0], 1);

    // Empty and null paths give no path, and open nothing (never the root).
    CRegItem empty("", TRUE);
    CRegItem null(nullptr, TRUE);
    EXPECT_EQ(empty.GetPath(), nullptr);
    EXPECT_EQ(null.GetPath(), nullptr);
    other = null;
    EXPECT_EQ(other.GetPath(), nullptr);
    EXPECT_EQ(other.m_pData, nullptr);
    fake.ClearCalls();
    EXPECT_FALSE(empty.Open());
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 0);
}

TEST_F(RegItemTest, IteratorListsDirectSubkeysAndWalksAThreeLevelTree) {
    SeedImport();
    const std::string longName(255, 'L');  // the longest name a key can have
    fake.registry().MakeKey("Software\\Gathrix\\Usr1\\b\\" + longName);

    CRegSubKeyIterator top(CRegItem("Software\\Gathrix\\Usr1", TRUE));
    EXPECT_EQ(top.GetSubKeyName(), nullptr);
    EXPECT_EQ(top.Current().GetPath(), nullptr);
    EXPECT_STREQ(top.GetParentPath(), "Software\\Gathrix\\Usr1");
    std::vector<std::string> direct;
    while (top.Next()) direct.push_back(top.Current().GetPath());
    EXPECT_EQ(direct, (std::vector<std::string>{"Software\\Gathrix\\Usr1\\a", "Software\\Gathrix\\Usr1\\b"}));
    EXPECT_EQ(top.m_dwIndex, 3u);
    EXPECT_FALSE(top.Next());
    EXPECT_EQ(top.m_dwIndex, 4u);  // advanced on failure too
    EXPECT_STREQ(top.GetSubKeyName(), "b");

    std::vector<std::string> all;
    std::function<void(const CRegItem&)> walk = [&](const CRegItem& item) {
        CRegSubKeyIterator below(item);
        while (below.Next()) {
            CRegItem child = below.Current();
            all.push_back(child.GetPath());
            walk(child);
        }
    };
    walk(CRegItem("Software\\Gathrix", TRUE));
    const std::string user = "Software\\Gathrix\\Usr1";
    EXPECT_EQ(all, (std::vector<std::string>{user, user + "\\a", user + "\\a\\a1", user + "\\a\\a2", user + "\\b",
                                             user + "\\b\\b1", user + "\\b\\" + longName}));
    EXPECT_EQ(fake.registry().OpenKeys(), 1);  // `top`'s own
}

TEST_F(RegItemTest, IteratorStopsAtTheFirstFailedStepAndOnAKeyItCannotOpen) {
    SeedImport();
    fake.registry().MakeKey("Software\\Gathrix\\Usr1\\c");
    CRegSubKeyIterator missing(CRegItem("Software\\Gathrix\\Nobody", TRUE));
    EXPECT_FALSE(missing.m_hKey);
    EXPECT_FALSE(missing.Next());
    EXPECT_EQ(missing.m_dwIndex, 1u);

    fake.Fail(gx::FakeOp::RegEnumKeyExA, ERROR_MORE_DATA, 1, 1);
    CRegSubKeyIterator flaky(CRegItem("Software\\Gathrix\\Usr1", TRUE));
    EXPECT_TRUE(flaky.Next());
    EXPECT_FALSE(flaky.Next());
    // A later step that works no longer makes the iterator valid.
    EXPECT_FALSE(flaky.Next());
    EXPECT_EQ(flaky.m_dwIndex, 3u);
    EXPECT_STREQ(flaky.GetSubKeyName(), "c");
}

}  // namespace
