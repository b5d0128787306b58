#include "environment_probe.h"

#include "environment/action.h"
#include "environment/c_f_reg.h"
#include "environment/terminal_server.h"
#include "platform/constants.h"
#include "trace/setup_log.h"

namespace envprobe {

std::map<std::string, std::string> ProbeEnvironment() {
    CAction action;
    int init = action.Init();
    return {
        {"Init", std::to_string(init)},
        {"m_iWinOS", std::to_string(action.m_iWinOS)},
        {"m_szDest_Path", action.m_szDest_Path},
        {"m_szProgramFiles_Common", action.m_szProgramFiles_Common},
        {"m_szProgramFiles", action.m_szProgramFiles},
        {"m_szCommAppPath", action.m_szCommAppPath},
        {"m_szCommDocPath", action.m_szCommDocPath},
        {"m_szLocAppData", action.m_szLocAppData},
        {"m_szWindowsPath", action.m_szWindowsPath},
        {"m_szUserWindowsPath", action.m_szUserWindowsPath},
        {"m_szSystemDrive", action.m_szSystemDrive},
        {"m_szSharedPath", action.m_szSharedPath},
        {"m_szNetPCPath", action.m_szNetPCPath},
    };
}

long HoldProductKey(bool* held) {
    C_F_Reg reg;
    *held = static_cast<bool>(reg.m_hKey);
    return reg.m_lStatus;
}

std::string SetupLogPath() {
    char path[gx::MAX_PATH];
    GetSetupLogPath(path);
    return path;
}

void AppendSetupLogLine(long code) { TraceSetupLog("<> ERR:C_F_Reg -> RegCreateKeyEx: %li\n", code); }

int SystemWindowsFolder(std::string* folder) {
    char path[gx::MAX_PATH] = {};
    CTerminalServer terminalServer;
    int result = terminalServer.GetPath_GetSystemWindowsDirectory(path, gx::MAX_PATH);
    *folder = path;
    return result;
}

}  // namespace envprobe
