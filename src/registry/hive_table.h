// The five registry branches a collection exports and an import restores,
// and the private branch the import tool works in.
#pragma once

#include "platform/types.h"

struct RegistryHive {
    gx::HKEY hKeyRoot;
    char szSubKey[260];
    char szSaveFile[260];
};

constexpr int kHiveCount = 5;

// In processing order. Row 1 keeps its trailing backslash.
extern const RegistryHive HiveTable[kHiveCount];

// Below HKEY_LOCAL_MACHINE: the only branch the import tool writes or deletes.
constexpr char kImportBranch[] = "Software\\Gathrix";
