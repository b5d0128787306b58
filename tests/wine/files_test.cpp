// File collection against the real shell and file system: a seeded
// installation in a scratch folder, copied, reported and removed again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "environment/action.h"
#include "files/file_table.h"
#include "platform/constants.h"
#include "wine_files.h"

using namespace winetest;

namespace {

// The root file of source type 9 must lie in a real drive root.
const char kRootFile[] = "C:\\HvBootInst.log";

// One spelling per file: a doubled separator names the same file.
std::string Canonical(const std::string& path) {
    std::string result;
    for (char c : path)
        if (!(c == '\\' && !result.empty() && result.back() == '\\')) result += c;
    return result;
}

class FilesWine : public ::testing::Test {
protected:
    FilesWine() : root_("files"), saved_(std::begin(FileTable), std::end(FileTable)) {
        action_.m_iWinOS = 6;
        action_.m_szWindowsPath = root_ / "WINDOWS";
        action_.m_szUserWindowsPath = root_ / "Users\\tsuser\\WINDOWS";
        action_.m_szSystemDrive = "C:\\";
        action_.m_szProgramFiles = root_ / "Program Files";
        action_.m_szProgramFiles_Common = root_ / "Program Files\\Common Files";
        action_.m_szNetPCPath = root_ / "Program Files\\Halvorn\\CorNetPC";
        action_.m_szSharedPath = root_ / "Program Files\\Halvorn\\Shared";
        action_.m_szCommAppPath = root_ / "ProgramData";
        action_.m_szCommDocPath = root_ / "Users\\Public\\Documents";
        action_.m_szLocAppData = root_ / "Users\\tsuser\\AppData\\Local";
        action_.m_szDest_Path = root_ / "Tools\\CollectInfo\\";
        action_.m_szDest_Path_Files = action_.m_szDest_Path + "File_Save\\";
        action_.m_szDest_Path_Registry = action_.m_szDest_Path + "Registry_Save\\";
        EXPECT_TRUE(MakeFolders(root_ / "Tools\\CollectInfo"));
    }
    ~FilesWine() override {
        std::copy(saved_.begin(), saved_.end(), FileTable);
        std::remove(kRootFile);
    }

    // Every row's source with distinct content, except the rows in `absent`.
    std::map<std::string, std::string> Seed(const std::set<int>& absent) {
        std::map<std::string, std::string> contents;
        for (int i = 0; i < kFileTableSize; ++i) {
            if (absent.count(i) != 0) continue;
            std::string source = Canonical(ComposeCollectedFilePaths(action_, FileTable[i]).source);
            if (contents.count(source) != 0) continue;
            std::string content = "row " + std::to_string(i) + " at " + source + "\r\n" +
                                  std::string(static_cast<std::size_t>(1000 + 37 * i), static_cast<char>('A' + i % 26));
            std::size_t slash = source.rfind('\\');
            EXPECT_TRUE(MakeFolders(source.substr(0, slash)));
            EXPECT_TRUE(WriteFile(source, content)) << source;
            contents[source] = content;
        }
        return contents;
    }

    ScratchFolder root_;
    CAction action_;

private:
    std::vector<CollectedFile> saved_;
};

TEST_F(FilesWine, EveryExistingSourceIsCopiedByteForByteToItsMirroredPath) {
    int absentType1 = 5, absentType12 = kFileTableGroup1 + 30, absentType13 = kFileTableGroup1 + 56;
    ASSERT_EQ(FileTable[absentType1].iSourceType, 1);
    ASSERT_EQ(FileTable[absentType12].iSourceType, 12);
    ASSERT_EQ(FileTable[absentType13].iSourceType, 13);
    std::map<std::string, std::string> contents = Seed({absentType1, absentType12, absentType13});
    ASSERT_TRUE(Exists(kRootFile));

    // A copy from an earlier run is overwritten without a question.
    CollectedFilePaths setupapi = ComposeCollectedFilePaths(action_, FileTable[0]);
    EXPECT_TRUE(MakeFolders(setupapi.destination.substr(0, setupapi.destination.rfind('\\'))));
    WriteFile(setupapi.destination, "stale copy of an earlier run");

    EXPECT_EQ(action_.Collect_Files(), TRUE);

    int copied = 0;
    for (int i = 0; i < kFileTableSize; ++i) {
        CollectedFilePaths paths = ComposeCollectedFilePaths(action_, FileTable[i]);
        SCOPED_TRACE(std::to_string(i) + " " + paths.source);
        EXPECT_EQ(FileTable[i].iRet, 1);
        auto seeded = contents.find(Canonical(paths.source));
        if (seeded == contents.end()) {
            EXPECT_FALSE(Exists(paths.destination)) << paths.destination;
            continue;
        }
        EXPECT_EQ(ReadFile(paths.destination), seeded->second) << paths.destination;
        ++copied;
    }
    EXPECT_EQ(copied, kFileTableSize - 3);
    EXPECT_EQ(ReadFile(setupapi.destination), contents[setupapi.source]);
    // Spot checks of the mirror: the drive root cut off, type 9 straight in.
    EXPECT_EQ(setupapi.destination,
              action_.m_szDest_Path_Files + root_.path().substr(3) + "\\WINDOWS\\setupapi.log");
    EXPECT_EQ(ReadFile(action_.m_szDest_Path_Files + "HvBootInst.log"), contents[kRootFile]);

    // Same file names from different folders all survive.
    std::map<std::string, std::set<std::string>> byName;
    for (const auto& entry : contents) byName[entry.first.substr(entry.first.rfind('\\') + 1)].insert(entry.first);
    int shared = 0;
    for (const auto& entry : byName) {
        if (entry.second.size() < 2) continue;
        ++shared;
        std::set<std::string> copies;
        for (const std::string& source : entry.second) {
            for (const CollectedFile& row : FileTable) {
                CollectedFilePaths paths = ComposeCollectedFilePaths(action_, row);
                if (Canonical(paths.source) == source) copies.insert(ReadFile(paths.destination));
            }
        }
        EXPECT_EQ(copies.size(), entry.second.size()) << entry.first;
    }
    EXPECT_GE(shared, 3);
}

TEST_F(FilesWine, SecondRunReplacesTheCopiesWithTheSourcesOfThatRun) {
    action_.m_iWinOS = 9;
    Seed({});
    action_.Collect_Files();
    CollectedFilePaths setupapi = ComposeCollectedFilePaths(action_, FileTable[kFileTableGroup1]);
    ASSERT_TRUE(WriteFile(setupapi.source, "changed between the runs"));
    action_.Collect_Files();
    EXPECT_EQ(ReadFile(setupapi.destination), "changed between the runs");
}

TEST_F(FilesWine, DeleteAllRemovesNestedTreesAndLeavesTheOutputFolderAlone) {
    const std::string files = action_.m_szDest_Path_Files;
    const std::string hives = action_.m_szDest_Path_Registry;
    EXPECT_TRUE(MakeFolders(files + "gxtest\\WINDOWS\\setup\\logfiles"));
    WriteFile(files + "gxtest\\WINDOWS\\setup\\logfiles\\a.log", "a");
    WriteFile(files + "gxtest\\WINDOWS\\ro.log", "r");
    ASSERT_TRUE(SetReadOnly(files + "gxtest\\WINDOWS\\ro.log"));
    WriteFile(files + "_SysEvent.evt", "e");
    EXPECT_TRUE(MakeFolders(hives + "sub"));
    WriteFile(hives + "halvorn.sav", "h");
    WriteFile(hives + "sub\\ro.sav", "r");
    ASSERT_TRUE(SetReadOnly(hives + "sub\\ro.sav"));
    for (const char* own : {"gathrix.log", "fileattr.txt", "userinfo.txt"}) WriteFile(action_.m_szDest_Path + own, own);

    EXPECT_EQ(action_.Xc_del_dir(files.c_str()), 0u);
    EXPECT_EQ(action_.Xc_del_dir(hives.c_str()), 0u);
    EXPECT_FALSE(Exists(files));
    EXPECT_FALSE(Exists(hives));
    for (const char* own : {"gathrix.log", "fileattr.txt", "userinfo.txt"})
        EXPECT_EQ(ReadFile(action_.m_szDest_Path + own), own);

    // Nothing left, as on a PC's first run: Wine's shell reports success for
    // the missing folder, and the folder removal then fails.
    gx::DWORD code = action_.Xc_del_dir(files.c_str());
    EXPECT_TRUE(code == gx::ERROR_FILE_NOT_FOUND || code == gx::ERROR_PATH_NOT_FOUND) << code;
    EXPECT_EQ(action_.DeleteAllDirecory(), TRUE);
}

TEST_F(FilesWine, ReadOnlyFileDirectlyInTheFolderStopsWinesShellDelete) {
    // Windows deletes it (no confirmation asked). Wine 8's shell removes
    // read-only files inside subfolders but stops at one matched by the
    // pattern itself, with code 5; the folder and the files after it stay.
    const std::string files = action_.m_szDest_Path_Files;
    EXPECT_TRUE(MakeFolders(files));
    WriteFile(files + "a.log", "a");
    WriteFile(files + "ro.log", "r");
    WriteFile(files + "zz.log", "z");
    ASSERT_TRUE(SetReadOnly(files + "ro.log"));
    EXPECT_EQ(action_.Xc_del_dir(files.c_str()), 5u);
    EXPECT_FALSE(Exists(files + "a.log"));
    EXPECT_TRUE(Exists(files + "ro.log"));
    EXPECT_TRUE(Exists(files + "zz.log"));
    EXPECT_TRUE(Exists(action_.m_szDest_Path));
}

TEST_F(FilesWine, AttributeReportListsReadOnlyEntriesOfRealFolders) {
    const std::string system32 = action_.m_szWindowsPath + "\\system32";
    EXPECT_TRUE(MakeFolders(system32 + "\\drivers"));
    EXPECT_TRUE(MakeFolders(action_.m_szProgramFiles));
    for (const char* name : {"a.dll", "b.dll", "Zeta.sys"}) WriteFile(system32 + "\\" + name, name);
    WriteFile(system32 + "\\drivers\\r.sys", "r");
    WriteFile(action_.m_szProgramFiles + "\\tool.exe", "t");
    for (const std::string& readOnly :
         {system32 + "\\b.dll", system32 + "\\Zeta.sys", system32 + "\\drivers\\r.sys",
          action_.m_szProgramFiles + "\\tool.exe"})
        ASSERT_TRUE(SetReadOnly(readOnly)) << readOnly;

    std::string report = action_.m_szDest_Path + "fileattr.txt";
    WriteFile(report, std::string(10000, 'Q'));
    EXPECT_EQ(action_.Collect_FileAttributes(), TRUE);
    // The common files folder does not exist and contributes nothing.
    EXPECT_EQ(ReadFile(report), "\r\n attribute of " + system32 + ": 16 \r\n" +
                                    "b.dll Attribute:readonly \r\n" + "Zeta.sys Attribute:readonly \r\n" +
                                    "\r\n attribute of " + system32 + "\\drivers: 16 \r\n" +
                                    "r.sys Attribute:readonly \r\n" + "\r\n attribute of " +
                                    action_.m_szProgramFiles + ": 16 \r\n" + "tool.exe Attribute:readonly \r\n");
}

}  // namespace
