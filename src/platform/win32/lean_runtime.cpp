// What gathrix.exe takes of the static runtime, product only: two pieces
// of it that a few calls would pull in whole are replaced here.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/crt_format.h"

#if defined(__MINGW32__)

// The C99 formatter of the static runtime (with its own floating-point
// conversion) gives way to the system's msvcrt, reached with the format
// translated for Windows XP's version of it; the result follows C99:
// always terminated, and the full length returned even when cut.
extern "C" int __mingw_vsnprintf(char* out, std::size_t size, const char* format, va_list args) {
    char local[512];
    char* heap = nullptr;
    const char* systemFormat = local;
    if (!gx::ToSystemCrtFormat(format, local, sizeof(local))) {
        // Each conversion grows by at most a half ("%ll" -> "%I64"), "%j" doubles.
        const std::size_t room = 2 * std::strlen(format) + 1;
        heap = static_cast<char*>(std::malloc(room));
        if (heap == nullptr || !gx::ToSystemCrtFormat(format, heap, room)) {
            std::free(heap);
            if (size > 0) out[0] = '\0';
            return -1;
        }
        systemFormat = heap;
    }
    va_list copy;
    va_copy(copy, args);
    int length = size > 0 ? _vsnprintf(out, size, systemFormat, copy) : -1;
    va_end(copy);
    if (length < 0 || static_cast<std::size_t>(length) >= size) {
        // Cut (msvcrt then leaves no terminator): measure the whole text.
        if (size > 0) out[size - 1] = '\0';
        length = -1;
        for (std::size_t capacity = size < 256 ? 256 : 2 * size; capacity <= 0x10000000; capacity *= 2) {
            char* whole = static_cast<char*>(std::malloc(capacity));
            if (whole == nullptr) break;
            va_copy(copy, args);
            const int written = _vsnprintf(whole, capacity, systemFormat, copy);
            va_end(copy);
            std::free(whole);
            if (written >= 0 && static_cast<std::size_t>(written) < capacity) {
                length = written;
                break;
            }
        }
    }
    std::free(heap);
    return length;
}

#endif

#if defined(__GLIBCXX__)

// The standard library's checks (a string position past the end, a length
// beyond the maximum, a string from a null pointer) throw its logic_error
// family, whose copy-on-write message string brings a second complete
// string implementation, a tenth of the exe. Here they throw an error of
// their own with the same message; the program catches std::exception.
namespace {

class LibraryError : public std::exception {
public:
    explicit LibraryError(const char* text) { std::snprintf(text_, sizeof(text_), "%s", text); }
    LibraryError(const char* format, va_list args) { std::vsnprintf(text_, sizeof(text_), format, args); }
    const char* what() const noexcept override { return text_; }

private:
    char text_[256];
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* text) { throw LibraryError(text); }
void __throw_logic_error(const char* text) { throw LibraryError(text); }

void __throw_out_of_range_fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    LibraryError error(format, args);
    va_end(args);
    throw error;
}

}  // namespace std

#endif
