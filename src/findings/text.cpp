#include "findings/text.h"

#include <cstdint>
#include <cstdio>

#include "platform/calendar.h"

namespace findings {

namespace {

// An evidence line longer than this is cut: the overview holds one line each.
constexpr std::size_t kEvidenceLength = 240;

// 0x80 to 0x9F; 0 where Windows-1252 has no character.
const char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char16_t Wide(unsigned char c) {
    if (c < 0x80 || c >= 0xA0) return c;
    return kHigh[c - 0x80] != 0 ? kHigh[c - 0x80] : 0xFFFD;
}

}  // namespace

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::u16string Cp1252ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += Wide(static_cast<unsigned char>(c));
    return out;
}

std::string Cp1252ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const char16_t w = Wide(static_cast<unsigned char>(c));
        if (w < 0x80) {
            out += static_cast<char>(w);
        } else if (w < 0x800) {
            out += static_cast<char>(0xC0 | (w >> 6));
            out += static_cast<char>(0x80 | (w & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (w >> 12));
            out += static_cast<char>(0x80 | ((w >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (w & 0x3F));
        }
    }
    return out;
}

std::string Utf16ToCp1252(const char16_t* text, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < limit && text[i] != 0; ++i) {
        const char16_t w = text[i];
        char c = '?';
        if (w < 0x80 || (w >= 0xA0 && w < 0x100)) {
            c = static_cast<char>(w);
        } else {
            for (int k = 0; k < 32; ++k)
                if (kHigh[k] == w) c = static_cast<char>(0x80 + k);
        }
        out += c;
    }
    return out;
}

std::string EvidenceText(const std::string& line) {
    std::string text = line.substr(0, kEvidenceLength);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (line.size() > kEvidenceLength) text += "...";
    return text;
}

bool EndsWithNoCase(const std::string& text, const char* end) {
    const std::string tail = Lower(end);
    return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == tail;
}

std::string CivilTimeText(long long secondsSince1970) {
    if (secondsSince1970 < 0) return std::string();
    const long long rest = secondsSince1970 % 86400;
    const gx::CivilDate date = gx::CivilFromDays(secondsSince1970 / 86400);
    char text[48];
    std::snprintf(text, sizeof(text), "%04lld-%02u-%02u %02lld:%02lld:%02lld", date.year, date.month, date.day,
                  rest / 3600, rest / 60 % 60, rest % 60);
    return text;
}

std::string UtcText(gx::DWORD secondsSince1970) {
    return CivilTimeText(static_cast<long long>(secondsSince1970)) + " UTC";
}

std::string AgeText(gx::DWORD then, gx::DWORD now) {
    const gx::DWORD age = now > then ? now - then : 0;
    if (age < 3600) return "minutes ago";
    if (age < 48 * 3600) return std::to_string(age / 3600) + (age < 2 * 3600 ? " hour ago" : " hours ago");
    return std::to_string(age / 86400) + " days ago";
}

gx::DWORD SecondsOf(const gx::FILETIME& time) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const std::uint64_t seconds = ticks / 10000000ull;
    return seconds > 11644473600ull ? static_cast<gx::DWORD>(seconds - 11644473600ull) : 0;
}


std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : Cp1252ToUtf8(text)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

}  // namespace findings
