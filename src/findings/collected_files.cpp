#include "findings/collected_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

#include "environment/action.h"
#include "findings/text.h"
#include "files/file_table.h"
#include "platform/constants.h"
#include "platform/platform.h"

using namespace gx;

namespace findings {

namespace {

constexpr DWORD kChunk = 64 * 1024;

// Rows written with and without a leading separator name one file, once
// with a doubled separator; a network path keeps its leading pair.
std::string SingleSeparators(const std::string& path) {
    std::string single;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (!(i > 1 && path[i] == '\\' && single.back() == '\\')) single.push_back(path[i]);
    return single;
}

}  // namespace

bool FilesRecorded(const CAction& action) {
    return action.m_Record.rows.size() == static_cast<std::size_t>(kFileTableSize);
}

std::vector<CollectedCopy> CollectedCopies(const CAction& action, bool (*wanted)(const std::string& name)) {
    std::vector<CollectedCopy> copies;
    if (!FilesRecorded(action)) return copies;
    std::set<std::string> seen;
    for (int i = 0; i < kFileTableSize; ++i) {
        const RecordedItem& record = action.m_Record.rows[i];
        if (record.outcome != ItemOutcome::Written || !wanted(FileTable[i].szFileName)) continue;
        const std::string destination = SingleSeparators(ComposeCollectedFilePaths(action, FileTable[i]).destination);
        if (destination.empty() || !seen.insert(Lower(destination)).second) continue;
        CollectedCopy copy;
        copy.name = FileTable[i].szFileName;
        copy.path = destination;
        const std::string base = SingleSeparators(action.m_szDest_Path);
        copy.shown = !base.empty() && destination.compare(0, base.size(), base) == 0 ? destination.substr(base.size())
                                                                                    : destination;
        copy.bytes = record.bytes;
        copies.push_back(std::move(copy));
    }
    return copies;
}

CollectedCopy SetupDevLogCopy(const CAction& action) {
    CollectedCopy copy;
    copy.name = "setupapi.dev.log";
    const std::string& windows = action.m_szWindowsPath;
    if (action.m_szDest_Path_Files.empty() || windows.size() <= 3 || windows[1] != ':' || windows[2] != '\\')
        return copy;
    std::string below = windows.substr(3);
    while (!below.empty() && below.back() == '\\') below.pop_back();
    copy.path = SingleSeparators(action.m_szDest_Path_Files + below + "\\INF\\setupapi.dev.log");
    const std::string base = SingleSeparators(action.m_szDest_Path);
    copy.shown = !base.empty() && copy.path.compare(0, base.size(), base) == 0 ? copy.path.substr(base.size()) : copy.path;
    return copy;
}

// ---- LogLines -----------------------------------------------------------------

LogLines::LogLines(const std::string& path, std::uint64_t byteLimit) : limit_(byteLimit), left_(byteLimit) {
    // Shared for writing too: a product may still have its log open.
    file_.reset(os().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        openError_ = os().GetLastError();
        if (openError_ == 0) openError_ = ERROR_INVALID_HANDLE;
    }
}

bool LogLines::Fill() {
    decoded_.clear();
    decodedAt_ = 0;
    if (ended_ || openError_ != 0) return false;
    if (left_ == 0) {
        // At the bound: one more byte tells whether the log went on.
        unsigned char probe = 0;
        DWORD got = 0;
        cut_ = os().ReadFile(file_.get(), &probe, 1, &got, nullptr) && got > 0;
        ended_ = true;
        return false;
    }
    chunk_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, left_)));
    DWORD got = 0;
    if (!os().ReadFile(file_.get(), chunk_.data(), static_cast<DWORD>(chunk_.size()), &got, nullptr)) {
        readError_ = os().GetLastError();
        if (readError_ == 0) readError_ = ERROR_INVALID_HANDLE;
        ended_ = true;
        return false;
    }
    got = std::min<DWORD>(got, static_cast<DWORD>(chunk_.size()));
    if (got == 0) {
        ended_ = true;  // an odd last byte of a UTF-16 log ends no character: dropped
        return false;
    }
    left_ -= got;
    std::size_t at = 0;
    if (!started_) {
        started_ = true;
        if (got >= 2 && chunk_[0] == 0xFF && chunk_[1] == 0xFE) {
            utf16_ = true;
            at = 2;
        } else if (got >= 3 && chunk_[0] == 0xEF && chunk_[1] == 0xBB && chunk_[2] == 0xBF) {
            at = 3;  // the markers are ASCII; other characters stay as their bytes
        }
    }
    if (!utf16_) {
        decoded_.assign(chunk_.begin() + static_cast<std::ptrdiff_t>(at), chunk_.begin() + got);
        return true;
    }
    decoded_.reserve(got / 2 + 1);
    for (; at < got; ++at) {
        if (!pendingByte_) {
            oddByte_ = chunk_[at];
            pendingByte_ = true;
            continue;
        }
        pendingByte_ = false;
        unsigned unit = oddByte_ | static_cast<unsigned>(chunk_[at]) << 8;
        if (unit >= 0xDC00 && unit < 0xE000) continue;  // second half of a pair: one '?' for both
        decoded_.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
    }
    return true;
}

bool LogLines::Next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (decodedAt_ >= decoded_.size()) {
            if (Fill()) continue;
            break;
        }
        std::size_t newline = decoded_.find('\n', decodedAt_);
        std::size_t end = newline == std::string::npos ? decoded_.size() : newline;
        if (line.size() < kKeptLineLength)
            line.append(decoded_, decodedAt_, std::min(end - decodedAt_, kKeptLineLength - line.size()));
        any = true;
        decodedAt_ = end;
        if (newline != std::string::npos) {
            ++decodedAt_;
            break;
        }
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number_;
    return true;
}

std::string LogProblem(const CollectedCopy& copy, const LogLines& lines, std::uint64_t byteLimit) {
    if (lines.OpenError() != 0) return copy.shown + " cannot be opened (error " + std::to_string(lines.OpenError()) + ")";
    if (lines.ReadError() != 0) return copy.shown + " cannot be read (error " + std::to_string(lines.ReadError()) + ")";
    if (lines.Cut()) {
        std::uint64_t mb = byteLimit >> 20;
        return copy.shown + " is larger than " + (mb > 0 ? std::to_string(mb) + " MB" : std::to_string(byteLimit) + " bytes") +
               "; only its start was read";
    }
    return std::string();
}

// ---- dates --------------------------------------------------------------------

std::string LocalTimeText(const FILETIME& utc) {
    FILETIME local = {};
    if (!os().FileTimeToLocalFileTime(&utc, &local)) return std::string();
    const std::uint64_t ticks = (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    const long long seconds = static_cast<long long>(ticks / 10000000ull) - 11644473600ll;
    if (seconds < 0) return std::string();
    return CivilTimeText(seconds);
}

}  // namespace findings
