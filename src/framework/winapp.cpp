#include "framework/winapp.h"

#include <cstring>

#include "platform/constants.h"
#include "platform/platform.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_pszGivenName(appName) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

gx::BOOL CWinApp::InitInstance() { return TRUE; }

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 0;
    bool cut = false;
    std::string module = gx::ModuleFileName(&cut);
    std::string file = module.substr(module.rfind('\\') == std::string::npos ? 0 : module.rfind('\\') + 1);
    std::string stem = file.substr(0, file.rfind('.'));
    app->m_strAppName = app->m_pszGivenName != nullptr ? app->m_pszGivenName : stem;
    // The program's InitInstance runs its one dialog and returns FALSE;
    // there is no message loop of the application's own either way.
    app->InitInstance();
    return 0;
}
