#include "platform/win32/system_crt_format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/crt_format.h"

// The runtime's own bridge from a va_list to msvcrt's sscanf, which on
// Windows XP has no va_list form.
extern "C" int __cdecl __ms_vsscanf(const char* text, const char* format, va_list args);

namespace gx::win32 {

namespace {

// Whole text into a buffer of `capacity`, or -1 when it does not fit.
int Formatted(char* out, std::size_t capacity, const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int written = _vsnprintf(out, capacity, format, copy);
    va_end(copy);
    return written >= 0 && static_cast<std::size_t>(written) < capacity ? written : -1;
}

}  // namespace

int SystemCrtFormat(char* out, std::size_t size, const char* format, va_list args) {
    char local[512];
    char* heap = nullptr;
    const char* systemFormat = local;
    if (!ToSystemCrtFormat(format, local, sizeof(local))) {
        // A conversion at most doubles: "%j" -> "%I64".
        const std::size_t room = 2 * std::strlen(format) + 1;
        heap = static_cast<char*>(std::malloc(room));
        if (heap == nullptr || !ToSystemCrtFormat(format, heap, room)) {
            std::free(heap);
            if (size > 0) out[0] = '\0';
            return -1;
        }
        systemFormat = heap;
    }
    int length = size > 0 ? Formatted(out, size, systemFormat, args) : -1;
    if (length < 0) {
        // Cut, and msvcrt leaves a cut text unterminated: terminate it and
        // measure the whole text elsewhere.
        if (size > 0) out[size - 1] = '\0';
        for (std::size_t capacity = size < 256 ? 256 : 2 * size; length < 0 && capacity <= 0x10000000;
             capacity *= 2) {
            char* whole = static_cast<char*>(std::malloc(capacity));
            if (whole == nullptr) break;
            length = Formatted(whole, capacity, systemFormat, args);
            std::free(whole);
        }
    }
    std::free(heap);
    return length;
}

int SystemCrtScan(const char* text, const char* format, va_list args) {
    char systemFormat[512];
    if (!ToSystemCrtFormat(format, systemFormat, sizeof(systemFormat))) return EOF;
    va_list copy;
    va_copy(copy, args);
    const int stored = __ms_vsscanf(text, systemFormat, copy);
    va_end(copy);
    return stored;
}

}  // namespace gx::win32
