// Rules for the paths the program composes from what it reads (the module
// path, shell folders, registry values).
#pragma once

#include <algorithm>
#include <string>

// A drive path ("C:\...") or a UNC path ("\\host\..."). Anything else would
// be resolved against the current drive or folder.
inline bool IsAbsolutePath(const std::string& path) {
    bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    bool unc = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    return drive || unc;
}

// A ".." component (Windows also drops trailing dots and blanks, so "..."
// and ". ." count as well): a path mirrored below a folder would climb out.
inline bool HasParentStep(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part.find_first_not_of(". ") == std::string::npos && std::count(part.begin(), part.end(), '.') >= 2)
            return true;
        start = end + 1;
    }
    return false;
}
