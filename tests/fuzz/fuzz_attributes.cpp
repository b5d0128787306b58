// Fuzzes the attribute report: GetAttributeText with any attribute value,
// and Collect_FileAttributes over folders whose attributes and entries come
// from the input: any names (also 260 bytes without a terminator, as a
// broken file system driver may hand them over), any attribute bits, any
// number of entries around the limit of 200.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "environment/action.h"
#include "fuzz_support.h"

namespace {

// Folders and their entries as the input describes them; the rest of the
// fake stays as it is (the report file is really written).
class ScriptedFolders : public gx::FakePlatform {
public:
    std::vector<gx::DWORD> folderAttributes;
    std::vector<std::vector<gx::WIN32_FIND_DATAA>> folderEntries;
    std::size_t attributesAsked = 0;

    gx::DWORD GetFileAttributesA(const char* path) override {
        Log(gx::FakeOp::GetFileAttributesA, {path});
        gx::DWORD value = attributesAsked < folderAttributes.size() ? folderAttributes[attributesAsked]
                                                                    : gx::INVALID_FILE_ATTRIBUTES;
        ++attributesAsked;
        if (value == gx::INVALID_FILE_ATTRIBUTES) SetLastError(gx::ERROR_PATH_NOT_FOUND);
        return value;
    }
    gx::HANDLE FindFirstFileA(const char* pattern, gx::WIN32_FIND_DATAA* data) override {
        Log(gx::FakeOp::FindFirstFileA, {pattern});
        // The folder whose attributes were asked last.
        std::size_t folder = attributesAsked - 1;
        if (folder >= folderEntries.size() || folderEntries[folder].empty()) {
            SetLastError(gx::ERROR_FILE_NOT_FOUND);
            return gx::INVALID_HANDLE_VALUE;
        }
        current_ = folder;
        next_ = 1;
        open_ = true;
        *data = folderEntries[folder][0];
        return this;
    }
    gx::BOOL FindNextFileA(gx::HANDLE find, gx::WIN32_FIND_DATAA* data) override {
        fuzz::Check(find == this && open_, "FindNextFileA on a handle not open");
        if (next_ >= folderEntries[current_].size()) {
            SetLastError(gx::ERROR_NO_MORE_FILES);
            return FALSE;
        }
        *data = folderEntries[current_][next_++];
        return TRUE;
    }
    gx::BOOL FindClose(gx::HANDLE find) override {
        fuzz::Check(find == this && open_, "FindClose on a handle not open");
        open_ = false;
        return TRUE;
    }
    bool open() const { return open_; }

private:
    std::size_t current_ = 0;
    std::size_t next_ = 0;
    bool open_ = false;
};

ScriptedFolders& Platform() {
    static ScriptedFolders& fake = [] () -> ScriptedFolders& {
        ScriptedFolders& made = fuzz::Install<ScriptedFolders>();
        made.Fail(gx::FakeOp::AppendText, gx::ERROR_DISK_FULL).MayNotFire();
        made.files().MakeDirectory("C:\\Tools\\CollectInfo");
        return made;
    }();
    return fake;
}

constexpr gx::DWORD kReported = gx::FILE_ATTRIBUTE_READONLY | gx::FILE_ATTRIBUTE_COMPRESSED | gx::FILE_ATTRIBUTE_ENCRYPTED;

std::string ExpectedText(gx::DWORD value) {
    std::string text = "Attribute:";
    if (value & gx::FILE_ATTRIBUTE_READONLY) text += "readonly ";
    if (value & gx::FILE_ATTRIBUTE_COMPRESSED) text += "compressed ";
    if (value & gx::FILE_ATTRIBUTE_ENCRYPTED) text += "encrypted ";
    return text + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScriptedFolders& fake = Platform();
    static CAction* action = [] {
        auto* made = new CAction();
        made->m_szWindowsPath = "C:\\WINDOWS";
        made->m_szProgramFiles = "C:\\Program Files";
        made->m_szProgramFiles_Common = "C:\\Program Files\\Common Files";
        return made;
    }();
    fuzz::NextInput(fake);
    fuzz::Reader in(data, size);

    // The attribute text of any value.
    gx::DWORD value = in.Word();
    std::string text = "left over";
    gx::BOOL any = action->GetAttributeText(value, text);
    fuzz::Check(any == ((value & kReported) != 0 ? TRUE : FALSE), "GetAttributeText result");
    fuzz::Check(text == ExpectedText(value), "attribute text", text);

    // Four folders with entries from the input.
    fake.folderAttributes.clear();
    fake.folderEntries.clear();
    fake.attributesAsked = 0;
    std::size_t flagged = 0;
    std::vector<std::size_t> flaggedPerFolder;
    for (int folder = 0; folder < 4; ++folder) {
        std::uint8_t shape = in.Byte();
        fake.folderAttributes.push_back((shape & 0x80) != 0 ? gx::INVALID_FILE_ATTRIBUTES : in.Word());
        std::vector<gx::WIN32_FIND_DATAA> entries;
        // Up to 255 entries; many of them copies, so the limit of 200 is reached cheaply.
        std::size_t count = (shape & 0x40) != 0 ? in.Byte() : shape & 0x0F;
        gx::WIN32_FIND_DATAA entry = {};
        std::size_t perFolder = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (i < 8 || in.Byte() % 4 == 0) {
                entry = {};
                entry.dwFileAttributes = in.Word();
                std::string name = in.Text(sizeof(entry.cFileName));
                if (name.size() == sizeof(entry.cFileName))
                    std::memcpy(entry.cFileName, name.data(), sizeof(entry.cFileName));  // no terminator
                else
                    std::memcpy(entry.cFileName, name.c_str(), name.size() + 1);
            }
            entries.push_back(entry);
            if ((entry.dwFileAttributes & kReported) != 0) ++perFolder;
        }
        flaggedPerFolder.push_back(fake.folderAttributes.back() == gx::INVALID_FILE_ATTRIBUTES ? 0 : perFolder);
        fake.folderEntries.push_back(entries);
    }
    action->m_iWinOS = (in.Byte() & 1) != 0 ? 4 : 6;
    fuzz::Check(action->Collect_FileAttributes() == TRUE, "Collect_FileAttributes result");
    fuzz::Check(!fake.open() && fake.files().OpenFiles() == 0, "a search or the report left open");
    fuzz::CheckPathLimit(fake, "report");
    if (action->m_iWinOS == 4) return 0;

    // The folders asked about: up to the one after which more than 200 were listed.
    std::size_t asked = 0;
    for (std::size_t folder = 0; folder < 4; ++folder) {
        ++asked;
        flagged += flaggedPerFolder[folder];
        if (flagged > 200) break;
    }
    fuzz::Check(fake.attributesAsked == asked, "folders asked about", std::to_string(fake.attributesAsked));

    // The report, entry by entry.
    const char* folders[] = {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\drivers", "C:\\Program Files",
                             "C:\\Program Files\\Common Files"};
    std::string expected;
    for (std::size_t folder = 0; folder < asked; ++folder) {
        gx::DWORD attributes = fake.folderAttributes[folder];
        if (attributes == gx::INVALID_FILE_ATTRIBUTES) continue;
        expected += "\r\n attribute of " + std::string(folders[folder]) + ": " +
                    std::to_string(static_cast<int>(attributes)) + " \r\n";
        if ((attributes & kReported) != 0) expected += ExpectedText(attributes);
        for (const gx::WIN32_FIND_DATAA& entry : fake.folderEntries[folder]) {
            if ((entry.dwFileAttributes & kReported) == 0) continue;
            const void* end = std::memchr(entry.cFileName, '\0', sizeof(entry.cFileName));
            std::size_t length = end != nullptr ? static_cast<const char*>(end) - entry.cFileName : sizeof(entry.cFileName);
            expected += std::string(entry.cFileName, length) + " " + ExpectedText(entry.dwFileAttributes);
        }
    }
    const std::string report = fake.files().ReadFile("C:\\Tools\\CollectInfo\\fileattr.txt");
    fuzz::Check(report == expected, "report", expected + "| written: " + report);
    return 0;
}
