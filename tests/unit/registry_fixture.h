// A fake machine with the five exported branches, and helpers the registry
// tests share.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "environment/action.h"
#include "fake_fixture.h"
#include "registry/hive_table.h"

class RegistryTest : public FakeTest {
protected:
    static constexpr const char* kFolder = "C:\\Tools\\CollectInfo\\Registry_Save\\";

    RegistryTest() {
        fake.files().MakeDirectory("C:\\Tools\\CollectInfo");
        for (const RegistryHive& hive : HiveTable) SeedBranch(hive.szSubKey);
    }

    // A small tree below `branch`: values on two levels, a binary value.
    void SeedBranch(const std::string& branch) {
        std::string base = branch;
        if (!base.empty() && base.back() == '\\') base.pop_back();
        fake.registry().SetString(base, "Name", base);
        fake.registry().SetString(base + "\\Child", "Path", "C:\\Program Files\\x");
        fake.registry().SetValue(base + "\\Child\\Leaf", "Blob", gx::REG_BINARY, std::string("\x00\x01\xFF", 3));
        fake.registry().MakeKey(base + "\\Empty");
    }

    // Removes a key with its subtree, as if the machine never had it.
    void RemoveKey(const std::string& parentPath, const std::string& lowerName) {
        ASSERT_NE(fake.registry().FindKey(parentPath + "\\" + lowerName), nullptr);
        fake.registry().RemoveKey(parentPath + "\\" + lowerName);
    }

    // The log from the first line equal to `first` on (what one operation wrote
    // after the construction of its CAction).
    std::vector<std::string> LogFrom(const std::string& first) {
        std::vector<std::string> lines = LogMessages();
        auto start = std::find(lines.begin(), lines.end(), first);
        return std::vector<std::string>(start, lines.end());
    }

    static std::string File(const RegistryHive& hive) { return std::string(kFolder) + hive.szSaveFile; }

    ::testing::AssertionResult Logged(const std::string& line) { return testlog::HasLine(LogMessages(), line); }

    ::testing::AssertionResult LoggedStartingWith(const std::string& prefix, int times) {
        return testlog::HasLinesStartingWith(LogMessages(), prefix, times);
    }

    // Arguments of every call of `name`, the first of each.
    std::vector<std::string> FirstArgs(gx::FakeOp name) {
        std::vector<std::string> args;
        for (const gx::FakeCall& call : fake.CallsOf(name)) args.push_back(call.args.empty() ? "" : call.args[0]);
        return args;
    }
};
