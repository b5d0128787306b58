// Copying the file table into File_Save, mirroring each source folder, and
// the event-log backups.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>
#include <cstring>
#include <string>

#include "environment/action.h"
#include "environment/paths.h"
#include "environment/wow64.h"
#include "files/event_logs.h"
#include "files/file_table.h"
#include "framework/winapp.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "registry/token_privilege.h"
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
    std::string source = paths.source;
    std::unique_ptr<NativeFileSystem> native;
    if (action.m_Record.wow64 && IsBelowSystem32(action.m_szWindowsPath, source)) {
        // The real System32, not SysWOW64. The shell may load libraries
        // while it copies, which the switch would send to the 64-bit folder,
        // so the alias Windows keeps for 32-bit programs comes first.
        const std::string alias = action.m_szWindowsPath + "\\Sysnative";
        const std::size_t system32 = action.m_szWindowsPath.size() + 9;  // "\system32"
        if (os().GetFileAttributesA(alias.c_str()) != INVALID_FILE_ATTRIBUTES && alias.size() + source.size() < MAX_PATH)
            source = alias + source.substr(system32);
        else
            native.reset(new NativeFileSystem());
    }
    row.iRet = action.CopyFileTo(source.c_str(), paths.destination.c_str(), record);
    record.path = folder;
}

// The newest part of a device-setup log that a run collects: the log grows
// for the life of the installation and can reach hundreds of megabytes.
constexpr std::uint64_t kSetupDevLogBound = 8u << 20;

// Makes `base` (whose parent exists; it ends with a separator) and the
// folders of `path` below it.
bool MakeFoldersBelow(const std::string& base, const std::string& path) {
    for (std::size_t at = path.find('\\', base.empty() ? 0 : base.size() - 1); at != std::string::npos;
         at = path.find('\\', at + 1)) {
        const std::string folder = path.substr(0, at);
        if (os().GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES &&
            !os().CreateDirectoryA(folder.c_str(), nullptr))
            return false;
    }
    return true;
}

// Writes the last `bound` bytes of `source`, from its first whole line on.
bool CopyNewestPart(const std::string& source, const std::string& destination, std::uint64_t size,
                    std::uint64_t bound, std::uint64_t* written) {
    *written = 0;
    UniqueFile in(os().CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return false;
    const std::uint64_t start = size - bound;
    LONG high = static_cast<LONG>(start >> 32);
    if (os().SetFilePointer(in.get(), static_cast<LONG>(start & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        os().GetLastError() != ERROR_SUCCESS)
        return false;
    UniqueFile out(os().CreateFileA(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    std::vector<char> buffer(64 * 1024);
    bool lineStart = false;
    std::uint64_t left = bound;
    while (left > 0) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(buffer.size(), left));
        if (!os().ReadFile(in.get(), buffer.data(), want, &read, nullptr)) return false;
        if (read == 0) break;
        left -= read;
        std::size_t from = 0;
        if (!lineStart) {
            const void* newline = std::memchr(buffer.data(), '\n', read);
            if (newline == nullptr) continue;
            from = static_cast<std::size_t>(static_cast<const char*>(newline) - buffer.data()) + 1;
            lineStart = true;
        }
        DWORD done = 0;
        const DWORD length = static_cast<DWORD>(read - from);
        if (!os().WriteFile(out.get(), buffer.data() + from, length, &done, nullptr) || done != length) return false;
        *written += done;
    }
    return true;
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

void CAction::CollectSetupDevLog() {
    RecordedItem& record = m_Record.setupDevLog;
    record = RecordedItem();
    m_Record.setupDevLogCut = false;
    if (m_iWinOS != WinOS::VistaOrLater || m_szWindowsPath.empty() || m_szDest_Path_Files.empty()) return;
    const std::string folder = m_szWindowsPath + "\\INF";
    const std::string source = folder + "\\setupapi.dev.log";
    std::string destination = m_szDest_Path_Files;
    if (folder.size() > kDriveRootLength) destination += folder.substr(kDriveRootLength) + "\\";
    destination += "setupapi.dev.log";
    if (source.size() + 1 > MAX_PATH || destination.size() + 1 > MAX_PATH) {
        record = RefusedItem(static_cast<long>(ERROR_FILENAME_EXCED_RANGE), folder);
        return;
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!os().GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &data)) {
        Trace(TRACE_INFO, "CAction::Collect_Files, setupapi.dev.log -> File not exist");
        record.outcome = ItemOutcome::NotPresent;
        record.path = folder;
        return;
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size <= kSetupDevLogBound) {
        CopyFileTo(source.c_str(), destination.c_str(), record);
        record.path = folder;
        return;
    }
    if (OutputLinkRefused("CAction::Collect_Files", destination)) {
        record = {ItemOutcome::Refused, 0, false, static_cast<long>(ERROR_STOPPED_ON_SYMLINK), "", folder};
        return;
    }
    std::uint64_t written = 0;
    if (!MakeFoldersBelow(m_szDest_Path_Files, destination) ||
        !CopyNewestPart(source, destination, size, kSetupDevLogBound, &written)) {
        const DWORD code = os().GetLastError();
        Trace(TRACE_ERROR, "ERR CAction::Collect_Files, setupapi.dev.log -> newest part not copied (%lu)",
              static_cast<unsigned long>(code));
        record = FailedItem("ReadFile", static_cast<long>(code), folder);
        return;
    }
    Trace(TRACE_INFO, "CAction::Collect_Files, setupapi.dev.log -> newest %lu of %lu KB copied",
          static_cast<unsigned long>(written >> 10), static_cast<unsigned long>(size >> 10));
    record = {ItemOutcome::Written, written, true, 0, "", folder};
    m_Record.setupDevLogCut = true;
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
    CollectSetupDevLog();

    // BackupEventLog fails with ERROR_PRIVILEGE_NOT_HELD unless the caller
    // has SE_BACKUP_NAME enabled; administrators hold it switched off.
    ScopedPrivilege backupPrivilege(*this, "SeBackupPrivilege", "CAction::Collect_Files");
    backupPrivilege.Enable("CAction::Collect_Files");
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
