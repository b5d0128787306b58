#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/crt_format.h"

namespace {

std::string Translated(const char* format, std::size_t size = 256) {
    std::string out(size, 'x');
    if (!gx::ToSystemCrtFormat(format, &out[0], size)) return "(does not fit: " + std::string(out.c_str()) + ")";
    EXPECT_LT(std::strlen(out.c_str()), size);
    return out.c_str();
}

const std::string kPointer = sizeof(void*) == 8 ? "I64" : "";

TEST(CrtFormat, SixtyFourBitAndSizeLengthsBecomeTheSystemsOwn) {
    EXPECT_EQ(Translated("%04lld-%02u-%02u %02lld:%02lld"), "%04I64d-%02u-%02u %02I64d:%02I64d");
    EXPECT_EQ(Translated("copied (%llu bytes)"), "copied (%I64u bytes)");
    EXPECT_EQ(Translated("%-12jd|%+.3lli|%#llx"), "%-12I64d|%+.3I64i|%#I64x");
    EXPECT_EQ(Translated("%zu and %*.*td"), "%" + kPointer + "u and %*.*" + kPointer + "d");
    EXPECT_EQ(Translated("100%% of %llu%%llu"), "100%% of %I64u%%llu");
}

TEST(CrtFormat, EverythingElseIsCopied) {
    for (const char* same : {"", "plain text, no conversion", "%s %d %lu %ld %li %lx %hx %c %X %.1f %.2i %%",
                             "%-*s|%10s|%04X|%-40s", "trailing %", "ll j z t outside, %%llu escaped"})
        EXPECT_EQ(Translated(same), same);
}

// msvcrt would read hh as a short and L as a double: a scan would store
// two bytes into a char.
TEST(CrtFormat, LengthsTheSystemReadsDifferentlyAreRefused) {
    EXPECT_EQ(Translated("%hhu"), "(does not fit: )");
    EXPECT_EQ(Translated("%d %Lf"), "(does not fit: )");
    EXPECT_EQ(Translated("%*hhd%d"), "(does not fit: )");
    EXPECT_EQ(Translated("%*d/%hu %[^hhL]"), "%*d/%hu %[^hhL]");
}

TEST(CrtFormat, AResultThatDoesNotFitIsRefusedWhole) {
    // The terminator needs its room too.
    EXPECT_EQ(Translated("%llu", 6), "%I64u");
    EXPECT_EQ(Translated("%llu", 5), "(does not fit: )");
    EXPECT_EQ(Translated("abcd", 4), "(does not fit: )");
    EXPECT_EQ(Translated("abc%5", 6), "abc%5");
    EXPECT_EQ(Translated("abc%5", 5), "(does not fit: )");
    char untouched = 'x';
    EXPECT_FALSE(gx::ToSystemCrtFormat("a", &untouched, 0));
    EXPECT_EQ(untouched, 'x');
}

}  // namespace
