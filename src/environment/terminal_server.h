// Reads the system's own Windows folder, which differs from the user's one
// for a terminal-server user on Windows 2000. Looked up at run time: older
// systems lack the call.
#pragma once

#include "platform/types.h"

class CTerminalServer {
public:
    // 1: pszPath holds the system Windows folder; 2: not available. A
    // non-zero answer of the call counts as success even when it reports a
    // larger size than uSize (the buffer is then left as it was).
    int GetPath_GetSystemWindowsDirectory(char* pszPath, gx::UINT uSize);
};
