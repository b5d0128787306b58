#include "platform/links.h"

#include <cctype>

#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

namespace gx {

namespace {

// The entry's attributes; INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD AttributesOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!os().GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return INVALID_FILE_ATTRIBUTES;
    return data.dwFileAttributes;
}

bool IsLink(DWORD bits) { return bits != INVALID_FILE_ATTRIBUTES && (bits & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace

std::string LinkOnTheWay(const std::string& root, const std::string& path) {
    const std::string base = WithoutTrailingSeparators(root);
    if (base.empty() || !StartsWithNoCase(path, base) ||
        (path.size() > base.size() && path[base.size()] != '\\')) {
        const std::string alone = WithoutTrailingSeparators(path);
        return IsLink(AttributesOf(alone)) ? alone : std::string();
    }
    const DWORD baseBits = AttributesOf(base);
    if (IsLink(baseBits)) return base;
    if (baseBits == INVALID_FILE_ATTRIBUTES) return std::string();
    std::string way = base;
    std::size_t start = base.size();
    while (start < path.size()) {
        while (start < path.size() && path[start] == '\\') ++start;
        if (start >= path.size()) break;
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        way += "\\" + path.substr(start, end - start);
        const DWORD bits = AttributesOf(way);
        if (bits == INVALID_FILE_ATTRIBUTES) break;
        if (IsLink(bits)) return way;
        start = end;
    }
    return std::string();
}

std::string LinkInTree(const std::string& folder) {
    const std::string base = WithoutTrailingSeparators(folder);
    WIN32_FIND_DATAA data = {};
    UniqueFind find(os().FindFirstFileA((base + "\\*.*").c_str(), &data));
    if (!find) return std::string();
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string entry = base + "\\" + name;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return entry;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            std::string inner = LinkInTree(entry);
            if (!inner.empty()) return inner;
        }
    } while (os().FindNextFileA(find.get(), &data));
    return std::string();
}

}  // namespace gx
