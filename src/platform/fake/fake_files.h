// The fake's file system: a real folder per drive below a temporary root,
// resolved case-insensitively like Windows; the C runtime's text appends,
// the standard output and the shell's copy and delete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_core.h"

namespace gx {

class FakeProcess;
class FakeSecurity;

class FakeFiles final : public FilesApi, private FakeArea {
public:
    explicit FakeFiles(FakeCore& core);
    ~FakeFiles() override;
    GX_FILES_CALLS(GX_OVERRIDE_CALL)

    // ---- seeding and inspection (Windows paths) ----------------------------
    const std::string& Root() const { return root_; }  // removed by the destructor
    std::string HostPath(const std::string& windowsPath) const;  // "" when not mappable
    void WriteFile(const std::string& windowsPath, const std::string& content);
    std::string ReadFile(const std::string& windowsPath) const;
    bool Exists(const std::string& windowsPath) const;
    void MakeDirectory(const std::string& windowsPath);
    // A junction at `windowsPath` to the folder `target` (a host symbolic
    // link): it carries FILE_ATTRIBUTE_REPARSE_POINT, and what goes through it
    // lands in the target, as on Windows.
    void MakeJunction(const std::string& windowsPath, const std::string& target);
    // Attribute bits the host cannot hold (read-only for root, compressed,
    // encrypted, hidden): added to what the file system reports.
    void SetExtraAttributes(const std::string& windowsPath, DWORD bits);
    // A file opened elsewhere without sharing: writes, copies and deletes fail.
    void LockFile(const std::string& windowsPath) { lockedFiles_.insert(windowsPath); }
    void UnlockFiles() { lockedFiles_.clear(); }
    // A folder the user may read but not change (a protected or write-protected
    // location): creating, writing or deleting anything at or below it fails
    // with ERROR_ACCESS_DENIED.
    void ProtectFolder(const std::string& windowsPath) { readOnlyFolders_.insert(windowsPath); }
    void UnprotectFolders() { readOnlyFolders_.clear(); }
    // Bytes the disk still takes through WriteFile (-1: no limit). A write
    // beyond them stores what fits and succeeds short, as a full disk may.
    void SetFreeSpace(long long bytes) { diskRoom_ = bytes; }
    const std::string& Stdout() const { return stdoutText_; }
    void ClearStdout() { stdoutText_.clear(); }
    int OpenFiles() const { return openFiles_; }
    int OpenFinds() const { return openFinds_; }

    // ---- for the other areas -----------------------------------------------
    // Why a new file or folder cannot be made at `path` (0: it can); the
    // host path on success.
    DWORD RefuseNewEntry(const char* path, std::string* host);
    bool IsReadOnly(const std::string& windowsPath) const;
    // CloseHandle also closes the process token.
    void UseSecurity(FakeSecurity* security) { security_ = security; }
    void UseProcess(FakeProcess* process) { process_ = process; }
    // Free and total bytes of the drive with this root ("C:\\"); an unseeded
    // drive has plenty of room.
    void SetDiskSpace(const std::string& root, std::uint64_t freeBytes, std::uint64_t totalBytes);
    // Closes a file; false when `handle` is no file of this area.
    bool CloseFile(HANDLE handle);
    std::string OpenHandles() const;
    std::string Describe() const;

private:
    struct FindState {
        std::vector<WIN32_FIND_DATAA> entries;
        std::size_t next = 0;
    };
    struct FileState {
        std::string hostPath;
        bool canRead = false;
        bool canWrite = true;
        std::uint64_t position = 0;
    };

    // The open file `handle` names, if it allows the transfer and no injected
    // failure stops it; else null with the last error set. *done becomes 0.
    FileState* Transfer(FakeOp op, HANDLE handle, bool writing, DWORD size, DWORD* done);
    // The path a call of this process reaches: on 64-bit Windows a 32-bit
    // process is shown SysWOW64 for System32 unless it turned that off.
    std::string Seen(const std::string& windowsPath) const;
    bool IsLocked(const std::string& windowsPath) const;
    DWORD HostAttributes(const std::string& hostPath) const;
    void RemoveThroughLinks(const std::filesystem::path& entry);
    // The attributes of an entry that exists; else INVALID_FILE_ATTRIBUTES
    // with ERROR_FILE_NOT_FOUND as the last error.
    DWORD ExistingAttributes(const std::string& hostPath);
    std::string ResolveCase(const std::string& hostPath) const;

    std::string root_;
    std::set<std::string> lockedFiles_;  // Windows paths, compared case-insensitively
    std::set<std::string> readOnlyFolders_;
    long long diskRoom_ = -1;
    std::string stdoutText_;
    int openFinds_ = 0;
    int openFiles_ = 0;
    std::map<std::string, DWORD> extraAttributes_;  // lower-case host path -> bits
    std::set<FindState*> finds_;
    std::set<FileState*> files_;
    FakeSecurity* security_ = nullptr;
    FakeProcess* process_ = nullptr;
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> diskSpace_;  // upper-case root
};

}  // namespace gx
