// The registry operations against Wine's real registry, token and security
// calls. Everything they create lives in the test's own keys and folders,
// removed afterwards; the branches Wine lacks are seeded and removed again.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "environment/wow64.h"
#include "registry/hive_table.h"
#include "registry/key_delete.h"
#include "registry_actions.h"
#include "environment/wow64.h"
#include "wine_support.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlwapi.h>

using namespace winetest;

namespace {

std::string Unique(const std::string& name) {
    char suffix[32];
    std::snprintf(suffix, sizeof(suffix), "-%lu", GetCurrentProcessId());
    return name + suffix;
}

// The import branch's view: the 64-bit one on 64-bit Windows, as the tool's;
// the exported branches are seeded in the 32-bit one (view 0), where the
// family's 32-bit installers write.
REGSAM View() { return Native64View(); }

// Deletes an empty key in that view (the shell's deletion names no view).
void DeleteEmptyKey(const std::string& path, REGSAM view = View()) {
    if (view == 0) {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
        return;
    }
    using Fn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    auto deleteKey = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    if (deleteKey != nullptr) deleteKey(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
}

LONG OpenStatus(const std::string& path, REGSAM access = KEY_READ, REGSAM view = View()) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access | view, &key);
    if (status == 0) RegCloseKey(key);
    return status;
}

bool KeyExists(const std::string& path, REGSAM view = View()) { return OpenStatus(path, KEY_READ, view) == 0; }

void SetString(const std::string& path, const char* name, const std::string& value, REGSAM view = View()) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                              nullptr),
              0)
        << path;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

// Opens every key of a tree to everyone (null DACL) and deletes it: the
// clean-up that must work whatever the code under test left behind.
void ForceDelete(const std::string& path, REGSAM view = View()) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL | WRITE_DAC | view, &key) == 0) {
        SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
    }
    std::vector<std::string> children;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) == 0) {
        char name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof(name);
            if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != 0) break;
            children.push_back(path + "\\" + name);
        }
        RegCloseKey(key);
    }
    for (const std::string& child : children) ForceDelete(child, view);
    DeleteEmptyKey(path, view);
}

// A key the test makes sure of: whatever part of its path was missing is
// created and removed again at the end; a private subkey with one value
// marks it in the saved hive.
class SeededBranch {
public:
    SeededBranch(const std::string& branch, const std::string& marker) {
        std::string path;
        for (std::size_t start = 0; start < branch.size();) {
            std::size_t end = branch.find('\\', start);
            if (end == std::string::npos) end = branch.size();
            if (end > start) {
                path += (path.empty() ? "" : "\\") + branch.substr(start, end - start);
                if (created_.empty() && !KeyExists(path, 0)) created_ = path;
            }
            start = end + 1;
        }
        private_ = path + "\\" + Unique("GathrixWineTest");
        SetString(private_, "Seed", marker, 0);
    }
    ~SeededBranch() { ForceDelete(created_.empty() ? private_ : created_, 0); }

private:
    std::string created_;  // the topmost key the test created, if any
    std::string private_;
};

// The product key holder creates the maker's product key; on a machine
// that had no maker's branch it goes again at the end.
class MakerBranchGuard {
public:
    MakerBranchGuard() : existed_(KeyExists("SOFTWARE\\Halvorn", 0)) {}
    ~MakerBranchGuard() {
        if (!existed_) ForceDelete("SOFTWARE\\Halvorn", 0);
    }

private:
    bool existed_;
};

class ImportBranchGuard {
public:
    ImportBranchGuard() : existed_(KeyExists(kImportBranch)) {}
    ~ImportBranchGuard() {
        if (!existed_) ForceDelete(kImportBranch);
    }

private:
    bool existed_;
};

DWORD PrivilegeAttributes(const char* name) {
    HANDLE token = nullptr;
    LUID luid = {};
    LookupPrivilegeValueA(nullptr, name, &luid);
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0xFFFFFFFFu;
    std::vector<BYTE> buffer(4096);
    DWORD length = 0;
    DWORD attributes = 0xFFFFFFFFu;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), static_cast<DWORD>(buffer.size()), &length)) {
        auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i)
            if (privileges->Privileges[i].Luid.LowPart == luid.LowPart &&
                privileges->Privileges[i].Luid.HighPart == luid.HighPart)
                attributes = privileges->Privileges[i].Attributes;
    }
    CloseHandle(token);
    return attributes;
}

// Non-volatile keys cannot be created below a volatile one.
bool IsVolatile(const std::string& path) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, (path + "\\probe").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS | View(), nullptr, &key, nullptr);
    if (status == 0) {
        RegCloseKey(key);
        DeleteEmptyKey(path + "\\probe");
    }
    return status == ERROR_CHILD_MUST_BE_VOLATILE;
}

TEST(RegistryWine, SavesTheFiveBranchesIntoRegistrySave) {
    MakerBranchGuard maker;
    std::vector<std::unique_ptr<SeededBranch>> seeds;
    for (int row = 0; row < kHiveCount; ++row)
        seeds.emplace_back(new SeededBranch(HiveTable[row].szSubKey, "row-" + std::to_string(row + 1)));
    ScratchFolder scratch("regsave");
    const std::string folder = scratch.path() + "\\Registry_Save\\";

    TracedRun run = CollectRegistryInto(folder);
    EXPECT_EQ(run.result, TRUE);
    EXPECT_TRUE(run.Traced("CTool::Collect_Registry -> GetFileAttributes, szDir:" + folder + ",dwRet=-1"));
    EXPECT_TRUE(run.Traced("Tool::Collect_Registry -> CreateDirectory, bRet=1"));
    EXPECT_TRUE(run.Traced("< Tool::Collect_Registry"));
    EXPECT_TRUE(run.TracedStartingWith("Tool::Collect_Registry(", 0));
    EXPECT_TRUE(run.TracedStartingWith("ERR", 0));
    for (int row = 0; row < kHiveCount; ++row) {
        // Wine writes its own text format instead of a binary hive.
        std::string hive = ReadFile(folder + HiveTable[row].szSaveFile);
        EXPECT_EQ(hive.compare(0, 23, "WINE REGISTRY Version 2"), 0) << HiveTable[row].szSaveFile;
        EXPECT_NE(hive.find("\"Seed\"=\"row-" + std::to_string(row + 1) + "\""), std::string::npos)
            << HiveTable[row].szSaveFile;
    }
    // Saving needs the backup privilege enabled (Wine refuses with 1314
    // otherwise); it is off again afterwards.
    EXPECT_EQ(PrivilegeAttributes("SeBackupPrivilege") & SE_PRIVILEGE_ENABLED, 0u);
}

TEST(RegistryWine, RestoreCreatesOneVolatileKeyPerRowBelowTheBranch) {
    MakerBranchGuard maker;
    ImportBranchGuard branch;
    ScratchFolder scratch("regrestore");
    const std::string folder = scratch.path() + "\\";
    const std::string name = Unique("WineRestore");
    const std::string user = std::string(kImportBranch) + "\\" + name;

    // Wine's RegRestoreKeyA restores nothing and answers 0 even for a
    // missing file, so neither the contents nor the "No File" lines can be
    // checked here; the keys, their option and the privilege can.
    TracedRun run = RestoreRegistryFrom(folder, name);
    EXPECT_EQ(run.result, TRUE);
    EXPECT_TRUE(run.Traced("< Tool::Restore_Registry"));
    EXPECT_TRUE(run.TracedStartingWith("Tool::Restore_Registry -> ", 0));
    for (const RegistryHive& hive : HiveTable) {
        const std::string key = user + "\\" + hive.szSubKey;
        EXPECT_TRUE(KeyExists(key)) << key;
        EXPECT_TRUE(IsVolatile(key)) << key;
    }
    EXPECT_TRUE(IsVolatile(user));
    EXPECT_EQ(PrivilegeAttributes("SeRestorePrivilege") & SE_PRIVILEGE_ENABLED, 0u);

    EXPECT_TRUE(IsRegistryEntry(user));
    TracedRun removal = DeleteRegistryEntry(user);
    EXPECT_EQ(removal.result, TRUE);
    EXPECT_FALSE(IsRegistryEntry(user));
    ForceDelete(user);
}

// An empty DACL: nobody may read or delete the key; the owner (the
// administrators, whom the token holds) may still read and write its DACL.
void Lock(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P", SDDL_REVISION_1, &descriptor, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL empty = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &empty, &defaulted);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS | View(), &key), 0);
    EXPECT_EQ(SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, empty, nullptr),
              0u);
    RegCloseKey(key);
    LocalFree(descriptor);
}

TEST(RegistryWine, DeletionGrantsAccessToKeysThatRefusedItAndRemovesTheTree) {
    ImportBranchGuard branch;
    const std::string root = std::string(kImportBranch) + "\\" + Unique("WineDelete");
    for (const char* key : {"\\a\\a1", "\\a\\a2", "\\b\\b1"}) SetString(root + key, "v", "x");
    for (const char* locked : {"\\a", "\\b\\b1"}) Lock(root + locked);
    ASSERT_EQ(OpenStatus(root + "\\a"), ERROR_ACCESS_DENIED);

    TracedRun run = DeleteRegistryEntry(root);
    EXPECT_EQ(run.result, TRUE);
    EXPECT_EQ(OpenStatus(root), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(run.Traced("ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 1: 5, szKeyPath:" + root));
    EXPECT_TRUE(run.TracedStartingWith("ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 2", 0));
    ForceDelete(root);
}

// What the walk grants, read back: the user's full access, inherited by the
// keys and values below.
TEST(RegistryWine, TheGrantedEntryGivesTheUserFullAccessForEverythingBelow) {
    ImportBranchGuard branch;
    const std::string root = std::string(kImportBranch) + "\\" + Unique("WineGrant");
    SetString(root + "\\locked", "v", "x");
    Lock(root + "\\locked");
    GrantAccessToKeyTree(root.c_str());

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (root + "\\locked").c_str(), 0, READ_CONTROL | View(), &key), 0);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor),
              0u);
    RegCloseKey(key);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    std::vector<BYTE> user(256);
    DWORD length = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &length));
    CloseHandle(token);
    ASSERT_NE(dacl, nullptr);
    ASSERT_EQ(dacl->AceCount, 1);
    ACCESS_ALLOWED_ACE* entry = nullptr;
    ASSERT_TRUE(GetAce(dacl, 0, reinterpret_cast<void**>(&entry)));
    EXPECT_EQ(entry->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(entry->Mask, static_cast<DWORD>(KEY_ALL_ACCESS));
    EXPECT_EQ(entry->Header.AceFlags & (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE),
              CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE);
    EXPECT_TRUE(EqualSid(&entry->SidStart, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid));
    LocalFree(descriptor);
    ForceDelete(root);
}

TEST(RegistryWine, APathThatDoesNotExistIsTracedTwice) {
    const std::string missing = std::string(kImportBranch) + "\\" + Unique("NeverThere");
    TracedRun run = DeleteRegistryEntry(missing);
    EXPECT_EQ(run.result, TRUE);
    EXPECT_TRUE(run.Traced("ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 1: 2, szKeyPath:" + missing));
    EXPECT_TRUE(run.Traced("ERR1: CTool::DeleteRegistryEntry -> SHDeleteKey attempt 2: 2, szKeyPath:" + missing));
}

}  // namespace
