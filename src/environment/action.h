// CAction (also traced as "CTool::" and "Tool::"): the working object of
// every operation. It carries the destination folders, the operating-system
// code, the well-known folders and product paths, and the two controls a
// collection run reports to. Each handler builds its own and drops it.
#pragma once

#include <string>

#include "environment/run_record.h"
#include "environment/windows_version.h"
#include "framework/wnd.h"
#include "platform/types.h"

class CAction {
public:
    CAction();
    CAction(CProgressCtrl* pProgress, CStatic* pStatusText);
    ~CAction();
    CAction(const CAction&) = delete;
    CAction& operator=(const CAction&) = delete;

    // ---- destination folders (environment/action.cpp) ----------------------
    // An executable folder too deep for the longest destination to fit the
    // 260-character path limit leaves all three destinations empty; every
    // writer treats an empty destination as refused.
    void GetDest_Path();

    // ---- Windows identification (environment/check_os.cpp) -----------------
    void CheckOS();
    int CheckOS_2000_And_Later();

    // ---- language (environment/language.cpp) -------------------------------
    int CheckLanguage();

    // ---- folders and product paths (environment/folders.cpp) ---------------
    int Init();
    int GetWindowsPath();
    int GetAUTSW_GlobalRegistry();
    int GetAUTSW_CorvaneNetPCRegistry();

    // A reparse point at the output folder or on the way to `path` below it
    // (the entry itself included): traced as "ERR <who> -> reparse point, not
    // followed: <link>" and true. The run never deletes or writes through one.
    bool OutputLinkRefused(const char* who, const std::string& path) const;

    // ---- file collection (files/) ------------------------------------------
    gx::BOOL Collect_Files();
    int CopyFileTo(gx::LPCSTR szFullSourcePath, gx::LPCSTR szFullDestPath);
    // The same, telling the overview what became of the file.
    int CopyFileTo(gx::LPCSTR szFullSourcePath, gx::LPCSTR szFullDestPath, RecordedItem& record);
    gx::BOOL Collect_FileAttributes();
    gx::BOOL GetAttributeText(gx::DWORD dwAttributes, std::string& strText) const;
    // Since Vista the device-setup log is %windir%\INF\setupapi.dev.log: its
    // newest part is collected beside the table's rows.
    void CollectSetupDevLog();
    gx::BOOL DeleteAllDirecory();
    gx::DWORD Xc_del_dir(gx::LPCSTR szDir);

    // ---- registry (registry/) ----------------------------------------------
    gx::BOOL EnablePrivilege(gx::HANDLE hToken, gx::LPCSTR szPrivilege, gx::BOOL bEnable);
    gx::BOOL Collect_Registry();
    gx::BOOL Restore_Registry(gx::LPCSTR pszSubFolder);
    gx::BOOL IsRegistryEntryExit(gx::LPCSTR szKeyName);
    gx::BOOL IsCollect_Registry_Exist();
    gx::BOOL DeleteRegistryEntry(gx::LPCSTR szKeyPath);
    void SaveHives64(const std::string& folder);

    // Shows one item of a long step: with a status control, its text, then
    // every pending message dispatched, then the 250 ms pause. Without one,
    // nothing at all.
    void ShowItemAndPump(const char* text);

    std::string m_szDest_Path_Registry;
    std::string m_szDest_Path;
    int m_iWinOS;  // a WinOS code
    gx::OSVERSIONINFOEXA m_osvi;
    CProgressCtrl* m_pProgress;
    CStatic* m_pStatusText;
    std::string m_szDest_Path_Files;
    std::string m_szNetPCPath;
    std::string m_szSharedPath;
    std::string m_szProgramFiles_Common;
    std::string m_szProgramFiles;
    std::string m_szWindowsPath;
    std::string m_szUserWindowsPath;
    std::string m_szSystemDrive;
    std::string m_szCommAppPath;
    std::string m_szCommDocPath;
    std::string m_szLocAppData;

    // What this object's run found and did, for the overview (handoff/).
    RunRecord m_Record;
};

// The tool's caption, also the start of the info box's title line.
constexpr const char kToolCaption[] = "CORVANE NET TOOL - Gathrix ";
