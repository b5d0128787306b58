#include <gtest/gtest.h>

#include <string>

#include "files_fixture.h"

using namespace filestest;

namespace {

const std::string kRegistrySave = "C:\\Tools\\CollectInfo\\Registry_Save\\";

class DeleteTest : public FilesTest {
protected:
    void Seed(const std::string& folder) {
        fake.files().WriteFile(folder + "top.txt", "t");
        fake.files().WriteFile(folder + "WINDOWS\\setup\\logfiles\\deep.log", "d");
        fake.files().WriteFile(folder + "ro.log", "r");
        fake.files().SetExtraAttributes(folder + "ro.log", gx::FILE_ATTRIBUTE_READONLY);
    }
    CAction action;
};

TEST_F(DeleteTest, RemovesTreeWithOneSilentShellDeleteThenTheFolder) {
    Seed(kFileSave);
    EXPECT_EQ(action.Xc_del_dir(kFileSave.c_str()), 0u);
    EXPECT_FALSE(fake.files().Exists(kFileSave));
    std::vector<gx::FakeCall> deletes = fake.CallsOf(gx::FakeOp::SHFileOperationA);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].args,
              (std::vector<std::string>{kFileSave + "\\*.*", "", "func=3 flags=0x414", "owner=null"}));
    std::vector<gx::FakeCall> removes = fake.CallsOf(gx::FakeOp::RemoveDirectoryA);
    ASSERT_EQ(removes.size(), 1u);
    EXPECT_EQ(removes[0].args[0], kFileSave);
}

TEST_F(DeleteTest, FileInUseReturnsThirtyTwoAndKeepsTheFolder) {
    Seed(kFileSave);
    fake.files().LockFile(kFileSave + "top.txt");
    EXPECT_EQ(action.Xc_del_dir(kFileSave.c_str()), 32u);
    EXPECT_TRUE(fake.files().Exists(kFileSave + "top.txt"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RemoveDirectoryA), 0);
}

TEST_F(DeleteTest, CatchAllWithLastErrorIsTracedAndReturnsTheLastError) {
    EXPECT_EQ(action.Xc_del_dir(kRegistrySave.c_str()), 3u);  // the folder does not exist
    EXPECT_TRUE(Contains(LogMessages(),
                         "INF(1026) 1)Xc_del_dir(" + kRegistrySave + ") -> SHFileOperation(LastError = 3)"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RemoveDirectoryA), 0);
}

TEST_F(DeleteTest, CatchAllWithoutLastErrorGoesOnToRemoveTheFolder) {
    fake.files().MakeDirectory(kFileSave);
    fake.Fail(gx::FakeOp::SHFileOperationA, 1026, 1);  // injected shell failures leave the last error 0
    EXPECT_EQ(action.Xc_del_dir(kFileSave.c_str()), 0u);
    EXPECT_FALSE(fake.files().Exists(kFileSave));

    // Wine's answer for a missing folder, the catch-all without a last error:
    // the removal then reports it.
    fake.Fail(gx::FakeOp::SHFileOperationA, 0x402, 1);
    EXPECT_EQ(action.Xc_del_dir(kRegistrySave.c_str()), gx::ERROR_FILE_NOT_FOUND);
    for (const std::string& line : LogMessages()) EXPECT_EQ(line.find("INF("), std::string::npos) << line;
}

TEST_F(DeleteTest, OtherShellResultIsReturnedAndTheFolderStays) {
    Seed(kFileSave);
    fake.Fail(gx::FakeOp::SHFileOperationA, 0x7C);
    EXPECT_EQ(action.Xc_del_dir(kFileSave.c_str()), 0x7Cu);
    EXPECT_TRUE(fake.files().Exists(kFileSave + "top.txt"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RemoveDirectoryA), 0);
}

TEST_F(DeleteTest, FailedFolderRemovalReturnsItsLastError) {
    Seed(kFileSave);
    fake.Fail(gx::FakeOp::RemoveDirectoryA, gx::ERROR_ACCESS_DENIED);
    EXPECT_EQ(action.Xc_del_dir(kFileSave.c_str()), gx::ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fake.files().Exists(kFileSave));
    EXPECT_FALSE(fake.files().Exists(kFileSave + "top.txt"));
}

TEST_F(DeleteTest, PatternMustFitThePathLimitWithBothTerminators) {
    // 254 characters + "\*.*" + two NULs is exactly 260.
    std::string fits = "C:\\" + std::string(250, 'f') + "\\";
    ASSERT_EQ(fits.size(), 254u);
    fake.files().MakeDirectory(fits);
    EXPECT_EQ(action.Xc_del_dir(fits.c_str()), 0u);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::SHFileOperationA).back().args[0], fits + "\\*.*");
    std::string tooLong = "C:\\" + std::string(251, 'f') + "\\";
    fake.ClearCalls();
    EXPECT_EQ(action.Xc_del_dir(tooLong.c_str()), gx::ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 0);
    std::string huge(5000, 'h');
    huge.replace(0, 3, "C:\\");
    EXPECT_EQ(action.Xc_del_dir(huge.c_str()), gx::ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(DeleteTest, EmptyOrRelativeFolderIsRefusedWithoutTouchingTheCurrentDrive) {
    EXPECT_EQ(action.Xc_del_dir(""), gx::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(action.Xc_del_dir("File_Save\\"), gx::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(action.Xc_del_dir("\\File_Save\\"), gx::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RemoveDirectoryA), 0);
}

TEST_F(DeleteTest, DeleteAllRemovesBothSubfoldersAndLeavesTheOutputFolderAlone) {
    Seed(kFileSave);
    Seed(kRegistrySave);
    fake.files().WriteFile(kOutput + "userinfo.txt", "answers");
    fake.files().WriteFile(kOutput + "fileattr.txt", "report");
    EXPECT_EQ(action.DeleteAllDirecory(), TRUE);
    EXPECT_FALSE(fake.files().Exists(kFileSave));
    EXPECT_FALSE(fake.files().Exists(kRegistrySave));
    EXPECT_EQ(fake.files().ReadFile(kOutput + "userinfo.txt"), "answers");
    EXPECT_EQ(fake.files().ReadFile(kOutput + "fileattr.txt"), "report");
    EXPECT_TRUE(fake.files().Exists(kOutput + "gathrix.log"));
    std::vector<std::string> lines = LogMessages();
    std::vector<std::string> tail(lines.end() - 2, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"DeleteAllDirecory -> dwRet:0 m_szDest_Path_Files:" + kFileSave,
                                              "DeleteAllDirecory -> dwRet:0 m_szDest_Path_Registry:" + kRegistrySave}));
}

TEST_F(DeleteTest, LockedHiveDoesNotKeepTheFileFolderAndFirstRunReportsBothCodes) {
    Seed(kFileSave);
    Seed(kRegistrySave);
    fake.files().LockFile(kRegistrySave + "top.txt");
    action.DeleteAllDirecory();
    EXPECT_FALSE(fake.files().Exists(kFileSave));
    EXPECT_TRUE(fake.files().Exists(kRegistrySave + "top.txt"));
    EXPECT_TRUE(Contains(LogMessages(), "DeleteAllDirecory -> dwRet:32 m_szDest_Path_Registry:" + kRegistrySave));

    TraceShutdown();
    fake.files().UnlockFiles();
    action.DeleteAllDirecory();
    action.DeleteAllDirecory();  // nothing left: the first run on a PC
    std::vector<std::string> lines = LogMessages();
    std::vector<std::string> tail(lines.end() - 6, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "INF(1026) 1)Xc_del_dir(" + kFileSave + ") -> SHFileOperation(LastError = 3)", "",
                        "DeleteAllDirecory -> dwRet:3 m_szDest_Path_Files:" + kFileSave,
                        "INF(1026) 1)Xc_del_dir(" + kRegistrySave + ") -> SHFileOperation(LastError = 3)", "",
                        "DeleteAllDirecory -> dwRet:3 m_szDest_Path_Registry:" + kRegistrySave}));
}

TEST_F(DeleteTest, RefusedDestinationsDeleteNothing) {
    Seed(kFileSave);
    action.m_szDest_Path.clear();
    action.m_szDest_Path_Files.clear();
    action.m_szDest_Path_Registry.clear();
    action.DeleteAllDirecory();
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 0);
    EXPECT_TRUE(fake.files().Exists(kFileSave + "top.txt"));
    EXPECT_TRUE(Contains(LogMessages(), "DeleteAllDirecory -> dwRet:87 m_szDest_Path_Files:"));
}

}  // namespace
