// The files a collection run copies: one fixed table of 114 rows in two
// groups. Only iRet changes, recording each row's last copy.
#pragma once

#include <cstdint>
#include <string>

#include "environment/action.h"

struct CollectedFile {
    char szFileName[260];
    char szSourcePath[260];  // subfolder for source types 4 and 12 to 14, else "????"
    std::int32_t iCopyMode;
    std::int32_t iSourceType;
    std::int32_t iRet;
};

// Group 1 (skipped on Windows Vista and later) comes first, then group 2.
constexpr int kFileTableGroup1 = 54;
constexpr int kFileTableGroup2 = 60;
constexpr int kFileTableSize = kFileTableGroup1 + kFileTableGroup2;

extern CollectedFile FileTable[kFileTableSize];

// Where a row's file lies, by its source type: a folder of CAction, a fixed
// part below it, and for some types the row's own subfolder after that.
struct SourceType {
    std::string CAction::*base;
    const char* below;
    bool rowSubfolder;  // szSourcePath follows
    const char* name;   // as the overview names the folder
};
constexpr int kSourceTypeCount = 14;
// Source types 1 to 14; nullptr for any other.
const SourceType* FindSourceType(int type);

// The folder a row's file lies in, by its source type; empty for a type
// outside 1 to 14 and for a base folder this system did not report.
std::string CollectedFileFolder(const CAction& action, const CollectedFile& row);

// The row's source file and the path of its copy below m_szDest_Path_Files,
// which mirrors the source folder without its drive root. Both empty when
// the row has no folder, or one that is not absolute or climbs with "..".
struct CollectedFilePaths {
    std::string source;
    std::string destination;
};
CollectedFilePaths ComposeCollectedFilePaths(const CAction& action, const CollectedFile& row);
