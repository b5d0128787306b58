#include "platform/crt_format.h"

#include <cstring>

namespace gx {

namespace {

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ToSystemCrtFormat(const char* format, char* out, std::size_t size) {
    if (size == 0) return false;
    const char* pointerLength = sizeof(void*) == 8 ? "I64" : "";
    std::size_t used = 0;
    bool ok = true;  // fits so far, and nothing refused
    auto put = [&](const char* text, std::size_t length) {
        ok = size - used > length;  // room for the terminator too
        if (!ok) return false;
        std::memcpy(out + used, text, length);
        used += length;
        return true;
    };
    const char* at = format;
    while (*at != '\0') {
        if (*at != '%') {
            if (!put(at++, 1)) break;
            continue;
        }
        // The conversion up to its length: flags, width, precision.
        const char* start = at++;
        if (*at == '%') {
            if (!put(start, 2)) break;
            ++at;
            continue;
        }
        while (IsFlag(*at) || *at == '*') ++at;  // '*' also: a scan's "no store"
        while (IsDigit(*at) || *at == '*') ++at;
        if (*at == '.') {
            ++at;
            while (IsDigit(*at) || *at == '*') ++at;
        }
        if (!put(start, static_cast<std::size_t>(at - start))) break;
        const char* length = nullptr;
        if ((at[0] == 'h' && at[1] == 'h') || at[0] == 'L') {
            ok = false;
            break;
        }
        if (at[0] == 'l' && at[1] == 'l') {
            length = "I64";
            at += 2;
        } else if (*at == 'j') {
            length = "I64";
            ++at;
        } else if (*at == 'z' || *at == 't') {
            length = pointerLength;
            ++at;
        }
        if (length != nullptr && !put(length, std::strlen(length))) break;
    }
    if (!ok) {
        out[0] = '\0';
        return false;
    }
    out[used] = '\0';
    return true;
}

}  // namespace gx
