#include "app/gathrix_app.h"
#include "platform/constants.h"

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "trace/trace.h"

bool HasImportMarker(const char* commandLine) {
    return commandLine != nullptr && std::strstr(commandLine, kImportMarker) != nullptr;
}

BOOL CGathrixApp::InitInstance() {
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
