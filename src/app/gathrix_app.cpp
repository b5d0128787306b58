#include "app/gathrix_app.h"

#include <cstring>
#include <string>

#include "app/gathrix_dlg.h"
#include "platform/platform.h"
#include "registry/reg_import_dlg.h"
#include "trace/trace.h"

bool HasImportMarker(const char* commandLine) {
    return commandLine != nullptr && std::strstr(commandLine, kImportMarker) != nullptr;
}

gx::BOOL CGathrixApp::InitInstance() {
    Enable3dControls();
    const char* raw = gx::os().GetCommandLineA();
    std::string commandLine = raw != nullptr ? raw : "";
    Trace(TRACE_INFO, "Version:%s", kVersionText);
    Trace(TRACE_INFO, "CGathrixApp::InitInstance:%s", commandLine.c_str());
    if (HasImportMarker(commandLine.c_str())) {
        RunImportDialog();
    } else {
        RunCollectionDialog();
    }
    return FALSE;
}

namespace {

// The one dialog of a start: the main window while it runs.
template <class Dialog>
void RunAsMainWindow() {
    Dialog dialog;
    CWinApp* app = AfxGetApp();
    if (app != nullptr) app->m_pMainWnd = &dialog;
    dialog.DoModal();
    if (app != nullptr) app->m_pMainWnd = nullptr;
}

}  // namespace

void RunCollectionDialog() {
    // The progress bar's class, registered before the dialog that holds it.
    if (!gx::os().InitCommonControls())
        Trace(TRACE_ERROR, "ERR CGathrixApp::RunCollectionDialog -> InitCommonControls: %lu",
              static_cast<unsigned long>(gx::os().GetLastError()));
    RunAsMainWindow<CGathrixDlg>();
}

void RunImportDialog() { RunAsMainWindow<CRegImportDlg>(); }
