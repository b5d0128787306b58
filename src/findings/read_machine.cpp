// Drives, token and the installer's mutex: free space where a setup
// writes, whether the run was elevated, whether another installation runs.
#include <cctype>
#include <cstdint>
#include <cstring>

#include "findings/readers.h"
#include "findings/text.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

void ReadInstallerBusy(Facts& facts) {
    HANDLE mutex = os().OpenMutexA(SYNCHRONIZE, FALSE, "Global\\_MSIExecute");
    if (mutex != nullptr) {
        os().CloseHandle(mutex);
        facts.installerBusy = Tri::Yes;
        return;
    }
    const DWORD error = os().GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
        facts.installerBusy = Tri::No;
    } else if (error == ERROR_ACCESS_DENIED) {
        facts.installerBusy = Tri::Yes;  // it exists; we may only not open it
    } else {
        facts.installerBusyReason = Error("the installer's mutex cannot be looked up", static_cast<long>(error));
    }
}

void AddDrive(std::vector<DriveFacts>& drives, const std::string& path, const char* why) {
    if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' || path[2] != '\\')
        return;
    std::string root = path.substr(0, 3);
    root[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    const bool system = std::strcmp(why, "system drive") == 0;
    for (DriveFacts& drive : drives)
        if (drive.root == root) {
            drive.why += std::string(", ") + why;
            drive.systemDrive = drive.systemDrive || system;
            return;
        }
    DriveFacts drive;
    drive.root = root;
    drive.why = why;
    drive.systemDrive = system;
    ULARGE_INTEGER freeToCaller = {}, total = {}, totalFree = {};
    if (os().GetDiskFreeSpaceExA(root.c_str(), &freeToCaller, &total, &totalFree)) {
        drive.read = true;
        drive.freeBytes = freeToCaller.QuadPart;
        drive.totalBytes = total.QuadPart;
    } else {
        drive.error = os().GetLastError();
    }
    drives.push_back(drive);
}

void ReadElevation(Facts& facts) {
    UniqueToken token;
    if (!os().OpenProcessToken(os().GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        facts.elevationReason = Error("the process token cannot be opened", static_cast<long>(os().GetLastError()));
        return;
    }
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (os().GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size)) {
        facts.elevated = elevation.TokenIsElevated != 0 ? Tri::Yes : Tri::No;
        return;
    }
    const DWORD error = os().GetLastError();
    facts.elevationReason = error == ERROR_INVALID_PARAMETER
                                ? std::string("this Windows does not tell (before Vista)")
                                : Error("the token's elevation cannot be read", static_cast<long>(error));
}

DWORD SecondsNow() {
    FILETIME now = {};
    os().GetSystemTimeAsFileTime(&now);
    return SecondsOf(now);
}

}  // namespace findings
