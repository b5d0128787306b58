// The fake's file system: a real folder per drive below `root`, resolved
// case-insensitively like Windows; plus the shell's copy and delete and the
// event-log backups, which are file operations too.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_text.h"

namespace fs = std::filesystem;

namespace gx {

namespace {

// The shell's answer when it cannot start (a source or folder missing).
constexpr int kShellCatchAll = 0x402;

std::vector<std::string> SplitWindowsPath(const std::string& path, std::size_t from) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = from; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += path[i];
        }
    }
    return parts;
}

// The strings of a double-NUL-terminated list, read as the shell reads it:
// a list missing its second NUL runs on into whatever follows.
std::vector<std::string> ListOf(const char* list) {
    std::vector<std::string> items;
    if (list == nullptr) return items;
    while (*list != '\0') {
        items.emplace_back(list);
        list += items.back().size() + 1;
    }
    return items;
}

bool EndsWithWildcard(const std::string& path, std::string* folder) {
    for (const char* suffix : {"\\*.*", "\\*"}) {
        std::size_t n = std::strlen(suffix);
        if (path.size() >= n && path.compare(path.size() - n, n, suffix) == 0) {
            *folder = path.substr(0, path.size() - n);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string FakePlatform::ResolveCase(const std::string& hostPath) const {
    // Walk the components below root, matching each one case-insensitively.
    fs::path resolved(root);
    fs::path relative = fs::path(hostPath).lexically_relative(root);
    for (const fs::path& part : relative) {
        fs::path exact = resolved / part;
        std::error_code error;
        if (fs::exists(exact, error)) {
            resolved = exact;
            continue;
        }
        bool found = false;
        if (fs::is_directory(resolved, error)) {
            std::string wanted = Lower(part.string());
            for (const fs::directory_entry& entry : fs::directory_iterator(resolved, error)) {
                if (Lower(entry.path().filename().string()) == wanted) {
                    resolved = entry.path();
                    found = true;
                    break;
                }
            }
        }
        if (!found) resolved = exact;
    }
    return resolved.string();
}

std::string FakePlatform::HostPath(const std::string& windowsPath) const {
    if (windowsPath.size() >= 2 && windowsPath[0] == '\\' && windowsPath[1] == '\\') {
        std::vector<std::string> parts = SplitWindowsPath(windowsPath, 2);
        std::string host = root + "/UNC";
        for (const std::string& part : parts) host += "/" + part;
        return ResolveCase(host);
    }
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
        return "";
    std::string host = root + "/" + static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0])));
    for (const std::string& part : SplitWindowsPath(windowsPath, 2)) host += "/" + part;
    return ResolveCase(host);
}

void FakePlatform::WriteFile(const std::string& windowsPath, const std::string& content) {
    std::string host = HostPath(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string FakePlatform::ReadFile(const std::string& windowsPath) const {
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool FakePlatform::Exists(const std::string& windowsPath) const {
    std::string host = HostPath(windowsPath);
    std::error_code error;
    return !host.empty() && fs::exists(host, error);
}

void FakePlatform::MakeDirectory(const std::string& windowsPath) {
    fs::create_directories(HostPath(windowsPath));
}

void FakePlatform::SetExtraAttributes(const std::string& windowsPath, DWORD bits) {
    extraAttributes_[Lower(HostPath(windowsPath))] = bits;
}

bool FakePlatform::IsLocked(const std::string& windowsPath) const {
    std::string host = Lower(HostPath(windowsPath));
    for (const std::string& locked : lockedFiles)
        if (Lower(HostPath(locked)) == host) return true;
    return false;
}

bool FakePlatform::IsReadOnly(const std::string& windowsPath) const {
    std::string host = Lower(HostPath(windowsPath));
    if (host.empty()) return false;
    for (const std::string& folder : readOnlyFolders) {
        std::string base = Lower(HostPath(folder));
        if (!base.empty() && (host == base || host.rfind(base + "/", 0) == 0)) return true;
    }
    return false;
}

DWORD FakePlatform::HostAttributes(const std::string& hostPath) const {
    std::error_code error;
    fs::file_status status = fs::status(hostPath, error);
    if (error || !fs::exists(status)) return INVALID_FILE_ATTRIBUTES;
    DWORD bits = fs::is_directory(status) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        bits |= FILE_ATTRIBUTE_READONLY;
    auto extra = extraAttributes_.find(Lower(hostPath));
    if (extra != extraAttributes_.end()) bits |= extra->second;
    return bits;
}

DWORD FakePlatform::GetFileAttributesA(const char* path) {
    Log("GetFileAttributesA", {path});
    if (FailsNow(FakeOp::GetFileAttributesA, LastArgs())) return INVALID_FILE_ATTRIBUTES;
    std::string host = HostPath(path);
    if (host.empty()) {
        lastError_ = ERROR_PATH_NOT_FOUND;
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD bits = HostAttributes(host);
    if (bits == INVALID_FILE_ATTRIBUTES) {
        std::error_code error;
        lastError_ = fs::is_directory(fs::path(host).parent_path(), error) ? ERROR_FILE_NOT_FOUND
                                                                           : ERROR_PATH_NOT_FOUND;
    } else if ((bits & FILE_ATTRIBUTE_DIRECTORY) == 0 && !std::string(path).empty() &&
               (std::string(path).back() == '\\' || std::string(path).back() == '/')) {
        // As Windows and Wine: a trailing separator names a folder, and a file
        // of that name is no folder.
        lastError_ = ERROR_PATH_NOT_FOUND;
        return INVALID_FILE_ATTRIBUTES;
    }
    return bits;
}

DWORD FakePlatform::RefuseNewEntry(const char* path, std::string* host) {
    *host = HostPath(path);
    std::error_code error;
    if (host->empty() || !fs::is_directory(fs::path(*host).parent_path(), error)) return ERROR_PATH_NOT_FOUND;
    if (fs::exists(*host, error)) return ERROR_ALREADY_EXISTS;
    if (IsReadOnly(path)) return ERROR_ACCESS_DENIED;
    return 0;
}

BOOL FakePlatform::CreateDirectoryA(const char* path, void*) {
    Log("CreateDirectoryA", {path});
    if (FailsNow(FakeOp::CreateDirectoryA, LastArgs())) return FALSE;
    std::string host;
    if (DWORD refused = RefuseNewEntry(path, &host)) {
        lastError_ = refused;
        return FALSE;
    }
    std::error_code error;
    fs::create_directory(host, error);
    if (error) {
        lastError_ = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    return TRUE;
}

BOOL FakePlatform::RemoveDirectoryA(const char* path) {
    Log("RemoveDirectoryA", {path});
    if (FailsNow(FakeOp::RemoveDirectoryA, LastArgs())) return FALSE;
    std::string host = HostPath(path);
    std::error_code error;
    if (host.empty() || !fs::exists(host, error)) {
        lastError_ = fs::is_directory(fs::path(host).parent_path(), error) ? ERROR_FILE_NOT_FOUND
                                                                           : ERROR_PATH_NOT_FOUND;
        return FALSE;
    }
    if (!fs::is_directory(host, error)) {
        lastError_ = ERROR_DIRECTORY;
        return FALSE;
    }
    if (!fs::is_empty(host, error)) {
        lastError_ = ERROR_DIR_NOT_EMPTY;
        return FALSE;
    }
    if (IsReadOnly(path)) {
        lastError_ = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    fs::remove(host, error);
    return TRUE;
}

DWORD FakePlatform::ExistingAttributes(const std::string& hostPath) {
    DWORD bits = hostPath.empty() ? INVALID_FILE_ATTRIBUTES : HostAttributes(hostPath);
    if (bits == INVALID_FILE_ATTRIBUTES) lastError_ = ERROR_FILE_NOT_FOUND;
    return bits;
}

BOOL FakePlatform::DeleteFileA(const char* path) {
    Log("DeleteFileA", {path});
    if (FailsNow(FakeOp::DeleteFileA, LastArgs())) return FALSE;
    std::string host = HostPath(path);
    DWORD bits = ExistingAttributes(host);
    if (bits == INVALID_FILE_ATTRIBUTES) return FALSE;
    if ((bits & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0 || IsReadOnly(path)) {
        lastError_ = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    if (IsLocked(path)) {
        lastError_ = ERROR_SHARING_VIOLATION;
        return FALSE;
    }
    std::error_code error;
    fs::remove(host, error);
    return TRUE;
}

HANDLE FakePlatform::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    Log("FindFirstFileA", {pattern});
    if (FailsNow(FakeOp::FindFirstFileA, LastArgs())) return INVALID_HANDLE_VALUE;
    std::string folder;
    if (!EndsWithWildcard(pattern, &folder)) Unexpected(std::string("FindFirstFileA on ") + pattern);
    std::string host = HostPath(folder);
    std::error_code error;
    if (host.empty() || !fs::is_directory(host, error)) {
        lastError_ = ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    auto* find = new FindState();
    auto add = [&](const std::string& name, const std::string& entryHost) {
        WIN32_FIND_DATAA entry = {};
        entry.dwFileAttributes = HostAttributes(entryHost);
        std::snprintf(entry.cFileName, sizeof(entry.cFileName), "%s", name.c_str());
        find->entries.push_back(entry);
    };
    // Like NTFS below a drive root: "." and ".." first, then by upper-cased name.
    add(".", host);
    add("..", fs::path(host).parent_path().string());
    std::vector<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(host, error)) names.push_back(entry.path());
    std::sort(names.begin(), names.end(), [](const fs::path& a, const fs::path& b) {
        std::string x = a.filename().string(), y = b.filename().string();
        std::transform(x.begin(), x.end(), x.begin(), ::toupper);
        std::transform(y.begin(), y.end(), y.begin(), ::toupper);
        return x < y;
    });
    for (const fs::path& name : names) add(name.filename().string(), name.string());
    finds_.insert(find);
    ++openFinds;
    *data = find->entries[find->next++];
    return find;
}

BOOL FakePlatform::FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
    auto* find = static_cast<FindState*>(handle);
    if (finds_.count(find) == 0) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (FailsNow(FakeOp::FindNextFileA, {})) return FALSE;
    if (find->next >= find->entries.size()) {
        lastError_ = ERROR_NO_MORE_FILES;
        return FALSE;
    }
    *data = find->entries[find->next++];
    return TRUE;
}

BOOL FakePlatform::FindClose(HANDLE handle) { return Release(finds_, static_cast<FindState*>(handle), &openFinds); }

HANDLE FakePlatform::CreateFileA(const char* path, DWORD access, DWORD share, void*,
                                 DWORD disposition, DWORD, HANDLE) {
    char flags[64];
    std::snprintf(flags, sizeof(flags), "0x%X 0x%X %u", access, share, disposition);
    Log("CreateFileA", {path, flags});
    if (FailsNow(FakeOp::CreateFileA, LastArgs())) return INVALID_HANDLE_VALUE;
    const bool reading = disposition == OPEN_EXISTING;
    if (reading ? (access & GENERIC_WRITE) != 0 || (access & GENERIC_READ) == 0
                : (disposition != CREATE_ALWAYS && disposition != CREATE_NEW) || (access & GENERIC_WRITE) == 0)
        Unexpected("CreateFileA other than reading an existing file or creating one for writing");
    std::string host = HostPath(path);
    std::error_code error;
    if (host.empty() || !fs::is_directory(fs::path(host).parent_path(), error)) {
        lastError_ = ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (IsLocked(path)) {
        lastError_ = ERROR_SHARING_VIOLATION;
        return INVALID_HANDLE_VALUE;
    }
    DWORD bits = HostAttributes(host);
    if (reading) {
        if (bits == INVALID_FILE_ATTRIBUTES) {
            lastError_ = ERROR_FILE_NOT_FOUND;
            return INVALID_HANDLE_VALUE;
        }
        if ((bits & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            lastError_ = ERROR_ACCESS_DENIED;
            return INVALID_HANDLE_VALUE;
        }
    } else {
        if (disposition == CREATE_NEW && bits != INVALID_FILE_ATTRIBUTES) {
            lastError_ = ERROR_FILE_EXISTS;
            return INVALID_HANDLE_VALUE;
        }
        if ((bits != INVALID_FILE_ATTRIBUTES && (bits & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) ||
            IsReadOnly(path)) {
            lastError_ = ERROR_ACCESS_DENIED;
            return INVALID_HANDLE_VALUE;
        }
        std::ofstream(host, std::ios::binary | std::ios::trunc);
    }
    auto* file = new FileState();
    file->hostPath = host;
    file->canRead = (access & GENERIC_READ) != 0;
    file->canWrite = (access & GENERIC_WRITE) != 0;
    files_.insert(file);
    ++openFiles;
    lastError_ = !reading && bits != INVALID_FILE_ATTRIBUTES ? ERROR_ALREADY_EXISTS : 0;
    return file;
}

FakePlatform::FileState* FakePlatform::Transfer(HANDLE handle, bool writing, DWORD size, DWORD* done) {
    auto* file = static_cast<FileState*>(handle);
    if (done != nullptr) *done = 0;
    if (files_.count(file) == 0) {
        lastError_ = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    if (!(writing ? file->canWrite : file->canRead)) {
        lastError_ = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    if (FailsNow(writing ? FakeOp::WriteFile : FakeOp::ReadFile, {file->hostPath, std::to_string(size)}))
        return nullptr;
    return file;
}

BOOL FakePlatform::WriteFile(HANDLE handle, const void* data, DWORD size, DWORD* written, void*) {
    FileState* file = Transfer(handle, true, size, written);
    if (file == nullptr) return FALSE;
    DWORD stored = size;
    if (diskRoom >= 0) {
        if (static_cast<long long>(stored) > diskRoom) stored = static_cast<DWORD>(diskRoom);
        diskRoom -= stored;
    }
    std::fstream out(file->hostPath, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(file->position));
    out.write(static_cast<const char*>(data), stored);
    file->position += stored;
    if (written != nullptr) *written = stored;
    return TRUE;
}

BOOL FakePlatform::ReadFile(HANDLE handle, void* data, DWORD size, DWORD* read, void*) {
    FileState* file = Transfer(handle, false, size, read);
    if (file == nullptr) return FALSE;
    std::ifstream in(file->hostPath, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(file->position));
    in.read(static_cast<char*>(data), size);
    DWORD got = static_cast<DWORD>(std::max<std::streamsize>(in.gcount(), 0));
    file->position += got;
    if (read != nullptr) *read = got;  // 0 at the end of the file, as Windows
    return TRUE;
}

DWORD FakePlatform::SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD method) {
    auto* file = static_cast<FileState*>(handle);
    if (files_.count(file) == 0) {
        lastError_ = ERROR_INVALID_HANDLE;
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr && *distanceHigh != 0) Unexpected("SetFilePointer beyond 4 GB");
    if (FailsNow(FakeOp::SetFilePointer, {file->hostPath})) return INVALID_SET_FILE_POINTER;
    std::error_code error;
    std::int64_t base = method == FILE_BEGIN     ? 0
                        : method == FILE_CURRENT ? static_cast<std::int64_t>(file->position)
                                                 : static_cast<std::int64_t>(fs::file_size(file->hostPath, error));
    std::int64_t target = base + distance;
    if (target < 0) {
        lastError_ = 131;  // ERROR_NEGATIVE_SEEK
        return INVALID_SET_FILE_POINTER;
    }
    file->position = static_cast<std::uint64_t>(target);
    lastError_ = 0;
    return static_cast<DWORD>(target);
}

BOOL FakePlatform::GetFileAttributesExA(const char* path, int infoLevel, WIN32_FILE_ATTRIBUTE_DATA* data) {
    Log("GetFileAttributesExA", {path});
    if (infoLevel != GetFileExInfoStandard) Unexpected("GetFileAttributesExA with another level");
    if (FailsNow(FakeOp::GetFileAttributesExA, LastArgs())) return FALSE;
    std::string host = HostPath(path);
    DWORD bits = ExistingAttributes(host);
    if (bits == INVALID_FILE_ATTRIBUTES) return FALSE;
    *data = {};
    data->dwFileAttributes = bits;
    std::error_code error;
    if ((bits & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        std::uint64_t size = fs::file_size(host, error);
        data->nFileSizeLow = static_cast<DWORD>(size);
        data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    }
    // 100 ns since 1601 from the host's seconds since 1970.
    struct stat info = {};
    if (::stat(host.c_str(), &info) == 0) {
        std::uint64_t ticks = (static_cast<std::uint64_t>(info.st_mtime) + 11644473600ull) * 10000000ull;
        data->ftLastWriteTime = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    }
    return TRUE;
}

BOOL FakePlatform::CloseHandle(HANDLE handle) {
    auto* file = static_cast<FileState*>(handle);
    if (files_.erase(file) != 0) {
        delete file;
        --openFiles;
        return TRUE;
    }
    if (handle == &tokenTag_) {
        --openTokens;
        return TRUE;
    }
    lastError_ = ERROR_INVALID_HANDLE;
    return FALSE;
}

// The fake's local time is UTC.
BOOL FakePlatform::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
    *local = *utc;
    return TRUE;
}

BOOL FakePlatform::FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) {
    std::uint64_t ticks = (static_cast<std::uint64_t>(time->dwHighDateTime) << 32) | time->dwLowDateTime;
    std::int64_t seconds = static_cast<std::int64_t>(ticks / 10000000ull) - 11644473600ll;
    if (seconds < 315532800) {  // before 1980: no DOS date
        lastError_ = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts = {};
    ::gmtime_r(&t, &parts);
    *date = static_cast<WORD>(((parts.tm_year - 80) << 9) | ((parts.tm_mon + 1) << 5) | parts.tm_mday);
    *dosTime = static_cast<WORD>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
    return TRUE;
}

bool FakePlatform::AppendText(const char* path, const char* text, std::size_t length) {
    DWORD code = 0;
    NotePath(path);
    if (Injected(FakeOp::AppendText, {path}, &code)) return false;
    std::string host = HostPath(path);
    std::error_code error;
    if (host.empty() || !fs::is_directory(fs::path(host).parent_path(), error) || IsLocked(path) ||
        IsReadOnly(path))
        return false;
    DWORD bits = HostAttributes(host);
    if (bits != INVALID_FILE_ATTRIBUTES && (bits & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    // Text mode: each line feed is stored as CR LF.
    std::string stored;
    stored.reserve(length + 16);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\n') stored += '\r';
        stored += text[i];
    }
    std::ofstream out(host, std::ios::binary | std::ios::app);
    out << stored;
    return static_cast<bool>(out);
}

int FakePlatform::SHFileOperationA(SHFILEOPSTRUCTA* op) {
    std::vector<std::string> fromList = ListOf(op->pFrom);
    std::vector<std::string> toList = ListOf(op->pTo);
    // The program names one path per list; more means a list without its end.
    if (fromList.size() > 1 || toList.size() > 1) Unexpected("SHFileOperationA with a list of several paths");
    std::string from = fromList.empty() ? "" : fromList.front();
    std::string to = toList.empty() ? "" : toList.front();
    char meta[64];
    std::snprintf(meta, sizeof(meta), "func=%u flags=0x%X", op->wFunc, op->fFlags);
    Log("SHFileOperationA", {from, to, meta, op->hwnd == nullptr ? "owner=null" : "owner=window"});
    op->fAnyOperationsAborted = FALSE;
    DWORD code = 0;
    if (Injected(FakeOp::SHFileOperationA, LastArgs(), &code)) {
        lastError_ = 0;
        return static_cast<int>(code);
    }
    std::error_code error;
    if (op->wFunc == FO_COPY) {
        std::string source = HostPath(from);
        if (source.empty() || !fs::exists(source, error)) {
            lastError_ = 0;
            return kShellCatchAll;
        }
        if (IsLocked(from)) {
            op->fAnyOperationsAborted = TRUE;
            lastError_ = 0;
            return static_cast<int>(ERROR_CANCELLED);
        }
        std::string target = HostPath(to);
        if (target.empty()) return kShellCatchAll;
        if (IsReadOnly(to)) {
            lastError_ = 0;
            return static_cast<int>(ERROR_ACCESS_DENIED);
        }
        fs::create_directories(fs::path(target).parent_path(), error);
        if (IsLocked(to)) return static_cast<int>(ERROR_SHARING_VIOLATION);
        if (fs::exists(target, error)) fs::remove_all(target, error);
        fs::copy(source, target, fs::copy_options::recursive, error);
        if (error) return static_cast<int>(ERROR_ACCESS_DENIED);
        // The copy takes the source's attributes.
        auto extra = extraAttributes_.find(Lower(source));
        if (extra != extraAttributes_.end()) extraAttributes_[Lower(target)] = extra->second;
        else extraAttributes_.erase(Lower(target));
        return 0;
    }
    if (op->wFunc == FO_DELETE) {
        std::string folder;
        if (!EndsWithWildcard(from, &folder)) Unexpected("SHFileOperationA delete without wildcard");
        std::string host = HostPath(folder);
        if (host.empty() || !fs::is_directory(host, error)) {
            lastError_ = ERROR_PATH_NOT_FOUND;
            return kShellCatchAll;
        }
        // Stops at the first file in use, as the shell does.
        std::vector<fs::path> entries;
        for (const fs::directory_entry& entry : fs::directory_iterator(host, error)) entries.push_back(entry.path());
        if (!entries.empty() && IsReadOnly(folder)) {
            lastError_ = 0;
            return static_cast<int>(ERROR_ACCESS_DENIED);
        }
        std::sort(entries.begin(), entries.end());
        for (const fs::path& entry : entries) {
            for (const std::string& locked : lockedFiles) {
                std::string lockedHost = Lower(HostPath(locked));
                std::string prefix = Lower(entry.string());
                if (lockedHost == prefix || lockedHost.rfind(prefix + "/", 0) == 0) {
                    lastError_ = 0;
                    return static_cast<int>(ERROR_SHARING_VIOLATION);
                }
            }
            fs::remove_all(entry, error);
        }
        lastError_ = 0;
        return 0;
    }
    Unexpected("SHFileOperationA with another function");
}

HANDLE FakePlatform::OpenEventLogA(const char* server, const char* source) {
    Log("OpenEventLogA", {server == nullptr ? "local" : server, source});
    DWORD code = 0;
    if (Injected(FakeOp::OpenEventLogA, LastArgs(), &code)) {
        lastError_ = code;
        return nullptr;
    }
    if (eventLogs.count(source) == 0) {
        lastError_ = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    auto* handle = new std::string(source);
    eventLogHandles_.insert(handle);
    ++openEventLogs;
    return handle;
}

BOOL FakePlatform::BackupEventLogA(HANDLE log, const char* file) {
    auto* name = static_cast<std::string*>(log);
    Log("BackupEventLogA", {eventLogHandles_.count(name) ? *name : "?", file});
    if (eventLogHandles_.count(name) == 0) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (FailsNow(FakeOp::BackupEventLogA, LastArgs())) return FALSE;
    std::string host;
    if (DWORD refused = RefuseNewEntry(file, &host)) {
        lastError_ = refused;
        return FALSE;
    }
    std::ofstream(host, std::ios::binary) << "event log backup: " << *name;
    return TRUE;
}

BOOL FakePlatform::CloseEventLog(HANDLE log) {
    return Release(eventLogHandles_, static_cast<std::string*>(log), &openEventLogs);
}

}  // namespace gx
