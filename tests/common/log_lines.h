// Checks on the lines of a log that show the lines when they fail: the
// result of EXPECT_TRUE (not found) and of EXPECT_FALSE (found) alike.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testlog {

// The lines of a CR LF text, without their ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// `wanted` is one of `lines`.
inline ::testing::AssertionResult HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    bool found = std::find(lines.begin(), lines.end(), wanted) != lines.end();
    ::testing::AssertionResult result = found ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    result << (found ? "found [" : "no line [") << wanted << "] in " << lines.size() << " lines:\n";
    for (const std::string& line : lines) result << "  [" << line << "]\n";
    return result;
}

// Exactly `times` of `lines` start with `prefix`; -1: at least one.
inline ::testing::AssertionResult HasLinesStartingWith(const std::vector<std::string>& lines,
                                                       const std::string& prefix, int times) {
    int found = static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.compare(0, prefix.size(), prefix) == 0;
    }));
    bool ok = times < 0 ? found > 0 : found == times;
    ::testing::AssertionResult result = ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    result << found << " lines start with [" << prefix << "] in " << lines.size() << " lines:\n";
    for (const std::string& line : lines) result << "  [" << line << "]\n";
    return result;
}

}  // namespace testlog
