// The product formats with the system's C runtime (msvcrt.dll) instead of
// the static C99 one, which would be a twentieth of the exe. Windows XP's
// msvcrt knows the C99 conversions the program uses except the 64-bit and
// size lengths: "%llu" must reach it as "%I64u".
#pragma once

#include <cstddef>

namespace gx {

// `format` (for printing or scanning) with ll and j written as I64, and z
// and t as the width of a pointer (nothing on 32-bit Windows, I64 on
// 64-bit); every other byte is copied. False, with `out` empty, when the
// result does not fit `size`, or for hh and L, which msvcrt would take for
// a short and a double: a scan would store past a char. Not carried over
// either: %e and %g print three exponent digits there. The program uses
// none of them.
bool ToSystemCrtFormat(const char* format, char* out, std::size_t size);

}  // namespace gx
