#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "files/file_table.h"

namespace {

bool Terminated(const char (&field)[260]) { return std::memchr(field, '\0', sizeof(field)) != nullptr; }

std::map<int, int> TypeCounts(int first, int count) {
    std::map<int, int> counts;
    for (int i = first; i < first + count; ++i) ++counts[FileTable[i].iSourceType];
    return counts;
}

TEST(FileTable, GroupsHoldTheFixedCountsPerSourceType) {
    ASSERT_EQ(sizeof(FileTable) / sizeof(FileTable[0]), 114u);
    std::map<int, int> group1 = {{1, 39}, {4, 7}, {5, 1}, {6, 1}, {7, 1}, {8, 3}, {9, 1}, {10, 1}};
    std::map<int, int> group2 = {{1, 7}, {4, 7}, {6, 1}, {7, 1}, {10, 1}, {12, 38}, {13, 3}, {14, 2}};
    EXPECT_EQ(TypeCounts(0, kFileTableGroup1), group1);
    EXPECT_EQ(TypeCounts(kFileTableGroup1, kFileTableGroup2), group2);
}

TEST(FileTable, EveryRowStartsUncopiedWithCopyModeOneAndAPlainFileName) {
    for (int i = 0; i < kFileTableSize; ++i) {
        const CollectedFile& row = FileTable[i];
        SCOPED_TRACE(i);
        ASSERT_TRUE(Terminated(row.szFileName));
        ASSERT_TRUE(Terminated(row.szSourcePath));
        EXPECT_EQ(row.iCopyMode, 1);
        EXPECT_EQ(row.iRet, 0);
        EXPECT_GT(std::strlen(row.szFileName), 0u);
        EXPECT_EQ(std::strpbrk(row.szFileName, "\\/:*?\"<>|"), nullptr) << row.szFileName;
    }
}

TEST(FileTable, SourcePathFormsFollowTheSourceType) {
    for (int i = 0; i < kFileTableSize; ++i) {
        const CollectedFile& row = FileTable[i];
        std::string path = row.szSourcePath;
        SCOPED_TRACE(std::to_string(i) + " " + row.szFileName + " " + path);
        switch (row.iSourceType) {
        case 4:
            ASSERT_FALSE(path.empty());
            // Group 1 writes the subfolder with its own separator (a doubled
            // one once joined), group 2 without.
            EXPECT_EQ(path[0] == '\\', i < kFileTableGroup1);
            EXPECT_NE(path.back(), '\\');
            break;
        case 12:
            EXPECT_EQ(path, "\\Halvorn\\Automation\\LogFiles\\setup");
            break;
        case 13:
        case 14:
            ASSERT_GT(path.size(), 1u);
            EXPECT_EQ(path[0], '\\');
            EXPECT_NE(path.back(), '\\');
            break;
        default:
            EXPECT_EQ(path, "????");
        }
    }
}

TEST(FileTable, NamesTheDeviceLogAndTheProductSetupLogAndRepeatsRows) {
    auto has = [](int first, int count, const char* name, int type) {
        for (int i = first; i < first + count; ++i)
            if (std::strcmp(FileTable[i].szFileName, name) == 0 && FileTable[i].iSourceType == type) return true;
        return false;
    };
    EXPECT_TRUE(has(0, kFileTableGroup1, "setupapi.log", 1));
    EXPECT_TRUE(has(kFileTableGroup1, kFileTableGroup2, "setupapi.log", 1));
    EXPECT_TRUE(has(0, kFileTableSize, "CorNetPC_LOG.txt", 1));

    // Group 2 repeats rows of group 1: same file in the same folder (type-4
    // subfolders compared without the leading separator).
    using Place = std::tuple<std::string, int, std::string>;
    auto place = [](const CollectedFile& row) {
        std::string path = row.szSourcePath;
        if (row.iSourceType == 4 && !path.empty() && path[0] == '\\') path.erase(0, 1);
        return Place{row.szFileName, row.iSourceType, path};
    };
    std::set<Place> group1;
    for (int i = 0; i < kFileTableGroup1; ++i) group1.insert(place(FileTable[i]));
    int repeats = 0;
    for (int i = kFileTableGroup1; i < kFileTableSize; ++i) repeats += group1.count(place(FileTable[i]));
    EXPECT_GE(repeats, 5);

    // Several file names lie in more than one folder.
    std::map<std::string, std::set<std::pair<int, std::string>>> folders;
    for (const CollectedFile& row : FileTable) {
        Place where = place(row);
        folders[row.szFileName].insert({std::get<1>(where), std::get<2>(where)});
    }
    int shared = 0;
    for (const auto& entry : folders) shared += entry.second.size() > 1 ? 1 : 0;
    EXPECT_GE(shared, 3);
}

}  // namespace
