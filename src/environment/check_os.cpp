// Reduces the platform's version records to the operating-system code and
// writes the full version details into the trace log.
#include <cstring>

#include "environment/action.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "trace/trace.h"

using namespace gx;

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

    m_iWinOS = 1;
    switch (read ? osvi.dwPlatformId : ~DWORD{0}) {
    case VER_PLATFORM_WIN32s:
        Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32s, Win32s on Windows 3.1");
        m_iWinOS = 2;
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS");
        m_iWinOS = 1;
        if (osvi.dwMinorVersion == 0) Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS, Windows 95");
        else if (osvi.dwMinorVersion == 10) Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS, Windows 98");
        else if (osvi.dwMinorVersion == 90) Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_WINDOWS, Windows Me");
        break;
    case VER_PLATFORM_WIN32_NT:
        Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT");
        if (osvi.dwMajorVersion == 3 && osvi.dwMinorVersion == 51) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows NT 3.51");
            m_iWinOS = 3;
        } else if (osvi.dwMajorVersion == 4 && osvi.dwMinorVersion == 0) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows NT 4.0");
            m_iWinOS = 4;
        } else if (osvi.dwMajorVersion == 5 && osvi.dwMinorVersion == 0) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows 2000");
            m_iWinOS = 5;
            CheckOS_2000_And_Later();
        } else if (osvi.dwMajorVersion == 5 && osvi.dwMinorVersion == 1) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Client");
            if (CheckOS_2000_And_Later() == 1 && m_osvi.wProductType == VER_NT_WORKSTATION) {
                if ((m_osvi.wSuiteMask & VER_SUITE_PERSONAL) != 0) {
                    Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Home Edition");
                    m_iWinOS = 7;
                } else {
                    Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows XP Professional");
                    m_iWinOS = 6;
                }
            }
        } else if (osvi.dwMajorVersion == 5 && osvi.dwMinorVersion == 2) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Windows .NET Server");
            CheckOS_2000_And_Later();
            m_iWinOS = 8;
        } else if (osvi.dwMajorVersion == 6) {
            Trace(TRACE_INFO, "Tool::CheckOS, VER_PLATFORM_WIN32_NT, Vista or Server 2008");
            CheckOS_2000_And_Later();
            m_iWinOS = 9;
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

    // In this order, not in bit order.
    static const struct {
        WORD bit;
        const char* line;
    } kSuites[] = {
        {VER_SUITE_BACKOFFICE, "  CTool::CheckOS_2000_And_Later, VER_SUITE_BACKOFFICE"},
        {VER_SUITE_DATACENTER, "  CTool::CheckOS_2000_And_Later, VER_SUITE_DATACENTER"},
        {VER_SUITE_ENTERPRISE, "  CTool::CheckOS_2000_And_Later, VER_SUITE_ENTERPRISE"},
        {VER_SUITE_PERSONAL, "  CTool::CheckOS_2000_And_Later, VER_SUITE_PERSONAL"},
        {VER_SUITE_SMALLBUSINESS, "  CTool::CheckOS_2000_And_Later, VER_SUITE_SMALLBUSINESS"},
        {VER_SUITE_SMALLBUSINESS_RESTRICTED, "  CheckOS_2000_And_Later, VER_SUITE_SMALLBUSINESS_RESTRICTED"},
        {VER_SUITE_TERMINAL, "  CTool::CheckOS_2000_And_Later, VER_SUITE_TERMINAL"},
        {VER_SUITE_BLADE, "  CTool::CheckOS_2000_And_Later, VER_SUITE_BLADE"},
        {VER_SUITE_SINGLEUSERTS, "  CTool::CheckOS_2000_And_Later, VER_SUITE_SINGLEUSERTS"},
        {VER_SUITE_COMMUNICATIONS, "  CTool::CheckOS_2000_And_Later, VER_SUITE_COMMUNICATIONS"},
        {VER_SUITE_EMBEDDEDNT, "  CTool::CheckOS_2000_And_Later, VER_SUITE_EMBEDDEDNT"},
    };
    for (const auto& suite : kSuites)
        if ((m_osvi.wSuiteMask & suite.bit) != 0) Trace(TRACE_INFO, "%s", suite.line);

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
