// Formatting and scanning with the system's msvcrt, C99 in what it returns.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace gx::win32 {

// vsnprintf's contract through msvcrt's _vsnprintf, the format translated
// for Windows XP's msvcrt (ToSystemCrtFormat): `out` always terminated when
// `size` > 0, and the length of the whole text returned even when it was
// cut; -1 only when memory for the translation or the measure is lacking.
int SystemCrtFormat(char* out, std::size_t size, const char* format, va_list args);

// vsscanf through msvcrt's sscanf, the format translated likewise: the
// number of fields stored, or EOF (-1) for a format it refuses (hh, L, or
// longer than 512 characters translated) as for input that ends first.
int SystemCrtScan(const char* text, const char* format, va_list args);

}  // namespace gx::win32
