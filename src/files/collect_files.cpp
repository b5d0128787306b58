// Copying the file table into File_Save, mirroring each source folder, and
// the event-log backups.
#include <algorithm>
#include <cstring>
#include <string>

#include "environment/action.h"
#include "environment/paths.h"
#include "files/event_logs.h"
#include "files/file_table.h"
#include "framework/winapp.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "trace/trace.h"

using namespace gx;

namespace {

// A drive root such as "C:\" is three characters; the mirror cuts it off.
constexpr std::size_t kDriveRootLength = 3;

// The shell wants lists: each path ends with a NUL, the list with another.
std::string PathList(const char* path) {
    std::string list(path);
    list.push_back('\0');
    return list;  // c_str() adds the second NUL
}

void CollectRow(CAction& action, int i, CollectedFile& row, RecordedItem& record) {
    if (action.m_pProgress != nullptr) action.m_pProgress->StepIt();
    action.ShowItemAndPump(row.szFileName);
    Trace(TRACE_INFO, "CAction::Collect_Files, 1_1 i:%d iCopyMode:%d iSourceType:%d iRet:%d", i,
          static_cast<int>(row.iCopyMode), static_cast<int>(row.iSourceType),
          static_cast<int>(row.iRet));
    Trace(TRACE_INFO, "CAction::Collect_Files, 2_1 i:%d szFileName:%s szSourcePath:%s", i,
          row.szFileName, row.szSourcePath);
    if (FindSourceType(row.iSourceType) == nullptr) {
        record.outcome = ItemOutcome::Refused;
        return;
    }
    const std::string folder = CollectedFileFolder(action, row);
    record.path = folder;
    if (folder.empty()) {
        // The folder is not known on this system (product not installed,
        // no shell folders on NT 4.0): there is nothing to collect.
        Trace(TRACE_INFO, "CAction::Collect_Files, i:%d no folder for iSourceType:%d", i,
              static_cast<int>(row.iSourceType));
        row.iRet = 1;
        record.outcome = ItemOutcome::NoFolder;
        return;
    }
    CollectedFilePaths paths = ComposeCollectedFilePaths(action, row);
    if (paths.source.empty()) {
        // A product path of the wrong type or form: nothing is looked up
        // relative to the current folder, nothing mirrored outside File_Save.
        Trace(TRACE_INFO, "CAction::Collect_Files, i:%d folder refused for iSourceType:%d: %s", i,
              static_cast<int>(row.iSourceType), folder.c_str());
        row.iRet = 0;
        record.outcome = ItemOutcome::Refused;
        return;
    }
    row.iRet = action.CopyFileTo(paths.source.c_str(), paths.destination.c_str(), record);
    record.path = folder;
}

}  // namespace

const EventLogBackup kEventLogBackups[kEventLogCount] = {
    {"System", "_SysEvent.evt", "Tool::Could not BackupEventLog(_SysEvent.evt)%i\n"},
    {"Application", "_AppEvent.evt", "Tool::Could not BackupEventLog(_AppEvent.evt)%i\n"},
    {"Security", "_SecEvent.evt", "Tool::Could not BackupEventLog(_SecEvent.evt)%i\n"},
};

std::string CollectedFileFolder(const CAction& action, const CollectedFile& row) {
    const SourceType* type = FindSourceType(row.iSourceType);
    if (type == nullptr) return std::string();
    // An unknown base stays unknown rather than turning into a path
    // relative to the current drive.
    const std::string& base = action.*type->base;
    if (base.empty()) return std::string();
    return base + type->below + (type->rowSubfolder ? row.szSourcePath : "");
}

CollectedFilePaths ComposeCollectedFilePaths(const CAction& action, const CollectedFile& row) {
    CollectedFilePaths paths;
    std::string folder = CollectedFileFolder(action, row);
    // Both paths or neither: without a destination folder or a file name the
    // copy would land relative to the current folder or copy a whole folder.
    if (action.m_szDest_Path_Files.empty() || row.szFileName[0] == '\0') return paths;
    if (!IsAbsolutePath(folder) || HasParentStep(folder) || HasParentStep(row.szFileName)) return paths;
    paths.destination = action.m_szDest_Path_Files;
    if (folder.size() > kDriveRootLength) {
        paths.destination += folder.substr(kDriveRootLength);
        paths.destination += "\\";
        paths.source = folder + "\\" + row.szFileName;
    } else {
        paths.source = folder + row.szFileName;  // the root already ends with its separator
    }
    paths.destination += row.szFileName;
    return paths;
}

BOOL CAction::Collect_Files() {
    Trace(TRACE_INFO, "> CAction::Collect_Files");
    m_Record.rows.assign(kFileTableSize, RecordedItem());
    for (RecordedItem& log : m_Record.eventLogs) log = RecordedItem();
    if (m_szDest_Path_Files.empty()) {
        // Refused destination (executable folder too deep): copying or
        // backing up would write relative to the current folder.
        Trace(TRACE_ERROR, "ERR CAction::Collect_Files -> no destination folder");
        Trace(TRACE_INFO, "< CAction::Collect_Files");
        return TRUE;
    }
    if (m_iWinOS != WinOS::VistaOrLater) {
        Trace(TRACE_INFO, "CAction::Collect_Files (XP), iCount:%d", kFileTableGroup1);
        if (m_pProgress != nullptr) {
            m_pProgress->SetRange(0, kFileTableGroup1);
            m_pProgress->SetStep(1);
        }
        for (int i = 0; i < kFileTableGroup1; ++i) CollectRow(*this, i, FileTable[i], m_Record.rows[i]);
    } else {
        for (int i = 0; i < kFileTableGroup1; ++i) m_Record.rows[i].outcome = ItemOutcome::Skipped;
    }
    Trace(TRACE_INFO, "CAction::Collect_Files (XP), iCount:%d", kFileTableGroup2);
    Trace(TRACE_INFO, "======================================");
    // The position is not reset: the bar goes on from where group 1 left it.
    if (m_pProgress != nullptr) {
        m_pProgress->SetRange(0, kFileTableGroup2);
        m_pProgress->SetStep(1);
    }
    for (int i = 0; i < kFileTableGroup2; ++i)
        CollectRow(*this, i, FileTable[kFileTableGroup1 + i], m_Record.rows[kFileTableGroup1 + i]);

    for (int n = 0; n < kEventLogCount; ++n) {
        const EventLogBackup& log = kEventLogBackups[n];
        RecordedItem& record = m_Record.eventLogs[n];
        std::string backup = m_szDest_Path_Files + log.file;
        record.path = backup;
        if (backup.size() + 1 > MAX_PATH) {
            Trace(TRACE_INFO, log.failure, static_cast<int>(ERROR_FILENAME_EXCED_RANGE));
            record = RefusedItem(static_cast<long>(ERROR_FILENAME_EXCED_RANGE), backup);
            continue;
        }
        if (OutputLinkRefused("CAction::Collect_Files", backup)) {
            Trace(TRACE_INFO, log.failure, static_cast<int>(ERROR_STOPPED_ON_SYMLINK));
            record = {ItemOutcome::Refused, 0, false, static_cast<long>(ERROR_STOPPED_ON_SYMLINK), "", backup};
            continue;
        }
        UniqueEventLog handle(os().OpenEventLogA(nullptr, log.source));
        if (!handle) {
            // e.g. Security without the right to read it
            record = FailedItem("OpenEventLog", static_cast<long>(os().GetLastError()), backup);
            continue;
        }
        if (!os().BackupEventLogA(handle.get(), backup.c_str())) {
            const DWORD code = os().GetLastError();
            Trace(TRACE_INFO, log.failure, static_cast<int>(code));
            record = FailedItem("BackupEventLog", static_cast<long>(code), backup);
        } else {
            RecordWrittenFile(backup, record);
        }
    }
    Trace(TRACE_INFO, "< CAction::Collect_Files");
    return TRUE;
}

int CAction::CopyFileTo(LPCSTR szFullSourcePath, LPCSTR szFullDestPath) {
    RecordedItem unused;
    return CopyFileTo(szFullSourcePath, szFullDestPath, unused);
}

int CAction::CopyFileTo(LPCSTR szFullSourcePath, LPCSTR szFullDestPath, RecordedItem& record) {
    Trace(TRACE_INFO, "> CTool::CopyFileTo, From %s To %s", szFullSourcePath, szFullDestPath);
    std::size_t longest = std::max(std::strlen(szFullSourcePath), std::strlen(szFullDestPath));
    record = RecordedItem();
    if (longest + 1 > MAX_PATH) {
        Trace(TRACE_ERROR, "ERR CTool::CopyFileTo -> path too long (%u characters)",
              static_cast<unsigned>(longest));
        record.outcome = ItemOutcome::Refused;
        return 0;
    }
    DWORD attributes = os().GetFileAttributesA(szFullSourcePath);
    Trace(TRACE_INFO, "CTool::CopyFileTo -> GetFileAttributes, (LPCSTR)szFullSourcePath:%s,dwRet=%ld",
          szFullSourcePath, static_cast<long>(static_cast<std::int32_t>(attributes)));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Trace(TRACE_INFO, "Tool::CopyFileTo -> File not exist");
        record.outcome = ItemOutcome::NotPresent;
        return 1;
    }
    if (OutputLinkRefused("CTool::CopyFileTo", szFullDestPath)) {
        record.outcome = ItemOutcome::Refused;
        record.code = static_cast<long>(ERROR_STOPPED_ON_SYMLINK);
        return 0;
    }
    std::string from = PathList(szFullSourcePath);
    std::string to = PathList(szFullDestPath);
    CWinApp* app = AfxGetApp();
    SHFILEOPSTRUCTA op = {};
    op.hwnd = app != nullptr ? app->m_hMainWnd : nullptr;
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    op.hNameMappings = nullptr;
    op.lpszProgressTitle = nullptr;
    int result = os().SHFileOperationA(&op);
    if (result == 0) {
        RecordWrittenFile(szFullDestPath, record);
        return 1;
    }
    Trace(TRACE_ERROR, "ERR1(%li) CAction::Collect_Files -> SHFileOperation:%ld", static_cast<long>(result),
          static_cast<long>(os().GetLastError()));
    record = FailedItem("SHFileOperation", result, std::string());
    return 0;
}
