// The application object of the dialog framework.
#pragma once

#include <string>

#include "platform/types.h"

class CWnd;

class CWinApp {
public:
    // Without a name the framework takes the executable's name without its
    // extension (it captions message boxes that bring none of their own).
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual gx::BOOL InitInstance();

    // The classic three-dimensional control look; Win32 dialogs have it.
    void Enable3dControls() {}

    // No help command: the program ships no help file, and F1 in its dialogs
    // is left to the dialog manager, which does nothing with it.
    std::string m_strAppName;
    // The main window: the one dialog the program runs. Parentless modal
    // dialogs and message boxes are owned by it while it is open.
    CWnd* m_pMainWnd = nullptr;
    gx::HWND m_hMainWnd = nullptr;  // its window while it is open

private:
    const char* m_pszGivenName;
    friend int AfxWinMain();
};

CWinApp* AfxGetApp();

// The framework's start-up: names the application, then InitInstance.
// Returns the process exit code.
int AfxWinMain();
