// The findings' text and calendar helpers: case, evidence lines, times and
// ages, and conversions between the program's Windows-1252 texts and the
// encodings of findings.json (UTF-8) and the Restart Manager (UTF-16).
#pragma once

#include <string>

#include "platform/types.h"

namespace findings {

// An evidence text: control characters blanked, cut to a length a one-line
// overview can hold.
std::string EvidenceText(const std::string& line);
bool EndsWithNoCase(const std::string& text, const char* end);

// "2026-12-01 09:05:03" from seconds since 1970; empty before 1970.
std::string CivilTimeText(long long secondsSince1970);
// "2026-12-01 09:05:03 UTC"
std::string UtcText(gx::DWORD secondsSince1970);
// How long before `now`: "3 days ago", "5 hours ago", "minutes ago".
std::string AgeText(gx::DWORD then, gx::DWORD now);
// Seconds since 1970 of a file time; 0 before 1970.
gx::DWORD SecondsOf(const gx::FILETIME& time);

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
