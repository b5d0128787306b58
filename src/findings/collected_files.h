// What the collected-files reader uses: the copies the run made, and a log
// read line by line through the boundary within a byte bound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/unique_handle.h"

class CAction;

namespace findings {

// One file of the table that the run copied into File_Save.
struct CollectedCopy {
    std::string name;   // the row's file name
    std::string path;   // the copy's full path
    std::string shown;  // the copy as CollectInfo names it, e.g. "File_Save\WINDOWS\x.log"
    std::uint64_t bytes = 0;
};

// False when the file step did not record its rows (it did not run).
bool FilesRecorded(const CAction& action);
// The copies whose row names a file `wanted` accepts, each copy once: the
// second group repeats rows of the first with the same destination.
std::vector<CollectedCopy> CollectedCopies(const CAction& action, bool (*wanted)(const std::string& name));

// Where the run put %windir%\INF\setupapi.dev.log: mirrored below File_Save
// like the table's rows. Empty path when the folders are not known.
CollectedCopy SetupDevLogCopy(const CAction& action);


// A text log read through the boundary, ANSI or UTF-16LE with a byte-order
// mark (cut to Windows-1252), split at LF with the CR dropped. The last line
// needs no line end. Reads at most `byteLimit` bytes; a line is kept up to
// kKeptLineLength characters and the rest of it skipped, so no log can make
// the reader hold more than one chunk and one such line.
class LogLines {
public:
    static constexpr std::size_t kKeptLineLength = 4096;

    LogLines(const std::string& path, std::uint64_t byteLimit);

    // 0 when the file is open; else the platform's error code.
    gx::DWORD OpenError() const { return openError_; }
    // The next line; false at the end of the file, at the bound, or when
    // reading failed (ReadError).
    bool Next(std::string& line);
    long Number() const { return number_; }  // 1-based, of the line last returned
    bool Cut() const { return cut_; }        // stopped at the bound with more to read
    std::uint64_t BytesRead() const { return limit_ - left_; }
    gx::DWORD ReadError() const { return readError_; }

private:
    bool Fill();
    void Append(char c);

    gx::UniqueFile file_;
    gx::DWORD openError_ = 0;
    gx::DWORD readError_ = 0;
    std::uint64_t limit_;
    std::uint64_t left_;
    std::vector<unsigned char> chunk_;
    std::size_t at_ = 0;
    bool started_ = false;
    bool utf16_ = false;
    bool pendingByte_ = false;
    unsigned char oddByte_ = 0;
    bool ended_ = false;
    bool cut_ = false;
    std::string decoded_;  // decoded text of the current chunk
    std::size_t decodedAt_ = 0;
    long number_ = 0;
};

// Why a log gave no verdict, as a skip reason names it.
std::string LogProblem(const CollectedCopy& copy, const LogLines& lines, std::uint64_t byteLimit);

// A file time as local "YYYY-MM-DD hh:mm:ss"; empty when the platform cannot convert it.
std::string LocalTimeText(const gx::FILETIME& utc);

}  // namespace findings
