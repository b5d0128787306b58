#include "registry/hive_table.h"

#include "platform/constants.h"

const RegistryHive HiveTable[kHiveCount] = {
    {gx::HKEY_LOCAL_MACHINE, "SOFTWARE\\Halvorn\\", "halvorn.sav"},
    {gx::HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services", "services.sav"},
    {gx::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Ole", "msole.sav"},
    {gx::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "msuninst.sav"},
    {gx::HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Installer\\Features", "msinstfeat.sav"},
};
