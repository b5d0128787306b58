// The archive for support: every file of the output folder in one cabinet,
// made by the platform's cabinet library with MSZIP compression. The library
// does its file work through the callbacks below, which go through the
// operating-system boundary like every other call.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "environment/action.h"
#include "handoff/handoff.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "trace/trace.h"

using namespace gx;

namespace {

// Temporary files of the library lie in the output folder, on the disk the
// archive goes to; a killed run's leftovers are removed with old archives.
const char kTempPrefix[] = "~gathrix";

struct PackState {
    std::string folder;  // the output folder, with its trailing backslash
    int nextTemp = 0;
    std::vector<std::string> temps;
    unsigned long long bytes = 0;  // of the files placed in the cabinet
};

PackState& State(void* pv) { return *static_cast<PackState*>(pv); }

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}
bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && StartsWithNoCase(text.substr(text.size() - n), suffix);
}
// An archive of gathrix, or a temporary file the library left behind.
bool IsOwnLeftover(const std::string& name) {
    return (StartsWithNoCase(name, "gathrix_") && EndsWithNoCase(name, ".cab")) ||
           (StartsWithNoCase(name, kTempPrefix) && EndsWithNoCase(name, ".tmp"));
}

// ---- the library's callbacks -------------------------------------------------

void* Alloc(ULONG cb) { return std::malloc(cb); }
void Free(void* memory) { std::free(memory); }

INT_PTR Open(char* file, int oflag, int, int* err, void*) {
    DWORD access = 0;
    switch (oflag & (_O_RDONLY | _O_WRONLY | _O_RDWR)) {
    case _O_WRONLY: access = GENERIC_WRITE; break;
    case _O_RDWR: access = GENERIC_READ | GENERIC_WRITE; break;
    default: access = GENERIC_READ; break;
    }
    DWORD disposition = OPEN_EXISTING;
    if ((oflag & _O_CREAT) != 0)
        disposition = (oflag & _O_EXCL) != 0 ? CREATE_NEW : (oflag & _O_TRUNC) != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
    // Reading leaves the file open to others: the trace log goes on growing.
    const DWORD share = disposition == OPEN_EXISTING ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    HANDLE handle = os().CreateFileA(file, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *err = static_cast<int>(os().GetLastError());
        return -1;
    }
    return reinterpret_cast<INT_PTR>(handle);
}

UINT Read(INT_PTR hf, void* memory, UINT cb, int* err, void*) {
    DWORD done = 0;
    if (!os().ReadFile(reinterpret_cast<HANDLE>(hf), memory, cb, &done, nullptr)) {
        *err = static_cast<int>(os().GetLastError());
        return static_cast<UINT>(-1);
    }
    return done;
}

UINT Write(INT_PTR hf, void* memory, UINT cb, int* err, void*) {
    DWORD done = 0;
    if (!os().WriteFile(reinterpret_cast<HANDLE>(hf), memory, cb, &done, nullptr)) {
        *err = static_cast<int>(os().GetLastError());
        return static_cast<UINT>(-1);
    }
    if (done != cb) {
        *err = static_cast<int>(ERROR_DISK_FULL);
        return static_cast<UINT>(-1);
    }
    return done;
}

int Close(INT_PTR hf, int* err, void*) {
    if (!os().CloseHandle(reinterpret_cast<HANDLE>(hf))) {
        *err = static_cast<int>(os().GetLastError());
        return -1;
    }
    return 0;
}

// The C runtime's SEEK_SET, SEEK_CUR and SEEK_END are FILE_BEGIN, FILE_CURRENT and FILE_END.
LONG Seek(INT_PTR hf, LONG dist, int seektype, int* err, void*) {
    os().SetLastError(0);
    DWORD position = os().SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, static_cast<DWORD>(seektype));
    if (position == INVALID_SET_FILE_POINTER && os().GetLastError() != 0) {
        *err = static_cast<int>(os().GetLastError());
        return -1;
    }
    return static_cast<LONG>(position);
}

int Delete(char* file, int* err, void*) {
    if (!os().DeleteFileA(file)) {
        *err = static_cast<int>(os().GetLastError());
        return -1;
    }
    return 0;
}

BOOL TempFile(char* name, int size, void* pv) {
    PackState& state = State(pv);
    for (int tries = 0; tries < 100; ++tries) {
        std::string path = state.folder + kTempPrefix + std::to_string(++state.nextTemp) + ".tmp";
        if (path.size() + 1 > static_cast<std::size_t>(size)) return FALSE;
        if (os().GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        std::memcpy(name, path.c_str(), path.size() + 1);
        state.temps.push_back(path);
        return TRUE;
    }
    return FALSE;
}

int FilePlaced(CCAB*, char*, LONG cbFile, BOOL continuation, void* pv) {
    if (!continuation) State(pv).bytes += static_cast<unsigned long>(cbFile);
    return 0;
}

BOOL NextCabinet(CCAB*, ULONG, void*) { return TRUE; }
LONG Status(UINT, ULONG, ULONG, void*) { return 0; }

// Opens a file to pack and tells its date, time and attributes.
INT_PTR OpenInfo(char* name, USHORT* date, USHORT* time, USHORT* attribs, int* err, void* pv) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!os().GetFileAttributesExA(name, GetFileExInfoStandard, &data)) {
        *err = static_cast<int>(os().GetLastError());
        return -1;
    }
    FILETIME local = {};
    WORD dosDate = 0, dosTime = 0;
    if (os().FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
        os().FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
        *date = dosDate;
        *time = dosTime;
    } else {
        *date = (1 << 5) | 1;  // 1980-01-01, the earliest a cabinet can hold
        *time = 0;
    }
    // The cabinet's attribute bits are the same as these.
    *attribs = static_cast<USHORT>(data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    return Open(name, _O_RDONLY | _O_BINARY, 0, err, pv);
}

const char* Cause(int oper) {
    switch (oper) {
    case FCIERR_OPEN_SRC: return "a file to pack cannot be opened";
    case FCIERR_READ_SRC: return "a file to pack cannot be read";
    case FCIERR_ALLOC_FAIL: return "out of memory";
    case FCIERR_TEMP_FILE: return "a temporary file cannot be created or written (disk full?)";
    case FCIERR_BAD_COMPR_TYPE: return "compression type refused";
    case FCIERR_CAB_FILE: return "the archive cannot be written (disk full?)";
    case FCIERR_USER_ABORT: return "aborted";
    case FCIERR_MCI_FAIL: return "compression failed";
    case FCIERR_NONE: return "the cabinet library cannot be loaded";  // only FCICreate fails so
    default: return "unknown";
    }
}

// ---- what is packed ----------------------------------------------------------

struct PackedFile {
    std::string path;  // full path
    std::string name;  // below the output folder, as stored in the cabinet
};

// Every file below `folder`, subfolders with their paths kept. False when a
// folder cannot be listed or a path passes the limits.
bool ListFiles(const std::string& root, const std::string& below, std::vector<PackedFile>& files) {
    const std::string pattern = root + below + "*.*";
    if (pattern.size() + 1 > MAX_PATH) {
        Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> folder path too long: %s", pattern.c_str());
        return false;
    }
    WIN32_FIND_DATAA data = {};
    UniqueFind find(os().FindFirstFileA(pattern.c_str(), &data));
    if (!find) {
        Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> FindFirstFile(%s): %lu", pattern.c_str(),
              static_cast<unsigned long>(os().GetLastError()));
        return false;
    }
    std::vector<std::string> folders;
    bool ok = true;
    do {
        data.cFileName[sizeof(data.cFileName) - 1] = '\0';
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        // Packed through a link, files only administrators may read would
        // land in an archive that anyone at this folder may read.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> reparse point, not followed: %s",
                  (root + below + name).c_str());
            ok = false;
            break;
        }
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            folders.push_back(below + name + "\\");
            continue;
        }
        if (below.empty() && IsOwnLeftover(name)) continue;
        PackedFile file = {root + below + name, below + name};
        if (file.path.size() + 1 > MAX_PATH || file.name.size() + 1 > static_cast<std::size_t>(CB_MAX_FILENAME)) {
            Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> path too long to pack: %s", file.path.c_str());
            ok = false;
            break;
        }
        files.push_back(file);
    } while (os().FindNextFileA(find.get(), &data));
    find.reset();
    for (const std::string& folder : folders)
        if (ok) ok = ListFiles(root, folder, files);
    return ok;
}

// Removes earlier archives and leftover temporary files; false when one stays.
bool RemoveLeftovers(const std::string& folder) {
    WIN32_FIND_DATAA data = {};
    UniqueFind find(os().FindFirstFileA((folder + "*.*").c_str(), &data));
    if (!find) return true;  // listed again, and reported, when packing
    std::vector<std::string> leftovers;
    do {
        data.cFileName[sizeof(data.cFileName) - 1] = '\0';
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsOwnLeftover(data.cFileName))
            leftovers.push_back(folder + data.cFileName);
    } while (os().FindNextFileA(find.get(), &data));
    find.reset();
    bool removed = true;
    for (const std::string& path : leftovers) {
        if (os().DeleteFileA(path.c_str())) continue;
        Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> DeleteFile(%s): %lu", path.c_str(),
              static_cast<unsigned long>(os().GetLastError()));
        removed = false;
    }
    return removed;
}

// No partial archive and no temporary file stays behind.
void RemoveIfThere(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (os().GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (!os().DeleteFileA(path.c_str()))
            Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> DeleteFile(%s): %lu", path.c_str(),
                  static_cast<unsigned long>(os().GetLastError()));
    }
}

}  // namespace

bool PackCollectInfo(const CAction& action, const std::string& name) {
    Trace(TRACE_INFO, "> Handoff::PackCollectInfo, %s", name.c_str());
    const DWORD started = os().GetTickCount();
    PackState state;
    state.folder = action.m_szDest_Path;
    const std::string cabinet = state.folder + name;
    if (state.folder.empty() || state.folder.size() + 1 > static_cast<std::size_t>(CB_MAX_CAB_PATH) ||
        name.size() + 1 > static_cast<std::size_t>(CB_MAX_CABINET_NAME) || cabinet.size() + 1 > MAX_PATH) {
        Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> archive path refused: %s", cabinet.c_str());
        return false;
    }
    if (action.OutputLinkRefused("Handoff::PackCollectInfo", state.folder)) {
        Trace(TRACE_INFO, "< Handoff::PackCollectInfo, no archive: the folder is the result");
        return false;
    }
    RemoveLeftovers(state.folder);

    std::vector<PackedFile> files;
    bool ok = ListFiles(state.folder, "", files);
    // The trace log last: it then holds as much of this run as it can.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].name.size() != std::strlen("gathrix.log") || !StartsWithNoCase(files[i].name, "gathrix.log"))
            continue;
        PackedFile log = files[i];
        files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
        files.push_back(log);
        break;
    }

    ERF erf = {};
    CCAB ccab = {};
    ccab.cb = 0x7FFFFFFF;  // one cabinet, however large
    ccab.cbFolderThresh = 0x7FFFFFFF;
    ccab.iCab = 1;
    std::memcpy(ccab.szCabPath, state.folder.c_str(), state.folder.size() + 1);
    std::memcpy(ccab.szCab, name.c_str(), name.size() + 1);
    HFCI fci = nullptr;
    if (ok) {
        fci = os().FCICreate(&erf, FilePlaced, Alloc, Free, Open, Read, Write, Close, Seek, Delete, TempFile, &ccab,
                             &state);
        if (fci == nullptr) {
            Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> FCICreate: %s (erfOper %d, error %d)",
                  Cause(erf.erfOper), erf.erfOper, erf.erfType);
            ok = false;
        }
    }
    for (std::size_t i = 0; ok && i < files.size(); ++i) {
        std::vector<char> source(files[i].path.begin(), files[i].path.end());
        std::vector<char> stored(files[i].name.begin(), files[i].name.end());
        source.push_back('\0');
        stored.push_back('\0');
        if (!os().FCIAddFile(fci, source.data(), stored.data(), FALSE, NextCabinet, Status, OpenInfo,
                             tcompTYPE_MSZIP)) {
            Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> FCIAddFile(%s): %s (erfOper %d, error %d)",
                  files[i].path.c_str(), Cause(erf.erfOper), erf.erfOper, erf.erfType);
            ok = false;
        }
    }
    if (ok && !os().FCIFlushCabinet(fci, FALSE, NextCabinet, Status)) {
        Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> FCIFlushCabinet(%s): %s (erfOper %d, error %d)",
              cabinet.c_str(), Cause(erf.erfOper), erf.erfOper, erf.erfType);
        ok = false;
    }
    if (fci != nullptr) os().FCIDestroy(fci);

    WIN32_FILE_ATTRIBUTE_DATA packed = {};
    if (ok && !os().GetFileAttributesExA(cabinet.c_str(), GetFileExInfoStandard, &packed)) {
        Trace(TRACE_ERROR, "ERR Handoff::PackCollectInfo -> no archive after packing: %lu",
              static_cast<unsigned long>(os().GetLastError()));
        ok = false;
    }
    std::vector<std::string> leftovers = state.temps;  // the library normally removes them
    if (!ok) leftovers.push_back(cabinet);
    RemoveIfThere(leftovers);
    if (!ok) {
        Trace(TRACE_INFO, "< Handoff::PackCollectInfo, no archive: the folder is the result");
        return false;
    }
    Trace(TRACE_INFO, "Handoff::PackCollectInfo, %s: %u files, %llu bytes packed into %lu bytes in %lu ms",
          name.c_str(), static_cast<unsigned>(files.size()), state.bytes,
          static_cast<unsigned long>(packed.nFileSizeLow), static_cast<unsigned long>(os().GetTickCount() - started));
    Trace(TRACE_INFO, "< Handoff::PackCollectInfo");
    return true;
}
