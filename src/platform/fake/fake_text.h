// Text helpers shared by the fake's area files.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace gx {

// Windows compares names without case; the fake keys its maps this way.
inline std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

inline std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace gx
