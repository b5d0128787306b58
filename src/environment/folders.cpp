// The Windows well-known folders and the product's installation paths.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "environment/action.h"
#include "environment/c_f_reg.h"
#include "environment/terminal_server.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "trace/trace.h"

using namespace gx;

namespace {

struct ShellFolder {
    int csidl;
    std::string CAction::*member;
    const char* error;
    const char* success;
};

// Asked in this order; a failure stops the walk and keeps what came before.
const ShellFolder kShellFolders[] = {
    {CSIDL_PROGRAM_FILES_COMMON, &CAction::m_szProgramFiles_Common,
     "ERR1 CTool::GetWindowsPath -> CSIDL_PROGRAM_FILES_COMMON  = %lx",
     "CTool::GetWindowsPath, m_szProgramFiles_Common:%s"},
    {CSIDL_PROGRAM_FILES, &CAction::m_szProgramFiles, "ERR2 CTool::GetWindowsPath -> CSIDL_PROGRAM_FILES   = %lx",
     "CTool::GetWindowsPath, m_szProgramFiles:%s"},
    {CSIDL_COMMON_APPDATA, &CAction::m_szCommAppPath,
     "ERR2 CTool::GetWindowsPath -> CSIDL_COMMON_APPDATA   = %lx", "CTool::GetWindowsPath, m_szCommAppPath:%s"},
    {CSIDL_COMMON_DOCUMENTS, &CAction::m_szCommDocPath,
     "ERR2 CTool::GetWindowsPath -> CSIDL_COMMON_DOCUMENTS   = %lx", "CTool::GetWindowsPath, m_szCommDocPath:%s"},
    {CSIDL_LOCAL_APPDATA, &CAction::m_szLocAppData, "ERR2 CTool::GetWindowsPath -> CSIDL_LOCAL_APPDATA    = %lx",
     "CTool::GetWindowsPath, m_szLocAppData:%s"},
    {CSIDL_WINDOWS, &CAction::m_szWindowsPath, "ERR3 CTool::GetWindowsPath -> CSIDL_WINDOWS   = %lx",
     "CTool::GetWindowsPath, m_szWindowsPath:%s"},
};

struct ProductValue {
    ProductValueName name;
    std::string CAction::*member;
    const char* entry;
    const char* openError;
    const char* readError;
    const char* found;
    const char* exit;
};

const ProductValue kSharedPath = {
    kSharedPathValue,
    &CAction::m_szSharedPath,
    "> CAction::GetAUTSW_GlobalRegistry",
    "ERR1(%li) CAction::GetAUTSW_GlobalRegistry -> SOFTWARE\\HALVORN\\AUTSW\\Global RegOpenKeyEx(%s)",
    "ERR2(%li) CAction::GetAUTSW_GlobalRegistry -> SOFTWARE\\HALVORN\\AUTSW\\Global SharedPath GetValueEx(%s)",
    "CAction::GetAUTSW_GlobalRegistry, SOFTWARE\\HALVORN\\AUTSW\\Global SharedPath:%s",
    "< CAction::GetAUTSW_GlobalRegistry",
};

const ProductValue kNetPCPath = {
    kNetPCPathValue,
    &CAction::m_szNetPCPath,
    "> CAction::GetAUTSW_CorvaneNetPCRegistry",
    "ERR1(%li) CAction::GetAUTSW_CorvaneNetPCRegistry -> SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software "
    "RegOpenKeyEx(%s)",
    "ERR2(%li) CAction::GetAUTSW_CorvaneNetPCRegistry -> SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software Path "
    "GetValueEx(%s)",
    "CAction::GetAUTSW_CorvaneNetPCRegistry, SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software Path:%s",
    "< CAction::GetAUTSW_CorvaneNetPCRegistry",
};

// One product value through one view: the open's status in *opened, the
// read's returned.
LONG ReadPathValue(const ProductValueName& name, REGSAM access, BYTE* data, DWORD* size, LONG* opened) {
    C_F_Reg reg(HKEY_LOCAL_MACHINE, name.key, access, opened);
    return *opened != 0 ? *opened : reg.QueryValue(name.value, data, size);
}

// Reads one product path into its member: 1 found, 0 not.
int ReadProductValue(CAction& action, const ProductValue& item, ProductLookup& record) {
    Trace(TRACE_INFO, "%s", item.entry);
    char key[MAX_PATH];
    std::snprintf(key, sizeof(key), "%s", item.name.key);
    // Read only: the 32-bit view first, where the family's 32-bit installers
    // write; on 64-bit Windows then the 64-bit view, where a 64-bit component
    // may have written it alone.
    LONG opened = 0;
    BYTE data[MAX_PATH];
    std::memset(data, 0, sizeof(data));
    DWORD size = MAX_PATH;
    LONG status = ReadPathValue(item.name, KEY_READ, data, &size, &opened);
    if (status == static_cast<LONG>(ERROR_FILE_NOT_FOUND) && action.m_Record.wow64) {
        BYTE other[MAX_PATH];
        std::memset(other, 0, sizeof(other));
        DWORD otherSize = MAX_PATH;
        LONG otherOpened = 0;
        if (ReadPathValue(item.name, KEY_READ | KEY_WOW64_64KEY, other, &otherSize, &otherOpened) == 0) {
            std::memcpy(data, other, sizeof(data));
            size = otherSize;
            status = opened = 0;
        }
    }
    if (opened != 0) {
        Trace(TRACE_ERROR, item.openError, static_cast<long>(opened), key);
        record = {ProductLookup::OpenFailed, static_cast<long>(opened)};
        return 0;
    }
    if (status != 0) {
        Trace(TRACE_ERROR, item.readError, static_cast<long>(status), key);
        record = {ProductLookup::ReadFailed, static_cast<long>(status)};
        return 0;
    }
    // The platform hands back the stored bytes as they are: a value without
    // its terminating zero, or one that fills the buffer, ends inside it.
    std::size_t limit = std::min<std::size_t>(size, MAX_PATH - 1);
    const char* text = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(text, '\0', limit);
    action.*item.member = std::string(text, zero != nullptr ? static_cast<const char*>(zero) - text : limit);
    Trace(TRACE_INFO, item.found, (action.*item.member).c_str());
    Trace(TRACE_INFO, "%s", item.exit);
    record = {ProductLookup::Found, 0};
    return 1;
}

// Windows 2000 gives a terminal-server user a private Windows folder; the
// product's setup log may then exist in both, so both are kept.
void TakeSystemWindowsFolder(CAction& action) {
    char system[MAX_PATH];
    std::memset(system, 0, sizeof(system));
    CTerminalServer terminalServer;
    // An empty answer (the size needed, nothing written) is no folder either.
    if (terminalServer.GetPath_GetSystemWindowsDirectory(system, MAX_PATH) != 1 || system[0] == '\0') {
        Trace(TRACE_INFO, "  GetPath_GetSystemWindowsDirectory Error\n");
        return;
    }
    if (action.m_szUserWindowsPath == system) return;
    Trace(TRACE_INFO, "  GetPath_GetSystemWindowsDirectory: 2 cornetpc_log.txt available\n");
    // The user's folder keeps what the shell reported.
    action.m_szWindowsPath = system;
}

}  // namespace

int CAction::Init() {
    Trace(TRACE_INFO, "> CAction::Init");
    os().GetLocalTime(&m_Record.started);
    m_Record.windowsPathResult = GetWindowsPath();
    if (m_Record.windowsPathResult == WindowsPathResult::Failed) {
        Trace(TRACE_INFO, "< CAction::Init, Error GetWindowsPath");
        return 0;
    }
    // A missing product installation never stops a run.
    if (GetAUTSW_GlobalRegistry() == 0) {
        Trace(TRACE_INFO, "CAction::Init, Error GetAUTSW_GlobalRegistry");
        return 1;
    }
    if (GetAUTSW_CorvaneNetPCRegistry() == 0) {
        Trace(TRACE_INFO, "CAction::Init, Error GetAUTSW_CorvaneNetPCRegistry");
        return 1;
    }
    Trace(TRACE_INFO, "< CAction::Init");
    return 1;
}

int CAction::GetWindowsPath() {
    if (m_iWinOS == WinOS::NT4) {
        Trace(TRACE_INFO, "> CAction::GetWindowsPath->NT");
        m_szProgramFiles_Common.clear();
        m_szProgramFiles.clear();
        m_szUserWindowsPath.clear();
        m_szWindowsPath.clear();
        m_szCommAppPath.clear();
        m_szCommDocPath.clear();
        m_szLocAppData.clear();
        char windows[MAX_PATH];
        std::memset(windows, 0, sizeof(windows));
        UINT length = os().GetWindowsDirectoryA(windows, MAX_PATH);
        // A larger answer is the size needed: the buffer was not written.
        if (length != 0 && length < MAX_PATH) m_szWindowsPath = windows;
        Trace(TRACE_INFO, "CTool::GetWindowsPath, m_szWindowsPath:%s", m_szWindowsPath.c_str());
    } else {
        Trace(TRACE_INFO, "> CAction::GetWindowsPath->W2K, XP");
        // Only taken when already loaded: the program must start without it.
        HMODULE hmodS32 = os().GetModuleHandleA("Shell32.DLL");
        if (hmodS32 == nullptr) {
            Trace(TRACE_INFO, "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == hmodS32 GetLastError:%lu\n",
                  static_cast<unsigned long>(os().GetLastError()));
            return WindowsPathResult::NoFolderService;
        }
        FARPROC pf = os().GetProcAddress(hmodS32, "SHGetFolderPathA");
        if (pf == nullptr) {
            Trace(TRACE_INFO, "<> CTerminalServer::GetPath_GetSystemWindowsDirectory, NULL == pf GetLastError:%lu\n",
                  static_cast<unsigned long>(os().GetLastError()));
            return WindowsPathResult::NoFolderService;
        }
        for (const ShellFolder& folder : kShellFolders) {
            char path[MAX_PATH];
            std::memset(path, 0, sizeof(path));
            HRESULT result = os().Call_SHGetFolderPathA(pf, nullptr, folder.csidl, nullptr, 0, path);
            if (result != 0) {
                Trace(TRACE_ERROR, folder.error, static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
                return WindowsPathResult::Failed;
            }
            path[MAX_PATH - 1] = '\0';
            this->*folder.member = path;
            Trace(TRACE_INFO, folder.success, (this->*folder.member).c_str());
        }
        m_szUserWindowsPath = m_szWindowsPath;
        if (m_iWinOS == WinOS::W2000) TakeSystemWindowsFolder(*this);
    }
    // The drive root of the Windows folder, "C:\" when it has none.
    m_szSystemDrive = "C:\\";
    if (m_szWindowsPath.size() > 3 && std::isalpha(static_cast<unsigned char>(m_szWindowsPath[0])) &&
        m_szWindowsPath[1] == ':' && m_szWindowsPath[2] == '\\')
        m_szSystemDrive = m_szWindowsPath.substr(0, 3);
    Trace(TRACE_INFO, "< CAction::GetWindowsPath");
    return WindowsPathResult::Done;
}

int CAction::GetAUTSW_GlobalRegistry() { return ReadProductValue(*this, kSharedPath, m_Record.sharedPath); }

int CAction::GetAUTSW_CorvaneNetPCRegistry() {
    return ReadProductValue(*this, kNetPCPath, m_Record.netPcPath);
}
