#include "registry/reg_import_dlg.h"

#include <algorithm>
#include <cstring>

#include "environment/action.h"
#include "framework/file_dialog.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "registry/hive_paths.h"
#include "registry/hive_table.h"
#include "resource.h"

namespace {

std::string Trimmed(const std::string& text) {
    const char* space = " \t\r\n\v\f";
    std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// A name names a key of its own below the branch: "a\b" is a key two levels
// down, but a leading, trailing or doubled backslash leaves an empty part,
// and the platform then takes the branch itself (a deletion would take every
// other import with it).
bool NamesOwnKey(const std::string& name) {
    return !name.empty() && name.front() != '\\' && name.back() != '\\' && name.find("\\\\") == std::string::npos;
}

// The longest key a restore under `name` composes.
std::string LongestHiveKey(const std::string& name) {
    std::string longest;
    for (const RegistryHive& hive : HiveTable) {
        std::string key = std::string(kImportBranch) + "\\" + name + "\\" + hive.szSubKey;
        if (key.size() > longest.size()) longest = key;
    }
    return longest;
}

// How long a name may be for every key to fit the path limit.
int LongestName() {
    return static_cast<int>(gx::MAX_PATH - 1 - (LongestHiveKey(std::string()).size()));
}

}  // namespace

CRegImportDlg::CRegImportDlg(CWnd* pParent)
    : CDialog(IDD_REGIMPORT_DIALOG, pParent), m_hIcon(gx::os().LoadIconA(nullptr, IDR_MAINFRAME)) {}

void CRegImportDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SUBFOLDER, m_editUser);
    DDX_Text(pDX, IDC_IMPORT_TEXT, m_strInfo);
}

bool CRegImportDlg::OnCommand(int id, int notifyCode) {
    static const CommandEntry<CRegImportDlg> table[] = {
        {IDC_IMPORT, &CRegImportDlg::OnButtonImport},
        {IDC_DELETE, &CRegImportDlg::OnButtonDelete},
    };
    return Dispatch(this, table, id, notifyCode) || CDialog::OnCommand(id, notifyCode);
}

bool CRegImportDlg::OnWndMsg(gx::UINT message, gx::WPARAM, gx::LPARAM, gx::INT_PTR* result) {
    switch (message) {
    case gx::WM_PAINT:
        OnPaint();
        return true;
    case gx::WM_QUERYDRAGICON:
        *result = reinterpret_cast<gx::INT_PTR>(OnQueryDragIcon());
        return true;
    default:
        return false;
    }
}

gx::BOOL CRegImportDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(gx::WM_SETICON, gx::ICON_BIG, reinterpret_cast<gx::LPARAM>(m_hIcon));
    SendMessage(gx::WM_SETICON, gx::ICON_SMALL, reinterpret_cast<gx::LPARAM>(m_hIcon));
    CAction action;
    m_strInfo = "Default-Verzeichnis für Registry-Dateien:\n <" + action.m_szDest_Path_Registry +
                "> \n\nSie werden in der Registry unter dem Key <HKLM\\" + kImportBranch + "\\UsrX> abgelegt.";
    SetWindowText(kToolCaption);
    m_editUser.SetWindowText("Usr1");
    UpdateData(FALSE);
    return TRUE;
}

void CRegImportDlg::OnPaint() {
    if (!gx::os().IsIconic(m_hWnd)) {
        Default();
        return;
    }
    gx::PAINTSTRUCT paint = {};
    gx::HDC dc = gx::os().BeginPaint(m_hWnd, &paint);
    SendMessage(gx::WM_ICONERASEBKGND, reinterpret_cast<gx::WPARAM>(dc), 0);
    gx::RECT rect = {};
    gx::os().GetClientRect(m_hWnd, &rect);
    int x = (rect.right - rect.left - gx::os().GetSystemMetrics(gx::SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - gx::os().GetSystemMetrics(gx::SM_CYICON) + 1) / 2;
    gx::os().DrawIcon(dc, x, y, m_hIcon);
    gx::os().EndPaint(m_hWnd, &paint);
}

gx::HICON CRegImportDlg::OnQueryDragIcon() { return m_hIcon; }

void CRegImportDlg::OnButtonImport() {
    CAction action;
    const std::string name = Trimmed(m_editUser.GetWindowText());
    if (!NamesOwnKey(name)) {
        MessageBox("Ungültiges Unterverzeichnis!");
        return;
    }
    // Refused before anything is touched: every key must fit the path limit.
    if (!FitsMaxPath(LongestHiveKey(name))) {
        std::string text = "Der Name des Unterverzeichnisses ist zu lang: höchstens " +
                           std::to_string(LongestName()) +
                           " Zeichen sind möglich.\n\nEs wurde keine Rücksicherung gestartet !";
        MessageBox(text.c_str(), kToolCaption, gx::MB_OK);
        return;
    }
    if (MessageBox(("Unterverzeichnis = " + name).c_str(), "Unterverzeichnis", gx::MB_OKCANCEL) != gx::IDOK) return;
    const std::string question = "Default-Verzeichnis \n" + action.m_szDest_Path_Registry + "\nwählen?";
    if (MessageBox(question.c_str(), "Eine *.sav-Datei wählen", gx::MB_YESNO) == gx::IDNO) {
        CFileDialog files(TRUE, nullptr, nullptr, gx::OFN_HIDEREADONLY, nullptr, this);
        if (files.DoModal() != gx::IDOK) {
            MessageBox("Es wurde kein Import ausgeführt");
            return;
        }
        // Only the folder counts: the five fixed names are taken from it.
        std::string folder = files.GetPathName();
        std::size_t slash = folder.rfind('\\');
        if (slash != std::string::npos) folder.erase(slash);
        action.m_szDest_Path_Registry = folder + "\\";
    }
    if (!FitsMaxPath(LongestHiveFile(action.m_szDest_Path_Registry))) {
        std::string text = "Der Pfad des Sicherungsverzeichnisses <" + action.m_szDest_Path_Registry +
                           "> ist zu lang für die Registrydateien.\n\nEs wurde keine Rücksicherung gestartet !";
        MessageBox(text.c_str(), kToolCaption, gx::MB_OK);
        return;
    }
    if (!action.IsCollect_Registry_Exist()) {
        std::string text = "Das Sicherungsverzeichnis <" + action.m_szDest_Path_Registry +
                           "> mit den Registrydateien ist nicht vorhanden !\n\nEs wurde keine Rücksicherung gestartet !";
        MessageBox(text.c_str(), kToolCaption, gx::MB_OK);
        return;
    }
    const std::string userKey = std::string(kImportBranch) + "\\" + name;
    if (action.IsRegistryEntryExit(userKey.c_str())) {
        // The question names the branch, not the user key.
        std::string text = std::string("Der Registry-Eintrag <") + kImportBranch +
                           "> existiert bereits.\n\nEintrag löschen?";
        if (MessageBox(text.c_str(), kToolCaption, gx::MB_OKCANCEL) != gx::IDOK) {
            MessageBox("Es wurde keine Rücksicherung gestartet !", kToolCaption, gx::MB_OK);
            return;
        }
        action.DeleteRegistryEntry(userKey.c_str());
    }
    if (action.Restore_Registry(name.c_str()))
        MessageBox("Die Rücksicherung wurde erfolgreich ausgeführt !", kToolCaption, gx::MB_OK);
    else
        MessageBox("Es ist ein Fehler während der Rücksicherung aufgetreten!", kToolCaption, gx::MB_OK);
}

void CRegImportDlg::OnButtonDelete() {
    CAction action;
    if (action.IsRegistryEntryExit(kImportBranch)) action.DeleteRegistryEntry(kImportBranch);
}
