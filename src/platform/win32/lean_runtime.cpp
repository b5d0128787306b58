// What gathrix.exe takes of the static runtime, product only: two pieces
// of it that a few calls would pull in whole are replaced here.
#include <cstdarg>
#include <cstdio>
#include <new>
#include <string>

#include "platform/win32/system_crt_format.h"

#if defined(__MINGW32__)

// The C99 formatter of the static runtime, with its own floating-point
// conversion, gives way to the system's msvcrt (SystemCrtFormat).
extern "C" int __mingw_vsnprintf(char* out, std::size_t size, const char* format, va_list args) {
    return gx::win32::SystemCrtFormat(out, size, format, args);
}

// Likewise the C99 scanner with its number parsers (40 KB for one date).
extern "C" int __mingw_vsscanf(const char* text, const char* format, va_list args) {
    return gx::win32::SystemCrtScan(text, format, args);
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
