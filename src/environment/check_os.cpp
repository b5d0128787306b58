// Reduces the platform's version records to the operating-system code and
// writes the full version details into the trace log.
#include <cstring>

#include "environment/action.h"
#include "environment/wow64.h"
#include "environment/windows_version.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "trace/trace.h"

using namespace gx;

namespace {

struct WindowsSystem {
    int code;
    const char* name;
};

const WindowsSystem kWindowsSystems[] = {
    {WinOS::Other, "Windows 95, 98 or Me, or not recognised"},
    {WinOS::Win32s, "Win32s on Windows 3.1"},
    {WinOS::NT351, "Windows NT 3.51"},
    {WinOS::NT4, "Windows NT 4.0"},
    {WinOS::W2000, "Windows 2000"},
    {WinOS::XPProfessional, "Windows XP Professional"},
    {WinOS::XPHome, "Windows XP Home Edition"},
    {WinOS::NetServer, "Windows .NET Server"},
    {WinOS::VistaOrLater, "Windows Vista, Server 2008 or later"},
};

}  // namespace

const char* WindowsSystemName(int code) {
    for (const WindowsSystem& system : kWindowsSystems)
        if (system.code == code) return system.name;
    return kWindowsSystems[0].name;
}

const SuiteName kSuiteNames[kSuiteNameCount] = {
    {VER_SUITE_BACKOFFICE, "  CTool::CheckOS_2000_And_Later, VER_SUITE_BACKOFFICE", "BackOffice"},
    {VER_SUITE_DATACENTER, "  CTool::CheckOS_2000_And_Later, VER_SUITE_DATACENTER", "Datacenter"},
    {VER_SUITE_ENTERPRISE, "  CTool::CheckOS_2000_And_Later, VER_SUITE_ENTERPRISE", "Enterprise"},
    {VER_SUITE_PERSONAL, "  CTool::CheckOS_2000_And_Later, VER_SUITE_PERSONAL", "Personal"},
    {VER_SUITE_SMALLBUSINESS, "  CTool::CheckOS_2000_And_Later, VER_SUITE_SMALLBUSINESS", "Small Business"},
    {VER_SUITE_SMALLBUSINESS_RESTRICTED, "  CheckOS_2000_And_Later, VER_SUITE_SMALLBUSINESS_RESTRICTED",
     "Small Business (restricted)"},
    {VER_SUITE_TERMINAL, "  CTool::CheckOS_2000_And_Later, VER_SUITE_TERMINAL", "Terminal Services"},
    {VER_SUITE_BLADE, "  CTool::CheckOS_2000_And_Later, VER_SUITE_BLADE", "Web Edition"},
    {VER_SUITE_SINGLEUSERTS, "  CTool::CheckOS_2000_And_Later, VER_SUITE_SINGLEUSERTS",
     "single-user Terminal Services"},
    {VER_SUITE_COMMUNICATIONS, "  CTool::CheckOS_2000_And_Later, VER_SUITE_COMMUNICATIONS", "Communications"},
    {VER_SUITE_EMBEDDEDNT, "  CTool::CheckOS_2000_And_Later, VER_SUITE_EMBEDDEDNT", "Embedded"},
};

const char* ProductTypeName(BYTE type) {
    switch (type) {
    case VER_NT_WORKSTATION: return "workstation";
    case VER_NT_DOMAIN_CONTROLLER: return "domain controller";
    case VER_NT_SERVER: return "server";
    default: return "unknown";
    }
}

void CAction::CheckOS() {
    OSVERSIONINFOA osvi;
    std::memset(&osvi, 0, sizeof(osvi));
    osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    bool read = os().GetVersionExA(&osvi) != FALSE;
    if (!read) {
        // Never read what the platform did not write: an unknown system,
        // code 1, and the block shows an empty record.
        Trace(TRACE_INFO, "<> CTool::CheckOS, GetVersionEx GetLastError:%lu",
              static_cast<unsigned long>(os().GetLastError()));
        std::memset(&osvi, 0, sizeof(osvi));
        osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    }
    osvi.szCSDVersion[sizeof(osvi.szCSDVersion) - 1] = '\0';
    m_Record.version = osvi;

    m_iWinOS = WinOS::Other;
    switch (read ? osvi.dwPlatformId : ~DWORD{0}) {
    case VER_PLATFORM_WIN32s:
        Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32s, Win32s on Windows 3.1");
        m_iWinOS = WinOS::Win32s;
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS");
        m_iWinOS = WinOS::Other;
        if (osvi.dwMinorVersion == 0) Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS, Windows 95");
        else if (osvi.dwMinorVersion == 10) Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS, Windows 98");
        else if (osvi.dwMinorVersion == 90) Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS, Windows Me");
        break;
    case VER_PLATFORM_WIN32_NT:
        Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT");
        if (osvi.dwMajorVersion == 3 && osvi.dwMinorVersion == 51) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows NT 3.51");
            m_iWinOS = WinOS::NT351;
        } else if (osvi.dwMajorVersion == 4 && osvi.dwMinorVersion == 0) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows NT 4.0");
            m_iWinOS = WinOS::NT4;
        } else if (osvi.dwMajorVersion == 5 && osvi.dwMinorVersion == 0) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows 2000");
            m_iWinOS = WinOS::W2000;
            CheckOS_2000_And_Later();
        } else if (osvi.dwMajorVersion == 5 && osvi.dwMinorVersion == 1) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Client");
            if (CheckOS_2000_And_Later() == 1 && m_osvi.wProductType == VER_NT_WORKSTATION) {
                if ((m_osvi.wSuiteMask & VER_SUITE_PERSONAL) != 0) {
                    Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Home Edition");
                    m_iWinOS = WinOS::XPHome;
                } else {
                    Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Professional");
                    m_iWinOS = WinOS::XPProfessional;
                }
            }
        } else if (osvi.dwMajorVersion == 5 && osvi.dwMinorVersion == 2) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows .NET Server");
            CheckOS_2000_And_Later();
            m_iWinOS = WinOS::NetServer;
        } else if (osvi.dwMajorVersion == 6) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Vista or Server 2008");
            CheckOS_2000_And_Later();
            m_iWinOS = WinOS::VistaOrLater;
        }
        break;
    default:
        break;
    }

    Trace(TRACE_INFO, "  CTool::CheckOS, szCSDVersion  :%s", osvi.szCSDVersion);
    Trace(TRACE_INFO, "  CTool::CheckOS, dwPlatformId  :%d", static_cast<int>(osvi.dwPlatformId));
    Trace(TRACE_INFO, "  CTool::CheckOS, dwMinorVersion:%d", static_cast<int>(osvi.dwMinorVersion));
    Trace(TRACE_INFO, "  CTool::CheckOS, dwMajorVersion:%d", static_cast<int>(osvi.dwMajorVersion));
    Trace(TRACE_INFO, "  CTool::CheckOS, dwBuildNumber :%d", static_cast<int>(osvi.dwBuildNumber));
    m_Record.wow64 = RunsUnderWow64();
    if (m_Record.wow64) Trace(TRACE_INFO, "  CTool::CheckOS, %s", kWow64Note);
    Trace(TRACE_INFO, "< CTool::CheckOS, m_iWinOS      :%d", m_iWinOS);
}

int CAction::CheckOS_2000_And_Later() {
    std::memset(&m_osvi, 0, sizeof(m_osvi));
    m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (!os().GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&m_osvi))) {
        DWORD error = os().GetLastError();
        // Only the size field survives a refused read.
        std::memset(&m_osvi, 0, sizeof(m_osvi));
        m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
        Trace(TRACE_INFO, "<> CTool::CheckOS_2000_And_Later, GetVersionEx GetLastError:%lu",
              static_cast<unsigned long>(error));
        return 0;
    }
    Trace(TRACE_INFO, "> CTool::CheckOS_2000_And_Later, wSuiteMask       :0x%hx",
          static_cast<unsigned short>(m_osvi.wSuiteMask));
    Trace(TRACE_INFO, "  CTool::CheckOS_2000_And_Later, wProductType     :0x%hx",
          static_cast<unsigned short>(m_osvi.wProductType));
    Trace(TRACE_INFO, "  CTool::CheckOS_2000_And_Later, wServicePackMajor:%lu",
          static_cast<unsigned long>(m_osvi.wServicePackMajor));
    Trace(TRACE_INFO, "  CTool::CheckOS_2000_And_Later, wServicePackMinor:%lu",
          static_cast<unsigned long>(m_osvi.wServicePackMinor));

    for (const SuiteName& suite : kSuiteNames)
        if ((m_osvi.wSuiteMask & suite.bit) != 0) Trace(TRACE_INFO, "%s", suite.trace);

    switch (m_osvi.wProductType) {
    case VER_NT_WORKSTATION:
        Trace(TRACE_INFO, "  CTool::CheckOS_2000_And_Later, VER_NT_WORKSTATION");
        break;
    case VER_NT_DOMAIN_CONTROLLER:
        Trace(TRACE_INFO, "  CTool::CheckOS_2000_And_Later, VER_NT_DOMAIN_CONTROLLER");
        break;
    case VER_NT_SERVER:
        Trace(TRACE_INFO, "< CTool::CheckOS_2000_And_Later, VER_NT_SERVER");
        break;
    default:
        break;
    }
    return 1;
}
