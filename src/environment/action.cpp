#include "environment/action.h"

#include <cstring>

#include "environment/paths.h"
#include "platform/constants.h"
#include "platform/links.h"
#include "platform/platform.h"
#include "trace/trace.h"

using namespace gx;

CAction::CAction() : CAction(nullptr, nullptr) {}

CAction::CAction(CProgressCtrl* pProgress, CStatic* pStatusText)
    : m_iWinOS(WinOS::Other), m_osvi(), m_pProgress(nullptr), m_pStatusText(nullptr) {
    GetDest_Path();
    m_pProgress = pProgress;
    m_pStatusText = pStatusText;
    std::memset(&m_osvi, 0, sizeof(m_osvi));
    CheckOS();
}

CAction::~CAction() = default;

bool CAction::OutputLinkRefused(const char* who, const std::string& path) const {
    if (m_szDest_Path.empty()) return false;  // refused destinations are not written at all
    const std::string link = LinkOnTheWay(m_szDest_Path, path);
    if (link.empty()) return false;
    Trace(TRACE_ERROR, "ERR %s -> reparse point, not followed: %s", who, link.c_str());
    return true;
}

void CAction::GetDest_Path() {
    Trace(TRACE_INFO, "> CTool::GetDest_Path");
    bool cut = false;
    const std::string module = ModuleFileName(&cut);
    std::string path = module;
    std::size_t slash = path.rfind('\\');
    if (slash != std::string::npos) {
        path.erase(slash);
        path += "\\";
        path += "CollectInfo\\";
    }
    const std::string longest = path + "Registry_Save\\";
    // A cut module path, or a destination folder beyond the path limit, is
    // refused rather than cut: the output would land elsewhere. So is a path
    // without an absolute folder, which would put it below the current one.
    bool tooLong = (cut && !module.empty()) || longest.size() + 1 > MAX_PATH;
    if (tooLong || slash == std::string::npos || !IsAbsolutePath(path)) {
        if (tooLong)
            Trace(TRACE_ERROR, "ERR CTool::GetDest_Path -> path too long (%u characters): %s",
                  static_cast<unsigned>(longest.size()), module.c_str());
        else
            Trace(TRACE_ERROR, "ERR CTool::GetDest_Path -> no absolute folder: %s", module.c_str());
        m_szDest_Path.clear();
        m_szDest_Path_Files.clear();
        m_szDest_Path_Registry.clear();
    } else {
        m_szDest_Path = path;
        m_szDest_Path_Files = m_szDest_Path + "File_Save\\";
        m_szDest_Path_Registry = m_szDest_Path + "Registry_Save\\";
    }
    Trace(TRACE_INFO, "CTool::GetDest_Path, m_szDest_Path_Files   :%s", m_szDest_Path_Files.c_str());
    Trace(TRACE_INFO, "CTool::GetDest_Path, m_szDest_Path_Registry:%s", m_szDest_Path_Registry.c_str());
    Trace(TRACE_INFO, "< CTool::GetDest_Path");
}

void CAction::ShowItemAndPump(const char* text) {
    if (m_pStatusText == nullptr) return;
    m_pStatusText->SetWindowText(text);
    MSG msg = {};
    while (os().PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        os().TranslateMessage(&msg);
        os().DispatchMessageA(&msg);
    }
    os().Sleep(250);
}
