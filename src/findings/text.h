// The findings' text helpers: case, and conversions between the program's
// Windows-1252 texts and the encodings of findings.json (UTF-8) and the
// Restart Manager (UTF-16).
#pragma once

#include <string>

namespace findings {

// ASCII letters in lower case: names, paths and markers compared without
// regard to case, as Windows compares them.
std::string Lower(std::string text);

std::string Cp1252ToUtf8(const std::string& text);
std::u16string Cp1252ToUtf16(const std::string& text);
// Characters Windows-1252 lacks become '?'; stops at a NUL or after `limit`.
std::string Utf16ToCp1252(const char16_t* text, std::size_t limit);
// A JSON string literal, quotes included, of Windows-1252 text.
std::string JsonString(const std::string& text);

}  // namespace findings
