#include "files/file_table.h"

#include <cstring>

namespace {

const SourceType kSourceTypes[kSourceTypeCount] = {
    {&CAction::m_szWindowsPath, "", false, "Windows folder"},
    {&CAction::m_szProgramFiles, "", false, "program files"},
    {&CAction::m_szProgramFiles_Common, "", false, "common program files"},
    {&CAction::m_szNetPCPath, "\\", true, "product installation path"},
    {&CAction::m_szSharedPath, "", false, "product shared path"},
    {&CAction::m_szWindowsPath, "\\setup", false, "Windows folder\\setup"},
    {&CAction::m_szUserWindowsPath, "", false, "user's Windows folder"},
    {&CAction::m_szWindowsPath, "\\setup\\logfiles", false, "Windows folder\\setup\\logfiles"},
    {&CAction::m_szSystemDrive, "", false, "system drive"},
    {&CAction::m_szWindowsPath, "\\system32", false, "Windows folder\\system32"},
    {&CAction::m_szWindowsPath, "\\system32\\config", false, "Windows folder\\system32\\config"},
    // the row's subfolder begins with its own backslash
    {&CAction::m_szCommAppPath, "", true, "common application data"},
    {&CAction::m_szCommDocPath, "", true, "common documents"},
    {&CAction::m_szLocAppData, "", true, "local application data"},
};

}  // namespace

const SourceType* FindSourceType(int type) {
    return type >= 1 && type <= kSourceTypeCount ? &kSourceTypes[type - 1] : nullptr;
}

namespace {

// The rows as written. FileTable itself is filled from them at start: as an
// initialised array its two 260-character fields per row, almost all zeros,
// were 60 KB of the exe.
struct Row {
    const char* szFileName;
    const char* szSourcePath;
    std::int32_t iCopyMode;
    std::int32_t iSourceType;
    std::int32_t iRet;
};

// Source types: see kSourceTypes above, in order from 1.
constexpr Row kRows[kFileTableSize] = {
    // ---- group 1: up to Windows XP / Server 2003 ----
    // the platform's device-setup log
    {"setupapi.log", "????", 1, 1, 0},
    // the product's setup log
    {"CorNetPC_LOG.txt", "????", 1, 1, 0},
    // registry cleaning and registry tests
    {"HvRegClean.log", "????", 1, 1, 0},
    {"HvRegClean_Uninst.log", "????", 1, 1, 0},
    {"HvRegTest.log", "????", 1, 1, 0},
    {"HvRegTest_Result.log", "????", 1, 1, 0},
    // installation logs of the components
    {"HvAutSw_Inst.log", "????", 1, 1, 0},
    {"CorNetPC_Inst.log", "????", 1, 1, 0},
    {"HvCommSrv_Inst.log", "????", 1, 1, 0},
    {"HvLicMgr_Inst.log", "????", 1, 1, 0},
    {"HvDrvPack_Inst.log", "????", 1, 1, 0},
    {"HvDataSrv_Inst.log", "????", 1, 1, 0},
    {"HvPanelRt_Inst.log", "????", 1, 1, 0},
    {"HvProjEd_Inst.log", "????", 1, 1, 0},
    {"HvNetCfg_Inst.log", "????", 1, 1, 0},
    {"HvDiagTool_Inst.log", "????", 1, 1, 0},
    {"HvHelpSys_Inst.log", "????", 1, 1, 0},
    {"HvUpdSvc_Inst.log", "????", 1, 1, 0},
    {"HvSimBox_Inst.log", "????", 1, 1, 0},
    {"HvFwLoad_Inst.log", "????", 1, 1, 0},
    {"HvBusMon_Inst.log", "????", 1, 1, 0},
    {"HvTagBase_Inst.log", "????", 1, 1, 0},
    {"HvAlarmSrv_Inst.log", "????", 1, 1, 0},
    {"HvTrendView_Inst.log", "????", 1, 1, 0},
    {"HvUserMgr_Inst.log", "????", 1, 1, 0},
    {"HvRemoteSvc_Inst.log", "????", 1, 1, 0},
    // second variant, written by a repeated installation
    {"HvAutSw_Inst2.log", "????", 1, 1, 0},
    {"CorNetPC_Inst2.log", "????", 1, 1, 0},
    {"HvCommSrv_Inst2.log", "????", 1, 1, 0},
    {"HvDrvPack_Inst2.log", "????", 1, 1, 0},
    {"HvDataSrv_Inst2.log", "????", 1, 1, 0},
    {"HvPanelRt_Inst2.log", "????", 1, 1, 0},
    {"HvNetCfg_Inst2.log", "????", 1, 1, 0},
    {"HvFwLoad_Inst2.log", "????", 1, 1, 0},
    // uninstallation logs
    {"HvAutSw_Uninst.log", "????", 1, 1, 0},
    {"CorNetPC_Uninst.log", "????", 1, 1, 0},
    {"HvCommSrv_Uninst.log", "????", 1, 1, 0},
    {"HvLicMgr_Uninst.log", "????", 1, 1, 0},
    {"HvDrvPack_Uninst.log", "????", 1, 1, 0},
    // error files and exception dumps below the installation path
    {"CorNetPC_Error.txt", "\\bin", 1, 4, 0},
    {"CorNetPC_Exception.dmp", "\\bin", 1, 4, 0},
    {"NetPCSrv_Error.txt", "\\bin", 1, 4, 0},
    {"NetPCSrv_Exception.dmp", "\\bin", 1, 4, 0},
    {"CorNetPC_Runtime.log", "\\log", 1, 4, 0},
    {"NetPCCfg_Error.txt", "\\config", 1, 4, 0},
    {"HvStation_Error.txt", "\\log\\station", 1, 4, 0},
    // the shared folder of the product family
    {"HvShared_Inst.log", "????", 1, 5, 0},
    // Windows\setup
    {"HvPreInst.log", "????", 1, 6, 0},
    // the setup log in the user's own Windows folder (terminal server)
    {"CorNetPC_LOG.txt", "????", 1, 7, 0},
    // Windows\setup\logfiles
    {"HvAutSw_Setup.log", "????", 1, 8, 0},
    {"CorNetPC_Setup.log", "????", 1, 8, 0},
    {"HvDrvPack_Setup.log", "????", 1, 8, 0},
    // the root of the system drive
    {"HvBootInst.log", "????", 1, 9, 0},
    // Windows\system32
    {"HvDrvInst.log", "????", 1, 10, 0},
    // ---- group 2: every system ----
    // the Windows folder again, also on systems without group 1
    {"setupapi.log", "????", 1, 1, 0},
    {"CorNetPC_LOG.txt", "????", 1, 1, 0},
    {"HvRegClean.log", "????", 1, 1, 0},
    {"HvRegTest.log", "????", 1, 1, 0},
    {"HvAutSw_Inst.log", "????", 1, 1, 0},
    {"CorNetPC_Inst.log", "????", 1, 1, 0},
    {"HvLicMgr_Inst.log", "????", 1, 1, 0},
    // below the installation path, written without the leading separator
    {"CorNetPC_Error.txt", "bin", 1, 4, 0},
    {"CorNetPC_Exception.dmp", "bin", 1, 4, 0},
    {"NetPCSrv_Error.txt", "bin", 1, 4, 0},
    {"NetPCSrv_Exception.dmp", "bin", 1, 4, 0},
    {"CorNetPC_Runtime.log", "log", 1, 4, 0},
    {"NetPCCfg_Error.txt", "config", 1, 4, 0},
    {"NetPCCfg_Exception.dmp", "config", 1, 4, 0},
    {"HvPreInst.log", "????", 1, 6, 0},
    {"CorNetPC_LOG.txt", "????", 1, 7, 0},
    {"HvDrvInst.log", "????", 1, 10, 0},
    // the product family's setup logs in the common application data
    {"HvAutSw_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"CorNetPC_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvCommSrv_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvLicMgr_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvDrvPack_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvDataSrv_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvPanelRt_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvProjEd_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvNetCfg_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvDiagTool_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvHelpSys_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvUpdSvc_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvSimBox_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvFwLoad_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvBusMon_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvTagBase_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvAlarmSrv_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvTrendView_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvUserMgr_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvRemoteSvc_Setup.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvAutSw_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"CorNetPC_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvCommSrv_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvLicMgr_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvDrvPack_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvDataSrv_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvPanelRt_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvProjEd_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvNetCfg_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvDiagTool_Setup2.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvSetupMgr.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvSetupMgr_Err.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvPrereq_Check.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvPrereq_Inst.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvRegClean.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvRegTest.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvProductList.log", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    {"HvSetupSummary.txt", "\\Halvorn\\Automation\\LogFiles\\setup", 1, 12, 0},
    // reports in the common documents
    {"NetPCDiag_Report.txt", "\\Halvorn\\CorNetPC\\Diagnostics", 1, 13, 0},
    {"NetPCDiag_Error.txt", "\\Halvorn\\CorNetPC\\Diagnostics", 1, 13, 0},
    {"HvLicense_Report.txt", "\\Halvorn\\CorNetPC\\Diagnostics", 1, 13, 0},
    // the user's local application data
    {"CorNetPC_User.log", "\\Halvorn\\CorNetPC\\Logs", 1, 14, 0},
    {"CorNetPC_Exception.dmp", "\\Halvorn\\CorNetPC\\Logs", 1, 14, 0},
};

constexpr bool Fits(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') ++length;
    return length < sizeof(CollectedFile::szFileName) && length < sizeof(CollectedFile::szSourcePath);
}

constexpr bool AllRowsFit() {
    for (const Row& row : kRows)
        if (!Fits(row.szFileName) || !Fits(row.szSourcePath)) return false;
    return true;
}
static_assert(AllRowsFit(), "a file table text does not fit its 260-character field");

}  // namespace

CollectedFile FileTable[kFileTableSize];

namespace {

struct FillFileTable {
    FillFileTable() {
        for (int i = 0; i < kFileTableSize; ++i) {
            const Row& row = kRows[i];
            std::strcpy(FileTable[i].szFileName, row.szFileName);
            std::strcpy(FileTable[i].szSourcePath, row.szSourcePath);
            FileTable[i].iCopyMode = row.iCopyMode;
            FileTable[i].iSourceType = row.iSourceType;
            FileTable[i].iRet = row.iRet;
        }
    }
} fillFileTable;

}  // namespace
