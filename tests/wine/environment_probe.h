// The environment code seen from the Wine suite. Kept apart from <windows.h>:
// the program's headers bring Win32-shaped types of their own.
#pragma once

#include <map>
#include <string>

namespace envprobe {

// Builds a CAction, runs Init and returns its result and every member.
std::map<std::string, std::string> ProbeEnvironment();

// The product-key holder built without arguments: its status and whether it
// holds a key.
long HoldProductKey(bool* held);

// The setup log: its path, and one appended line.
std::string SetupLogPath();
void AppendSetupLogLine(long code);

// The system Windows folder through the run-time lookup: result and folder.
int SystemWindowsFolder(std::string* folder);

}  // namespace envprobe
