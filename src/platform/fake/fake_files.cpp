// The fake's file system: a real folder per drive below `root_`, resolved
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
#include <stdexcept>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_security.h"
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

FakeFiles::FakeFiles(FakeCore& core) : FakeArea(core) {
    core.MayFail({FakeOp::GetFileAttributesA, FakeOp::CreateDirectoryA, FakeOp::RemoveDirectoryA,
                  FakeOp::DeleteFileA, FakeOp::FindFirstFileA, FakeOp::FindNextFileA, FakeOp::CreateFileA,
                  FakeOp::WriteFile, FakeOp::ReadFile, FakeOp::SetFilePointer, FakeOp::GetFileAttributesExA,
                  FakeOp::AppendText, FakeOp::SHFileOperationA, FakeOp::GetDiskFreeSpaceExA});
    char pattern[] = "/tmp/gx-fake-XXXXXX";
    char* made = ::mkdtemp(pattern);
    if (made == nullptr) throw std::runtime_error("cannot create the fake's drive folder");
    root_ = made;
    fs::create_directories(root_ + "/C");
}

FakeFiles::~FakeFiles() {
    for (FindState* find : finds_) delete find;
    for (FileState* file : files_) delete file;
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string FakeFiles::OpenHandles() const {
    std::string text;
    for (const FindState* find : finds_)
        text += "search of " + std::to_string(find->entries.size()) + " entries\n";
    for (const FileState* file : files_) text += "file " + file->hostPath.substr(root_.size()) + "\n";
    return text;
}

std::string FakeFiles::Describe() const {
    std::string out = " files below " + root_ + ":\n";
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root_, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::string path = it->path().string().substr(root_.size());
        out += "  " + path + (it->is_directory(error) ? "\\" : " " + std::to_string(it->file_size(error)) + "B") + "\n";
    }
    for (const std::string& path : lockedFiles_) out += " locked: " + path + "\n";
    for (const std::string& path : readOnlyFolders_) out += " protected: " + path + "\n";
    return out;
}

std::string FakeFiles::ResolveCase(const std::string& hostPath) const {
    // Walk the components below root_, matching each one case-insensitively.
    fs::path resolved(root_);
    fs::path relative = fs::path(hostPath).lexically_relative(root_);
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

std::string FakeFiles::HostPath(const std::string& windowsPath) const {
    if (windowsPath.size() >= 2 && windowsPath[0] == '\\' && windowsPath[1] == '\\') {
        std::vector<std::string> parts = SplitWindowsPath(windowsPath, 2);
        std::string host = root_ + "/UNC";
        for (const std::string& part : parts) host += "/" + part;
        return ResolveCase(host);
    }
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
        return "";
    std::string host = root_ + "/" + static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0])));
    for (const std::string& part : SplitWindowsPath(windowsPath, 2)) host += "/" + part;
    return ResolveCase(host);
}

std::string FakeFiles::Seen(const std::string& windowsPath) const {
    if (process_ == nullptr || !process_->FsRedirected()) return windowsPath;
    const std::string system = Lower(process_->WindowsDirectory() + "\\system32");
    const std::string lower = Lower(windowsPath);
    if (lower.compare(0, system.size(), system) != 0) return windowsPath;
    if (lower.size() > system.size() && lower[system.size()] != '\\') return windowsPath;
    // Folders that both kinds of program share stay where they are.
    static const char* const kShared[] = {"\\catroot", "\\catroot2", "\\driverstore", "\\drivers\\etc",
                                          "\\logfiles", "\\spool"};
    const std::string rest = lower.substr(system.size());
    for (const char* shared : kShared) {
        const std::string name(shared);
        if (rest.compare(0, name.size(), name) == 0 && (rest.size() == name.size() || rest[name.size()] == '\\'))
            return windowsPath;
    }
    return windowsPath.substr(0, system.size() - 8) + "SysWOW64" + windowsPath.substr(system.size());
}

void FakeFiles::WriteFile(const std::string& windowsPath, const std::string& content) {
    std::string host = HostPath(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string FakeFiles::ReadFile(const std::string& windowsPath) const {
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool FakeFiles::Exists(const std::string& windowsPath) const {
    std::string host = HostPath(windowsPath);
    std::error_code error;
    return !host.empty() && fs::exists(host, error);
}

void FakeFiles::MakeDirectory(const std::string& windowsPath) {
    fs::create_directories(HostPath(windowsPath));
}

void FakeFiles::MakeJunction(const std::string& windowsPath, const std::string& targetWindowsPath) {
    fs::path link(HostPath(windowsPath));
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(HostPath(targetWindowsPath), link);
}

void FakeFiles::SetExtraAttributes(const std::string& windowsPath, DWORD bits) {
    extraAttributes_[Lower(HostPath(windowsPath))] = bits;
}

bool FakeFiles::IsLocked(const std::string& windowsPath) const {
    std::string host = Lower(HostPath(windowsPath));
    for (const std::string& locked : lockedFiles_)
        if (Lower(HostPath(locked)) == host) return true;
    return false;
}

bool FakeFiles::IsReadOnly(const std::string& windowsPath) const {
    std::string host = Lower(HostPath(windowsPath));
    if (host.empty()) return false;
    for (const std::string& folder : readOnlyFolders_) {
        std::string base = Lower(HostPath(folder));
        if (!base.empty() && (host == base || host.rfind(base + "/", 0) == 0)) return true;
    }
    return false;
}

DWORD FakeFiles::HostAttributes(const std::string& hostPath) const {
    std::error_code error;
    fs::file_status status = fs::status(hostPath, error);
    if (error || !fs::exists(status)) return INVALID_FILE_ATTRIBUTES;
    DWORD bits = fs::is_directory(status) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        bits |= FILE_ATTRIBUTE_READONLY;
    std::string entry = hostPath;
    while (entry.size() > 1 && entry.back() == '/') entry.pop_back();
    if (fs::is_symlink(fs::symlink_status(entry, error))) bits |= FILE_ATTRIBUTE_REPARSE_POINT;
    auto extra = extraAttributes_.find(Lower(hostPath));
    if (extra != extraAttributes_.end()) bits |= extra->second;
    return bits;
}

DWORD FakeFiles::GetFileAttributesA(const char* path) {
    Log(FakeOp::GetFileAttributesA, {path});
    if (FailsNow(FakeOp::GetFileAttributesA, LastArgs())) return INVALID_FILE_ATTRIBUTES;
    std::string host = HostPath(Seen(path));
    if (host.empty()) {
        SetError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD bits = HostAttributes(host);
    if (bits == INVALID_FILE_ATTRIBUTES) {
        std::error_code error;
        SetError(fs::is_directory(fs::path(host).parent_path(), error) ? ERROR_FILE_NOT_FOUND
                                                                           : ERROR_PATH_NOT_FOUND);
    } else if ((bits & FILE_ATTRIBUTE_DIRECTORY) == 0 && !std::string(path).empty() &&
               (std::string(path).back() == '\\' || std::string(path).back() == '/')) {
        // As Windows and Wine: a trailing separator names a folder, and a file
        // of that name is no folder.
        SetError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return bits;
}

DWORD FakeFiles::RefuseNewEntry(const char* path, std::string* host) {
    *host = HostPath(Seen(path));
    std::error_code error;
    if (host->empty() || !fs::is_directory(fs::path(*host).parent_path(), error)) return ERROR_PATH_NOT_FOUND;
    if (fs::exists(*host, error)) return ERROR_ALREADY_EXISTS;
    if (IsReadOnly(Seen(path))) return ERROR_ACCESS_DENIED;
    return 0;
}

BOOL FakeFiles::CreateDirectoryA(const char* path, void*) {
    Log(FakeOp::CreateDirectoryA, {path});
    if (FailsNow(FakeOp::CreateDirectoryA, LastArgs())) return FALSE;
    std::string host;
    if (DWORD refused = RefuseNewEntry(path, &host)) {
        SetError(refused);
        return FALSE;
    }
    std::error_code error;
    fs::create_directory(host, error);
    if (error) {
        SetError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL FakeFiles::RemoveDirectoryA(const char* path) {
    Log(FakeOp::RemoveDirectoryA, {path});
    if (FailsNow(FakeOp::RemoveDirectoryA, LastArgs())) return FALSE;
    std::string host = HostPath(Seen(path));
    std::error_code error;
    if (host.empty() || !fs::exists(host, error)) {
        SetError(fs::is_directory(fs::path(host).parent_path(), error) ? ERROR_FILE_NOT_FOUND
                                                                           : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!fs::is_directory(host, error)) {
        SetError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (!fs::is_empty(host, error)) {
        SetError(ERROR_DIR_NOT_EMPTY);
        return FALSE;
    }
    if (IsReadOnly(Seen(path))) {
        SetError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    fs::remove(host, error);
    return TRUE;
}

DWORD FakeFiles::ExistingAttributes(const std::string& hostPath) {
    DWORD bits = hostPath.empty() ? INVALID_FILE_ATTRIBUTES : HostAttributes(hostPath);
    if (bits == INVALID_FILE_ATTRIBUTES) SetError(ERROR_FILE_NOT_FOUND);
    return bits;
}

BOOL FakeFiles::DeleteFileA(const char* path) {
    Log(FakeOp::DeleteFileA, {path});
    if (FailsNow(FakeOp::DeleteFileA, LastArgs())) return FALSE;
    std::string host = HostPath(Seen(path));
    DWORD bits = ExistingAttributes(host);
    if (bits == INVALID_FILE_ATTRIBUTES) return FALSE;
    if ((bits & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0 || IsReadOnly(Seen(path))) {
        SetError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (IsLocked(Seen(path))) {
        SetError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    std::error_code error;
    fs::remove(host, error);
    return TRUE;
}

HANDLE FakeFiles::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    Log(FakeOp::FindFirstFileA, {pattern});
    if (FailsNow(FakeOp::FindFirstFileA, LastArgs())) return INVALID_HANDLE_VALUE;
    std::string folder;
    if (!EndsWithWildcard(pattern, &folder)) Unexpected(std::string("FindFirstFileA on ") + pattern);
    std::string host = HostPath(Seen(folder));
    std::error_code error;
    if (host.empty() || !fs::is_directory(host, error)) {
        SetError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto* find = new FindState();
    auto add = [&](const std::string& name, const std::string& entryHost) {
        WIN32_FIND_DATAA entry = {};
        entry.dwFileAttributes = HostAttributes(entryHost);
        std::snprintf(entry.cFileName, sizeof(entry.cFileName), "%s", name.c_str());
        find->entries.push_back(entry);
    };
    // Like NTFS below a drive root_: "." and ".." first, then by upper-cased name.
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
    ++openFinds_;
    *data = find->entries[find->next++];
    return find;
}

BOOL FakeFiles::FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
    Log(FakeOp::FindNextFileA);
    auto* find = static_cast<FindState*>(handle);
    if (finds_.count(find) == 0) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FailsNow(FakeOp::FindNextFileA, LastArgs())) return FALSE;
    if (find->next >= find->entries.size()) {
        SetError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = find->entries[find->next++];
    return TRUE;
}

BOOL FakeFiles::FindClose(HANDLE handle) {
    Log(FakeOp::FindClose);
    auto* find = static_cast<FindState*>(handle);
    if (finds_.erase(find) == 0) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete find;
    --openFinds_;
    return TRUE;
}

HANDLE FakeFiles::CreateFileA(const char* path, DWORD access, DWORD share, void*,
                                 DWORD disposition, DWORD, HANDLE) {
    Log(FakeOp::CreateFileA, {path, FakeHex(access) + " " + FakeHex(share) + " " + std::to_string(disposition)});
    if (FailsNow(FakeOp::CreateFileA, LastArgs())) return INVALID_HANDLE_VALUE;
    const bool reading = disposition == OPEN_EXISTING;
    if (reading ? (access & GENERIC_WRITE) != 0 || (access & GENERIC_READ) == 0
                : (disposition != CREATE_ALWAYS && disposition != CREATE_NEW) || (access & GENERIC_WRITE) == 0)
        Unexpected("CreateFileA other than reading an existing file or creating one for writing");
    std::string host = HostPath(Seen(path));
    std::error_code error;
    if (host.empty() || !fs::is_directory(fs::path(host).parent_path(), error)) {
        SetError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (IsLocked(Seen(path))) {
        SetError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    DWORD bits = HostAttributes(host);
    if (reading) {
        if (bits == INVALID_FILE_ATTRIBUTES) {
            SetError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if ((bits & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            SetError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    } else {
        if (disposition == CREATE_NEW && bits != INVALID_FILE_ATTRIBUTES) {
            SetError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        if ((bits != INVALID_FILE_ATTRIBUTES && (bits & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) ||
            IsReadOnly(Seen(path))) {
            SetError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        std::ofstream(host, std::ios::binary | std::ios::trunc);
    }
    auto* file = new FileState();
    file->hostPath = host;
    file->canRead = (access & GENERIC_READ) != 0;
    file->canWrite = (access & GENERIC_WRITE) != 0;
    files_.insert(file);
    ++openFiles_;
    SetError(!reading && bits != INVALID_FILE_ATTRIBUTES ? ERROR_ALREADY_EXISTS : 0);
    return file;
}

FakeFiles::FileState* FakeFiles::Transfer(FakeOp op, HANDLE handle, bool writing, DWORD size, DWORD* done) {
    auto* file = static_cast<FileState*>(handle);
    bool known = files_.count(file) != 0;
    Log(op, {known ? file->hostPath : "?", std::to_string(size)});
    if (done != nullptr) *done = 0;
    if (!known) {
        SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!(writing ? file->canWrite : file->canRead)) {
        SetError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (FailsNow(op, LastArgs())) return nullptr;
    return file;
}

BOOL FakeFiles::WriteFile(HANDLE handle, const void* data, DWORD size, DWORD* written, void*) {
    FileState* file = Transfer(FakeOp::WriteFile, handle, true, size, written);
    if (file == nullptr) return FALSE;
    DWORD stored = size;
    if (diskRoom_ >= 0) {
        if (static_cast<long long>(stored) > diskRoom_) stored = static_cast<DWORD>(diskRoom_);
        diskRoom_ -= stored;
    }
    std::fstream out(file->hostPath, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(file->position));
    out.write(static_cast<const char*>(data), stored);
    file->position += stored;
    if (written != nullptr) *written = stored;
    return TRUE;
}

BOOL FakeFiles::ReadFile(HANDLE handle, void* data, DWORD size, DWORD* read, void*) {
    FileState* file = Transfer(FakeOp::ReadFile, handle, false, size, read);
    if (file == nullptr) return FALSE;
    std::ifstream in(file->hostPath, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(file->position));
    in.read(static_cast<char*>(data), size);
    DWORD got = static_cast<DWORD>(std::max<std::streamsize>(in.gcount(), 0));
    file->position += got;
    if (read != nullptr) *read = got;  // 0 at the end of the file, as Windows
    return TRUE;
}

DWORD FakeFiles::SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD method) {
    auto* file = static_cast<FileState*>(handle);
    bool known = files_.count(file) != 0;
    Log(FakeOp::SetFilePointer, {known ? file->hostPath : "?", std::to_string(distance), std::to_string(method)});
    if (!known) {
        SetError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr && *distanceHigh != 0) Unexpected("SetFilePointer beyond 4 GB");
    if (FailsNow(FakeOp::SetFilePointer, LastArgs())) return INVALID_SET_FILE_POINTER;
    std::error_code error;
    std::int64_t base = method == FILE_BEGIN     ? 0
                        : method == FILE_CURRENT ? static_cast<std::int64_t>(file->position)
                                                 : static_cast<std::int64_t>(fs::file_size(file->hostPath, error));
    std::int64_t target = base + distance;
    if (target < 0) {
        SetError(131);  // ERROR_NEGATIVE_SEEK
        return INVALID_SET_FILE_POINTER;
    }
    file->position = static_cast<std::uint64_t>(target);
    SetError(0);
    return static_cast<DWORD>(target);
}

BOOL FakeFiles::GetFileAttributesExA(const char* path, int infoLevel, WIN32_FILE_ATTRIBUTE_DATA* data) {
    Log(FakeOp::GetFileAttributesExA, {path});
    if (infoLevel != GetFileExInfoStandard) Unexpected("GetFileAttributesExA with another level");
    if (FailsNow(FakeOp::GetFileAttributesExA, LastArgs())) return FALSE;
    std::string host = HostPath(Seen(path));
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

bool FakeFiles::CloseFile(HANDLE handle) {
    auto* file = static_cast<FileState*>(handle);
    if (files_.erase(file) == 0) return false;
    delete file;
    --openFiles_;
    return true;
}

BOOL FakeFiles::CloseHandle(HANDLE handle) {
    Log(FakeOp::CloseHandle);
    if (CloseFile(handle) || (security_ != nullptr && security_->CloseToken(handle)) ||
        (process_ != nullptr && process_->CloseMutex(handle)))
        return TRUE;
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
}

// The fake's local time is UTC.
BOOL FakeFiles::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
    Log(FakeOp::FileTimeToLocalFileTime);
    *local = *utc;
    return TRUE;
}

BOOL FakeFiles::FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) {
    Log(FakeOp::FileTimeToDosDateTime);
    std::uint64_t ticks = (static_cast<std::uint64_t>(time->dwHighDateTime) << 32) | time->dwLowDateTime;
    std::int64_t seconds = static_cast<std::int64_t>(ticks / 10000000ull) - 11644473600ll;
    if (seconds < 315532800) {  // before 1980: no DOS date
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts = {};
    ::gmtime_r(&t, &parts);
    *date = static_cast<WORD>(((parts.tm_year - 80) << 9) | ((parts.tm_mon + 1) << 5) | parts.tm_mday);
    *dosTime = static_cast<WORD>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
    return TRUE;
}

bool FakeFiles::AppendText(const char* path, const char* text, std::size_t length) {
    Log(FakeOp::AppendText, {path});
    DWORD code = 0;
    if (Injected(FakeOp::AppendText, LastArgs(), &code)) return false;
    std::string host = HostPath(Seen(path));
    std::error_code error;
    if (host.empty() || !fs::is_directory(fs::path(host).parent_path(), error) || IsLocked(Seen(path)) ||
        IsReadOnly(Seen(path)))
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

// The shell of older Windows empties the folder a junction points to before
// it removes the junction: so does the fake, which lets tests see a delete
// that went through a link.
void FakeFiles::RemoveThroughLinks(const fs::path& entry) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(entry, error)) && fs::is_directory(entry, error)) {
        std::vector<fs::path> inside;
        for (const fs::directory_entry& item : fs::directory_iterator(entry, error)) inside.push_back(item.path());
        for (const fs::path& item : inside) RemoveThroughLinks(item);
        fs::remove(entry, error);
        return;
    }
    if (fs::is_directory(fs::symlink_status(entry, error))) {
        std::vector<fs::path> inside;
        for (const fs::directory_entry& item : fs::directory_iterator(entry, error)) inside.push_back(item.path());
        for (const fs::path& item : inside) RemoveThroughLinks(item);
    }
    fs::remove(entry, error);
}

int FakeFiles::SHFileOperationA(SHFILEOPSTRUCTA* op) {
    std::vector<std::string> fromList = ListOf(op->pFrom);
    std::vector<std::string> toList = ListOf(op->pTo);
    // The program names one path per list; more means a list without its end.
    if (fromList.size() > 1 || toList.size() > 1) Unexpected("SHFileOperationA with a list of several paths");
    std::string from = fromList.empty() ? "" : fromList.front();
    std::string to = toList.empty() ? "" : toList.front();
    char meta[64];
    std::snprintf(meta, sizeof(meta), "func=%u flags=0x%X", op->wFunc, op->fFlags);
    Log(FakeOp::SHFileOperationA, {from, to, meta, op->hwnd == nullptr ? "owner=null" : "owner=window"});
    op->fAnyOperationsAborted = FALSE;
    DWORD code = 0;
    if (Injected(FakeOp::SHFileOperationA, LastArgs(), &code)) {
        SetError(0);
        return static_cast<int>(code);
    }
    std::error_code error;
    if (op->wFunc == FO_COPY) {
        std::string source = HostPath(Seen(from));
        if (source.empty() || !fs::exists(source, error)) {
            SetError(0);
            return kShellCatchAll;
        }
        if (IsLocked(Seen(from))) {
            op->fAnyOperationsAborted = TRUE;
            SetError(0);
            return static_cast<int>(ERROR_CANCELLED);
        }
        std::string target = HostPath(Seen(to));
        if (target.empty()) return kShellCatchAll;
        if (IsReadOnly(Seen(to))) {
            SetError(0);
            return static_cast<int>(ERROR_ACCESS_DENIED);
        }
        fs::create_directories(fs::path(target).parent_path(), error);
        if (IsLocked(Seen(to))) return static_cast<int>(ERROR_SHARING_VIOLATION);
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
        std::string host = HostPath(Seen(folder));
        if (host.empty() || !fs::is_directory(host, error)) {
            SetError(ERROR_PATH_NOT_FOUND);
            return kShellCatchAll;
        }
        // Stops at the first file in use, as the shell does.
        std::vector<fs::path> entries;
        for (const fs::directory_entry& entry : fs::directory_iterator(host, error)) entries.push_back(entry.path());
        if (!entries.empty() && IsReadOnly(Seen(folder))) {
            SetError(0);
            return static_cast<int>(ERROR_ACCESS_DENIED);
        }
        std::sort(entries.begin(), entries.end());
        for (const fs::path& entry : entries) {
            for (const std::string& locked : lockedFiles_) {
                std::string lockedHost = Lower(HostPath(locked));
                std::string prefix = Lower(entry.string());
                if (lockedHost == prefix || lockedHost.rfind(prefix + "/", 0) == 0) {
                    SetError(0);
                    return static_cast<int>(ERROR_SHARING_VIOLATION);
                }
            }
            RemoveThroughLinks(entry);
        }
        SetError(0);
        return 0;
    }
    Unexpected("SHFileOperationA with another function");
}

void FakeFiles::WriteStdout(const char* text) {
    Log(FakeOp::WriteStdout);
    stdoutText_ += text;
}

void FakeFiles::SetDiskSpace(const std::string& root, std::uint64_t freeBytes, std::uint64_t totalBytes) {
    diskSpace_[Upper(root)] = {freeBytes, totalBytes};
}

BOOL FakeFiles::GetDiskFreeSpaceExA(const char* directory, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                                       ULARGE_INTEGER* totalFree) {
    const std::string path = directory != nullptr ? directory : "";
    Log(FakeOp::GetDiskFreeSpaceExA, {path});
    if (FailsNow(FakeOp::GetDiskFreeSpaceExA, LastArgs())) return FALSE;
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') {
        SetError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::pair<std::uint64_t, std::uint64_t> space = {100ull << 30, 200ull << 30};
    auto seeded = diskSpace_.find(Upper(path.substr(0, 3)));
    if (seeded != diskSpace_.end()) space = seeded->second;
    if (freeToCaller != nullptr) freeToCaller->QuadPart = space.first;
    if (total != nullptr) total->QuadPart = space.second;
    if (totalFree != nullptr) totalFree->QuadPart = space.first;
    return TRUE;
}

}  // namespace gx
