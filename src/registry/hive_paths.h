// Path limits shared by the hive export and restore.
#pragma once

#include <string>

#include "platform/constants.h"
#include "registry/hive_table.h"

// Every path handed to the platform fits MAX_PATH with its terminator.
inline bool FitsMaxPath(const std::string& path) { return path.size() + 1 <= gx::MAX_PATH; }

// The longest hive file path that `folder` would produce.
inline std::string LongestHiveFile(const std::string& folder) {
    std::string longest = folder;
    for (const RegistryHive& hive : HiveTable)
        if (folder.size() + std::char_traits<char>::length(hive.szSaveFile) > longest.size())
            longest = folder + hive.szSaveFile;
    return longest;
}
