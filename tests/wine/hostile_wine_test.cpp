// Hostile input against the real calls: output files held open by another
// program, a hive folder or CollectInfo that is a file, subfolder names with
// characters outside Windows-1252.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "environment/action.h"
#include "environment/wow64.h"
#include "files/file_table.h"
#include "framework/file.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "registry/hive_table.h"
#include "registry_actions.h"
#include "wine_files.h"

using namespace winetest;

namespace {

// Keys that the operations create on the way (the product key, the import
// branch) go again when they were not there before.
class KeyGuard {
public:
    // The import branch is in the 64-bit view on 64-bit Windows, the
    // product's keys in the 32-bit one.
    explicit KeyGuard(const char* path, gx::REGSAM view = 0) : path_(path), view_(view), existed_(Opens(path, view)) {}
    ~KeyGuard() {
        if (!existed_ && view_ == 0) gx::os().SHDeleteKeyA(gx::HKEY_LOCAL_MACHINE, path_);
        if (!existed_ && view_ != 0) {
            CAction action;
            action.DeleteRegistryEntry(path_);
        }
    }
    static bool Opens(const std::string& path, gx::REGSAM view = 0) {
        gx::HKEY key = nullptr;
        if (gx::os().RegOpenKeyExA(gx::HKEY_LOCAL_MACHINE, path.c_str(), 0, gx::KEY_READ | view, &key) != 0) return false;
        gx::os().RegCloseKey(key);
        return true;
    }

private:
    const char* path_;
    gx::REGSAM view_;
    bool existed_;
};

TEST(HostileWine, FilesHeldOpenWithoutSharingAreNeitherReplacedNorWritten) {
    ScratchFolder out("held");
    const std::string report = out / "fileattr.txt";
    const std::string answers = out / "userinfo.txt";
    ASSERT_TRUE(WriteFile(report, "held by an editor"));
    ASSERT_TRUE(WriteFile(answers, "held by an editor"));
    {
        HeldOpen reportHeld(report);
        HeldOpen answersHeld(answers);
        ASSERT_TRUE(reportHeld.held());
        ASSERT_TRUE(answersHeld.held());

        TracedRun run = RunTraced([&](CAction& action) {
            action.m_iWinOS = 6;
            action.m_szDest_Path = out.path() + "\\";
            return action.Collect_FileAttributes();
        });
        EXPECT_EQ(run.result, TRUE);
        EXPECT_TRUE(run.Traced("Tool::Could not open fileattr.txt"));

        // The questionnaire's file class meets the same refusal.
        CFile file;
        CFileException error(CFileException::none, -1, "");
        EXPECT_FALSE(file.Open(answers.c_str(), CFile::modeCreate | CFile::modeWrite, &error));
        EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        EXPECT_EQ(error.m_lOsError, 32);
    }
    EXPECT_EQ(ReadFile(report), "held by an editor");
    EXPECT_EQ(ReadFile(answers), "held by an editor");
}

TEST(HostileWine, AHiveFolderOrCollectInfoThatIsAFileStopsTheExportAndStaysAsItWas) {
    KeyGuard maker("SOFTWARE\\HALVORN");
    ScratchFolder out("filefolder");
    // Wine, like Windows, finds no folder "Registry_Save\" where a file of
    // that name lies, and refuses to create one.
    ASSERT_TRUE(WriteFile(out / "Registry_Save", "a file"));
    TracedRun run = CollectRegistryInto(out / "Registry_Save\\");
    EXPECT_EQ(run.result, FALSE);
    EXPECT_TRUE(run.Traced("CTool::Collect_Registry -> GetFileAttributes, szDir:" + (out / "Registry_Save\\") +
                           ",dwRet=-1"));
    EXPECT_TRUE(run.Traced("Tool::Collect_Registry -> Error, CreateDirectory"));
    EXPECT_EQ(ReadFile(out / "Registry_Save"), "a file");
    TracedRun import = RunTraced([&](CAction& action) {
        action.m_szDest_Path_Registry = out / "Registry_Save\\";
        return action.IsCollect_Registry_Exist();
    });
    EXPECT_EQ(import.result, FALSE);

    ASSERT_TRUE(WriteFile(out / "CollectInfo", "a file"));
    run = CollectRegistryInto(out / "CollectInfo\\Registry_Save\\");
    EXPECT_EQ(run.result, FALSE);
    EXPECT_TRUE(run.Traced("Tool::Collect_Registry -> Error, CreateDirectory"));
    EXPECT_EQ(ReadFile(out / "CollectInfo"), "a file");
}

TEST(HostileWine, SubfolderNamesOutsideWindows1252AndAtTheLimitAreRestoredAndRemovedAsTyped) {
    KeyGuard maker("SOFTWARE\\HALVORN");
    KeyGuard branch(kImportBranch, Native64View());
    ScratchFolder hives("names");
    // What an ANSI edit hands over for characters it cannot hold: '?' and
    // single bytes, some without a character in the code page.
    const std::string names[] = {
        "Kunde ?? \xE4\x80\x81\x8D\xFF",
        "Kunde\\Usr1",
        std::string(190, 'n'),  // the longest name whose keys fit
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string user = std::string(kImportBranch) + "\\" + name;
        TracedRun run = RestoreRegistryFrom(hives.path() + "\\", name);
        EXPECT_EQ(run.result, TRUE);
        for (const RegistryHive& hive : HiveTable) EXPECT_TRUE(KeyGuard::Opens(user + "\\" + hive.szSubKey, Native64View()));
        EXPECT_TRUE(IsRegistryEntry(user));
        EXPECT_EQ(DeleteRegistryEntry(user).result, TRUE);
        EXPECT_FALSE(IsRegistryEntry(user));
    }
    // One more character and the restore refuses before it creates anything.
    const std::string tooLong(191, 'n');
    TracedRun refused = RestoreRegistryFrom(hives.path() + "\\", tooLong);
    EXPECT_EQ(refused.result, FALSE);
    EXPECT_TRUE(refused.TracedStartingWith("ERR Tool::Restore_Registry -> path refused (260 characters)", 1));
    EXPECT_FALSE(IsRegistryEntry(std::string(kImportBranch) + "\\" + tooLong));
}

TEST(HostileWine, ASourceHeldOpenAndABackupThatExistsAreTracedAndTheCopiesGoOn) {
    ScratchFolder root("heldsource");
    std::vector<CollectedFile> saved(std::begin(FileTable), std::end(FileTable));
    EXPECT_TRUE(MakeFolders(root / "WINDOWS"));
    EXPECT_TRUE(MakeFolders(root / "Tools\\CollectInfo\\File_Save"));
    ASSERT_TRUE(WriteFile(root / "WINDOWS\\setupapi.log", "held by the setup"));
    ASSERT_TRUE(WriteFile(root / "WINDOWS\\CorNetPC_LOG.txt", "free"));
    ASSERT_TRUE(WriteFile(root / "Tools\\CollectInfo\\File_Save\\_SysEvent.evt", "earlier backup"));
    TracedRun run;
    {
        HeldOpen held(root / "WINDOWS\\setupapi.log");
        ASSERT_TRUE(held.held());
        run = RunTraced([&](CAction& action) {
            action.m_iWinOS = 6;
            action.m_szWindowsPath = root / "WINDOWS";
            action.m_szDest_Path = root / "Tools\\CollectInfo\\";
            action.m_szDest_Path_Files = action.m_szDest_Path + "File_Save\\";
            return action.Collect_Files();
        });
    }
    std::copy(saved.begin(), saved.end(), FileTable);
    EXPECT_EQ(run.result, TRUE);
    // Wine's shell cancels the copy of a file open without sharing (1223);
    // both groups list the device-setup log.
    EXPECT_TRUE(run.TracedStartingWith("ERR1(1223) CAction::Collect_Files -> SHFileOperation:", 2));
    // The mirror keeps the source folder without its drive root.
    EXPECT_EQ(ReadFile(root / ("Tools\\CollectInfo\\File_Save\\" + root.path().substr(3) + "\\WINDOWS\\CorNetPC_LOG.txt")),
              "free");
    EXPECT_TRUE(run.Traced("Tool::Could not BackupEventLog(_SysEvent.evt)183"));
    EXPECT_EQ(ReadFile(root / "Tools\\CollectInfo\\File_Save\\_SysEvent.evt"), "earlier backup");
}

}  // namespace
