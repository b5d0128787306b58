// The installed-software list of the overview: the Uninstall entries of
// HKEY_LOCAL_MACHINE, from both registry views on 64-bit Windows.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "environment/wow64.h"
#include "findings/installed_software.h"
#include "findings/text.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

namespace {

const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstall32[] = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// Values longer than this (terminator included) are shown as over-long.
constexpr DWORD kValueLimit = MAX_PATH;
// A key name is at most 255 characters.
constexpr DWORD kKeyNameLimit = 256;

// Control characters would break the overview's lines.
std::string Printable(const char* data, std::size_t length) {
    std::string text(data, length);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return text;
}

// A text value as the overview shows it; never read past the bytes the
// platform handed back. `present` is false only for a missing value; `plain`
// tells that the result is the value's own text, not a note about it.
std::string ReadText(HKEY key, const char* name, bool* present = nullptr, bool* plain = nullptr) {
    if (plain != nullptr) *plain = false;
    BYTE data[kValueLimit];
    DWORD size = sizeof(data);
    DWORD type = REG_NONE;
    LONG status = os().RegQueryValueExA(key, name, nullptr, &type, data, &size);
    if (present != nullptr) *present = status != static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    if (status == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) return "(missing)";
    if (status == static_cast<LONG>(ERROR_MORE_DATA))
        return "(over-long: " + std::to_string(size) + " bytes)";
    if (status != 0) return "(unreadable: error " + std::to_string(status) + ")";
    if (type != REG_SZ && type != REG_EXPAND_SZ) return "(wrong type " + std::to_string(type) + ")";
    size = std::min<DWORD>(size, sizeof(data));
    const char* text = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(text, '\0', size);
    if (zero == nullptr) return Printable(text, size) + " (no terminator)";
    std::size_t length = static_cast<const char*>(zero) - text;
    if (plain != nullptr) *plain = length > 0;
    return length == 0 ? std::string("(empty)") : Printable(text, length);
}

// Reads one view; false when the platform refuses the view flag.
bool ReadView(REGSAM view, const char* label, InstalledSoftware& software) {
    UniqueRegKey uninstall;
    LONG status = os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_READ | view, uninstall.put());
    if (status != 0) {
        if (view != 0 && status != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) return false;
        software.note += std::string(software.note.empty() ? "" : "; ") + (*label ? label : "the") +
                         " view cannot be opened (error " + std::to_string(status) + ")";
        return true;
    }
    for (DWORD index = 0;; ++index) {
        char name[kKeyNameLimit];
        DWORD length = sizeof(name);
        status = os().RegEnumKeyExA(uninstall.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) break;
        if (status == static_cast<LONG>(ERROR_MORE_DATA)) {
            ++software.unreadable;
            continue;
        }
        if (status != 0) {
            software.note += std::string(software.note.empty() ? "" : "; ") + "the list ends early (error " +
                             std::to_string(status) + ")";
            break;
        }
        name[std::min<DWORD>(length, sizeof(name) - 1)] = '\0';
        UniqueRegKey entry;
        if (os().RegOpenKeyExA(uninstall.get(), name, 0, KEY_READ | view, entry.put()) != 0) {
            ++software.unreadable;
            continue;
        }
        bool hasName = false;
        InstalledEntry item;
        item.name = ReadText(entry.get(), "DisplayName", &hasName);
        if (!hasName) {
            ++software.withoutName;
            continue;
        }
        item.key = Printable(name, std::strlen(name));
        // A 32-bit program's default view of SOFTWARE is Wow6432Node there.
        item.source = std::string("HKLM\\") + (std::strcmp(label, "32-bit") == 0 ? kUninstall32 : kUninstall) + "\\" + item.key;
        item.version = ReadText(entry.get(), "DisplayVersion", nullptr, &item.versioned);
        DWORD hidden = 0, type = REG_NONE, size = sizeof(hidden);
        item.systemComponent = os().RegQueryValueExA(entry.get(), "SystemComponent", nullptr, &type,
                                                     reinterpret_cast<BYTE*>(&hidden), &size) == 0 &&
                               type == REG_DWORD && size == sizeof(hidden) && hidden != 0;
        item.publisher = ReadText(entry.get(), "Publisher");
        item.installDate = ReadText(entry.get(), "InstallDate");
        bool plain = false;
        std::string location = ReadText(entry.get(), "InstallLocation", nullptr, &plain);
        if (plain) item.installLocation = location;
        item.view = label;
        item.family = NamesFamily(item.name) || NamesFamily(item.publisher);
        software.entries.push_back(std::move(item));
    }
    return true;
}

}  // namespace

bool NamesFamily(const std::string& text) {
    const std::string lower = Lower(text);
    return lower.find("halvorn") != std::string::npos || lower.find("corvane") != std::string::npos;
}

InstalledSoftware ReadInstalledSoftware() {
    InstalledSoftware software;
    // A 32-bit program on 64-bit Windows sees two views of SOFTWARE.
    bool bothViews = RunsUnderWow64();
    if (bothViews) {
        InstalledSoftware views;
        if (ReadView(KEY_WOW64_64KEY, "64-bit", views) && ReadView(KEY_WOW64_32KEY, "32-bit", views))
            software = std::move(views);
        else
            bothViews = false;  // the platform refuses the flags: one plain reading
    }
    if (!bothViews) ReadView(0, "", software);
    // Sorted through an index: sorting the entries themselves costs the
    // executable tens of kilobytes.
    std::vector<std::string> keys;
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < software.entries.size(); ++i) {
        keys.push_back((software.entries[i].family ? "0" : "1") + Lower(software.entries[i].name));
        order.push_back(i);
    }
    std::sort(order.begin(), order.end(),
              [&keys](std::size_t a, std::size_t b) { return keys[a] != keys[b] ? keys[a] < keys[b] : a < b; });
    std::vector<InstalledEntry> sorted;
    sorted.reserve(order.size());
    for (std::size_t i : order) sorted.push_back(std::move(software.entries[i]));
    software.entries.swap(sorted);
    return software;
}

}  // namespace findings
