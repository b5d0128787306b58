// Removing the previous run's File_Save and Registry_Save before a run.
#include <cstring>
#include <string>

#include "environment/action.h"
#include "environment/paths.h"
#include "platform/constants.h"
#include "platform/links.h"
#include "platform/platform.h"
#include "trace/trace.h"

using namespace gx;

namespace {

// The shell's catch-all failure, also given for a folder that does not exist.
constexpr int kShellCatchAll = 0x402;

}  // namespace

BOOL CAction::DeleteAllDirecory() {
    DWORD dwRet = Xc_del_dir(m_szDest_Path_Files.c_str());
    Trace(TRACE_INFO, "DeleteAllDirecory -> dwRet:%ld m_szDest_Path_Files:%s", static_cast<long>(dwRet),
          m_szDest_Path_Files.c_str());
    dwRet = Xc_del_dir(m_szDest_Path_Registry.c_str());
    Trace(TRACE_INFO, "DeleteAllDirecory -> dwRet:%ld m_szDest_Path_Registry:%s", static_cast<long>(dwRet),
          m_szDest_Path_Registry.c_str());
    return TRUE;
}

DWORD CAction::Xc_del_dir(LPCSTR szDir) {
    // "\*.*" of an empty or relative path would empty the current drive or
    // folder without asking, and one with ".." a folder above: refused.
    if (szDir == nullptr || !IsAbsolutePath(szDir) || HasParentStep(szDir)) return ERROR_INVALID_PARAMETER;
    // The pattern and its two terminating NULs must fit the path limit.
    static const char kWildcard[] = "\\*.*";
    std::size_t length = std::strlen(szDir);
    if (length + std::strlen(kWildcard) + 2 > MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    char pattern[MAX_PATH];
    std::memset(pattern, 0, sizeof(pattern));
    std::memcpy(pattern, szDir, length);
    std::memcpy(pattern + length, kWildcard, std::strlen(kWildcard));

    // The shell deletes what a link in the tree points to: nothing is
    // removed while one is there, and the run does not write through it.
    if (OutputLinkRefused("CAction::Xc_del_dir", szDir)) return ERROR_STOPPED_ON_SYMLINK;
    const std::string inner = LinkInTree(szDir);
    if (!inner.empty()) {
        Trace(TRACE_ERROR, "ERR CAction::Xc_del_dir -> reparse point, not followed: %s", inner.c_str());
        return ERROR_STOPPED_ON_SYMLINK;
    }

    SHFILEOPSTRUCTA op = {};
    op.hwnd = nullptr;
    op.wFunc = FO_DELETE;
    op.pFrom = pattern;
    op.pTo = nullptr;
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    int result = os().SHFileOperationA(&op);
    DWORD lastError = os().GetLastError();
    if (result == static_cast<int>(ERROR_SHARING_VIOLATION)) return ERROR_SHARING_VIOLATION;
    if (result == kShellCatchAll) {
        if (lastError != 0) {
            Trace(TRACE_INFO, "INF(%li) 1)Xc_del_dir(%s) -> SHFileOperation(LastError = %i)\n",
                  static_cast<long>(kShellCatchAll), szDir, static_cast<int>(lastError));
            return lastError;
        }
    } else if (result != 0) {
        return static_cast<DWORD>(result);
    }
    if (os().RemoveDirectoryA(szDir)) return 0;
    return os().GetLastError();
}
