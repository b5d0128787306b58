// "fileattr.txt": the read-only, compressed and encrypted entries of the
// system and program folders.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "environment/action.h"
#include "environment/wow64.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "trace/trace.h"

using namespace gx;

namespace {

// More listed entries than this end the report after the current folder.
constexpr int kListedEntryLimit = 200;

struct AttributeWord {
    DWORD bit;
    const char* word;
};

const AttributeWord kAttributeWords[] = {
    {FILE_ATTRIBUTE_READONLY, "readonly "},
    {FILE_ATTRIBUTE_COMPRESSED, "compressed "},
    {FILE_ATTRIBUTE_ENCRYPTED, "encrypted "},
};

// Writes the report; after the first failed write the rest is dropped, so a
// full disk costs one trace line and not one per entry.
class ReportFile {
public:
    explicit ReportFile(UniqueFile file) : file_(std::move(file)) {}

    void Write(const std::string& text) {
        if (failed_ || text.empty()) return;
        DWORD written = 0;
        BOOL ok = os().WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        if (ok && written == text.size()) return;
        failed_ = true;
        // A short write means the disk is full.
        Trace(TRACE_INFO, "Tool::Could not write fileattr.txt(%lu)\n",
              static_cast<unsigned long>(ok ? ERROR_DISK_FULL : os().GetLastError()));
    }

private:
    UniqueFile file_;
    bool failed_ = false;
};

}  // namespace

BOOL CAction::GetAttributeText(DWORD dwAttributes, std::string& strText) const {
    strText = "Attribute:";
    BOOL any = FALSE;
    for (const AttributeWord& attribute : kAttributeWords) {
        if ((dwAttributes & attribute.bit) == 0) continue;
        strText += attribute.word;
        any = TRUE;
    }
    strText += "\r\n";
    return any;
}

BOOL CAction::Collect_FileAttributes() {
    if (m_iWinOS == WinOS::NT4) return TRUE;  // Windows NT 4.0: no report
    // m_szDest_Path ends with a backslash; the doubled one is harmless. An
    // empty (refused) destination would put the file in the current drive's root.
    std::string path = m_szDest_Path + "\\fileattr.txt";
    UniqueFile file;
    if (!m_szDest_Path.empty() && path.size() + 1 <= MAX_PATH && !OutputLinkRefused("Tool::Collect_FileAttributes", path))
        file.reset(os().CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        Trace(TRACE_INFO, "Tool::Could not open fileattr.txt\n");
        return TRUE;
    }
    ReportFile report(std::move(file));

    const std::string folders[] = {
        m_szWindowsPath.empty() ? std::string() : m_szWindowsPath + "\\system32",
        m_szWindowsPath.empty() ? std::string() : m_szWindowsPath + "\\system32\\drivers",
        m_szProgramFiles,
        m_szProgramFiles_Common,
    };
    int listed = 0;
    for (const std::string& folder : folders) {
        // System32 and its drivers are the real ones on 64-bit Windows too;
        // the header keeps the path as the program names it.
        std::unique_ptr<NativeFileSystem> native;
        if (m_Record.wow64 && IsBelowSystem32(m_szWindowsPath, folder)) native.reset(new NativeFileSystem());
        std::string pattern = folder + "\\*.*";
        DWORD attributes = INVALID_FILE_ATTRIBUTES;
        DWORD error = ERROR_PATH_NOT_FOUND;
        // An unknown folder is not looked for relative to the current drive;
        // one too long for its search pattern is not looked at either.
        if (folder.empty()) {
            error = ERROR_PATH_NOT_FOUND;
        } else if (pattern.size() + 1 > MAX_PATH) {
            error = ERROR_FILENAME_EXCED_RANGE;
        } else {
            attributes = os().GetFileAttributesA(folder.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES) error = os().GetLastError();
        }
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            Trace(TRACE_INFO, "Tool::Collect_FileAttributes %s fail(%lu)\n", folder.c_str(),
                  static_cast<unsigned long>(error));
        } else {
            char header[MAX_PATH + 64];
            std::snprintf(header, sizeof(header), "\r\n attribute of %s: %i \r\n", folder.c_str(),
                          static_cast<int>(attributes));
            report.Write(header);
            std::string text;
            if (GetAttributeText(attributes, text)) report.Write(text);

            WIN32_FIND_DATAA data = {};
            UniqueFind find(os().FindFirstFileA(pattern.c_str(), &data));
            if (find) {
                do {
                    if (!GetAttributeText(data.dwFileAttributes, text)) continue;
                    const void* end = std::memchr(data.cFileName, '\0', sizeof(data.cFileName));
                    std::size_t length = end != nullptr ? static_cast<const char*>(end) - data.cFileName
                                                        : sizeof(data.cFileName);
                    report.Write(std::string(data.cFileName, length) + " " + text);
                    ++listed;
                } while (os().FindNextFileA(find.get(), &data));
            }
        }
        // Checked between folders only: the folder that passes the limit is listed whole.
        if (listed > kListedEntryLimit) break;
    }
    return TRUE;
}
