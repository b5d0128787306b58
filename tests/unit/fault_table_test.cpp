// docs/faults.md: every row of the fault table names at least one test, and
// every test it names exists in the file it gives (and, for the unit suite,
// is registered in this program).
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

// The repository, from this file's own path (tests/unit/...).
std::string Repository() {
    std::string file = __FILE__;
    return file.substr(0, file.rfind("/tests/unit/"));
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Registered(const std::string& suite, const std::string& name) {
    const ::testing::UnitTest& all = *::testing::UnitTest::GetInstance();
    for (int s = 0; s < all.total_test_suite_count(); ++s) {
        const ::testing::TestSuite& each = *all.GetTestSuite(s);
        if (each.name() != suite) continue;
        for (int t = 0; t < each.total_test_count(); ++t)
            if (each.GetTestInfo(t)->name() == name) return true;
    }
    return false;
}

TEST(FaultTable, EveryRowNamesTestsThatExist) {
    const std::string root = Repository();
    const std::string table = Read(root + "/docs/faults.md");
    ASSERT_FALSE(table.empty()) << root;
    const std::regex reference("(unit|wine)/([a-z_]+\\.cpp) ([A-Za-z]+)\\.([A-Za-z0-9_]+)");
    std::istringstream lines(table);
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("| ", 0) != 0 || line.rfind("| Situation ", 0) == 0) continue;
        ++rows;
        int named = 0;
        for (std::sregex_iterator it(line.begin(), line.end(), reference), end; it != end; ++it) {
            const std::smatch& match = *it;
            const std::string source = Read(root + "/tests/" + match[1].str() + "/" + match[2].str());
            const std::string suite = match[3], name = match[4];
            const std::string declared = suite + ", " + name + ")";
            EXPECT_TRUE(source.find("TEST(" + declared) != std::string::npos ||
                        source.find("TEST_F(" + declared) != std::string::npos)
                << match.str();
            if (match[1] == "unit") {
                EXPECT_TRUE(Registered(suite, name)) << match.str();
            }
            ++named;
        }
        EXPECT_GT(named, 0) << line;
    }
    EXPECT_GT(rows, 90);
}

}  // namespace
