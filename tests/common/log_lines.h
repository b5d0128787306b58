// Checks on the lines of a log that show the lines when they fail: the
// result of EXPECT_TRUE (not found) and of EXPECT_FALSE (found) alike.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testlog {

// `wanted` is one of `lines`.
inline ::testing::AssertionResult HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    bool found = std::find(lines.begin(), lines.end(), wanted) != lines.end();
    ::testing::AssertionResult result = found ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    result << (found ? "found [" : "no line [") << wanted << "] in " << lines.size() << " lines:\n";
    for (const std::string& line : lines) result << "  [" << line << "]\n";
    return result;
}

}  // namespace testlog
