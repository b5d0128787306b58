// A fake Windows installed for one test, with the trace log reset around it.
// A failure the test injected and never saw fire fails the test, as does a
// handle left open; a failed test prints the fake's state.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "../common/log_lines.h"
#include "platform/fake/fake_platform.h"
#include "trace/trace.h"

class FakeTest : public ::testing::Test {
protected:
    FakeTest() : scope_(fake) {}
    ~FakeTest() override {
        // Ends the simulated run while this fake is still installed.
        TraceShutdown();
        ExpectFaultsFired();
        std::string open = fake.OpenHandles();
        EXPECT_TRUE(open.empty()) << "left open:\n" << open;
        if (HasFailure()) std::cout << fake.DescribeState();
    }

    // Every injected failure happened; then forgets them (for tables of cases).
    void ExpectFaultsFired() {
        std::string unfired = fake.UnfiredFaults();
        EXPECT_TRUE(unfired.empty()) << unfired;
        fake.ClearFaults();
    }

    // The trace log's lines without their time stamps, "\r\n" removed.
    std::vector<std::string> LogMessages(const std::string& log = "C:\\Tools\\CollectInfo\\gathrix.log") {
        std::vector<std::string> messages;
        std::string text = fake.files().ReadFile(log);
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            std::size_t tab = line.find('\t');
            messages.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
            start = end + 2;
        }
        return messages;
    }

    gx::FakePlatform fake;

private:
    gx::ScopedPlatform scope_;
};
