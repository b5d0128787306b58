// The product's formatter and scanner: msvcrt's own, giving C99's results.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "platform/win32/system_crt_format.h"

namespace {

struct Result {
    int returned;
    std::string text;
};

Result Format(std::size_t size, const char* format, ...) {
    std::string out(size + 1, '#');  // one byte past `size` catches a write beyond it
    va_list args;
    va_start(args, format);
    const int returned = gx::win32::SystemCrtFormat(&out[0], size, format, args);
    va_end(args);
    EXPECT_EQ(out[size], '#') << "written past " << size;
    return {returned, size > 0 ? std::string(out.c_str()) : std::string()};
}

TEST(SystemCrtFormat, WritesTheConversionsTheProgramUses) {
    Result r = Format(128, "%04lld-%02u %llu|%lu|%ld|%-5s|%5s|%.1f GB|%.2i|%04X|%hx|%c|%-*s|%%", 2026LL, 7u,
                      1099511627776ULL, 4294967295UL, -5L, "ab", "cd", 1.25 * 1024, 7, 0xBEEFu, 0x12345, 'q', 3, "x");
    EXPECT_EQ(r.text, "2026-07 1099511627776|4294967295|-5|ab   |   cd|1280.0 GB|07|BEEF|2345|q|x  |%");
    EXPECT_EQ(r.returned, static_cast<int>(r.text.size()));
}

TEST(SystemCrtFormat, ACutTextIsTerminatedAndTheWholeLengthReturned) {
    EXPECT_EQ(Format(6, "%s", "abcdef").returned, 6);
    EXPECT_EQ(Format(6, "%s", "abcdef").text, "abcde");
    EXPECT_EQ(Format(7, "%s", "abcdef").text, "abcdef");  // just fits
    EXPECT_EQ(Format(1, "%llu", 123456789012ULL).text, "");
    EXPECT_EQ(Format(1, "%llu", 123456789012ULL).returned, 12);
    EXPECT_EQ(Format(0, "%d", 12345).returned, 5);
    // Longer than any buffer of the measure's first round.
    const std::string long_text(5000, 'z');
    Result r = Format(10, "<%s>", long_text.c_str());
    EXPECT_EQ(r.returned, 5002);
    EXPECT_EQ(r.text, "<zzzzzzzz");
}

TEST(SystemCrtFormat, AFormatLongerThanItsLocalCopyIsTranslatedToo) {
    std::string format(600, '.');
    format += "%llu";
    Result r = Format(700, format.c_str(), 18446744073709551615ULL);
    EXPECT_EQ(r.text, std::string(600, '.') + "18446744073709551615");
    EXPECT_EQ(r.returned, 620);
}

int Scan(const char* text, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int stored = gx::win32::SystemCrtScan(text, format, args);
    va_end(args);
    return stored;
}

TEST(SystemCrtScan, ReadsTheFieldsTheProgramAsksFor) {
    int year = -1;
    unsigned month = 99, day = 99;
    char tail = '#';
    // The date of a device-setup log section.
    EXPECT_EQ(Scan("2026/12/08 10:00:05", "%4d/%2u/%2u%c", &year, &month, &day, &tail), 4);
    EXPECT_EQ(year, 2026);
    EXPECT_EQ(month, 12u);
    EXPECT_EQ(day, 8u);
    EXPECT_EQ(tail, ' ');
    EXPECT_EQ(Scan("2026/1", "%4d/%2u/%2u%c", &year, &month, &day, &tail), 2);
    EXPECT_EQ(month, 1u);
    EXPECT_EQ(Scan("", "%4d", &year), EOF);
    unsigned long long big = 0;
    EXPECT_EQ(Scan("18446744073709551615", "%llu", &big), 1);
    EXPECT_EQ(big, 18446744073709551615ULL);
}

TEST(SystemCrtScan, ALengthThatWouldStorePastItsFieldIsRefused) {
    unsigned char fields[2] = {0x11, 0x22};
    EXPECT_EQ(Scan("300", "%hhu", &fields[0]), EOF);
    EXPECT_EQ(fields[0], 0x11);
    EXPECT_EQ(fields[1], 0x22);
}

}  // namespace
