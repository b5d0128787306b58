// The hand-off to support after a complete run: the overview and the archive.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/gathrix_dlg.h"
#include "dialog_fixture.h"
#include "files/file_table.h"
#include "handoff/handoff.h"
#include "registry/hive_table.h"
#include "resource.h"

namespace {

constexpr int kQuestionnaire = IDD_USERINFO_DIALOG;
const std::string kOutput = "C:\\Tools\\CollectInfo\\";
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kEnglishFinal[] =
    "The program terminated successfully. The information has been stored in: C:\\Tools\\CollectInfo";
// The fake's clock and computer: the run's archive name.
const char kArchive[] = "gathrix_GX-TEST_20261207_090503.cab";

// The files of an uncompressed cabinet (what the fake's library writes), by name.
std::map<std::string, std::string> Unpack(const std::string& cab) {
    auto u16 = [&](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(cab.at(at)) |
                                                                  static_cast<unsigned char>(cab.at(at + 1)) << 8); };
    auto u32 = [&](std::size_t at) { return u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16; };
    std::map<std::string, std::string> files;
    if (cab.compare(0, 4, "MSCF") != 0 || u16(36 + 6) != 0) return files;
    std::string data;
    for (std::size_t at = u32(36), n = u16(36 + 4); n > 0; --n) {
        data += cab.substr(at + 8, u16(at + 4));
        at += 8 + u16(at + 4);
    }
    for (std::size_t at = u32(16), n = u16(28); n > 0; --n) {
        std::string name = cab.c_str() + at + 16;
        files[name] = data.substr(u32(at + 4), u32(at));
        at += 16 + name.size() + 1;
    }
    return files;
}

// Selects calls whose first argument (the file, as the call log has it) ends in `end`.
gx::FakeFault::Condition PathEnds(const std::string& end) {
    return [end](const std::vector<std::string>& args) {
        return !args.empty() && args[0].size() >= end.size() &&
               args[0].compare(args[0].size() - end.size(), end.size(), end) == 0;
    };
}

class HandoffTest : public DialogTest {
protected:
    HandoffTest() : savedTable_(std::begin(FileTable), std::end(FileTable)) {
        fake.process().SetComputerName("GX-TEST");
        fake.registry().SetString("SOFTWARE\\HALVORN\\AUTSW\\Global", "SharedPath", "C:\\Program Files\\Halvorn\\Shared");
        fake.registry().SetString("SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software", "Path",
                       "C:\\Program Files\\Halvorn\\CORVANE NET PC");
        for (const RegistryHive& hive : HiveTable) fake.registry().MakeKey(hive.szSubKey);
        fake.files().WriteFile("C:\\WINDOWS\\setupapi.log", "device setup");
    }
    ~HandoffTest() override { std::copy(savedTable_.begin(), savedTable_.end(), FileTable); }

    void AddProgram(const std::string& key, const std::string& name, const std::string& publisher,
                    const std::string& version = "1.0", const std::string& date = "20261102") {
        fake.registry().SetString(kUninstall + key, "DisplayName", name);
        fake.registry().SetString(kUninstall + key, "DisplayVersion", version);
        fake.registry().SetString(kUninstall + key, "Publisher", publisher);
        fake.registry().SetString(kUninstall + key, "InstallDate", date);
    }

    // A whole collection: Start, the questionnaire's OK, the final box.
    void RunCollection(gx::FakeScript duringQuestionnaire = {}) {
        fake.ui().User().Click(gx::IDOK);
        if (duringQuestionnaire) fake.ui().User().Check(std::move(duringQuestionnaire)).In(kQuestionnaire);
        fake.ui().User().Type(IDC_PRODUCT, "CORVANE NET PC 7").In(kQuestionnaire);
        fake.ui().User().Type(IDC_PROBLEM, "The service does not start after the update.\r\nError 1920 in the setup log.")
            .In(kQuestionnaire);
        fake.ui().User().Click(gx::IDOK).In(kQuestionnaire).Answer(gx::IDOK);
        EXPECT_EQ(RunAsMainWindow<CGathrixDlg>(), gx::IDOK);
        ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
        EXPECT_EQ(fake.ui().MessageBoxes()[0].text, kEnglishFinal);
    }

    // Names directly in the output folder, by host listing.
    std::vector<std::string> OutputNames() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(fake.files().HostPath(kOutput)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string Row(int row, const std::string& file, const std::string& outcome, const std::string& bytes) {
        char line[160];
        std::snprintf(line, sizeof(line), "  %4d  %-40s %-28s %10s", row, file.c_str(), outcome.c_str(), bytes.c_str());
        std::string text = line;
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }

private:
    std::vector<CollectedFile> savedTable_;
};

TEST_F(HandoffTest, ACompleteRunLeavesTheOverviewAndOneArchiveWithTheWholeFolder) {
    AddProgram("{A1}", "Corvane NET PC Software 7", "Halvorn Automation", "7.0.1");
    AddProgram("Zeta", "Zeta Viewer", "Zeta Inc.");
    AddProgram("Alpha", "alpha tools", "Alpha Ltd.");
    AddProgram("HvDrv", "Fieldbus Driver", "HALVORN AG", "2.3");
    fake.registry().MakeKey(kUninstall + "KB123456");  // no display name
    fake.files().WriteFile("C:\\Program Files\\Halvorn\\CORVANE NET PC\\bin\\CorNetPC_Error.txt", "error text");
    fake.files().LockFile("C:\\WINDOWS\\CorNetPC_LOG.txt");
    fake.process().AddFileHolder("C:\\WINDOWS\\CorNetPC_LOG.txt", 4711, u"Corvane Runtime");
    fake.files().WriteFile("C:\\WINDOWS\\CorNetPC_LOG.txt", "locked");
    fake.eventLog().RemoveLog("Security");
    fake.files().WriteFile(kOutput + "gathrix_OLD-PC_20200101_000000.cab", "an earlier archive");
    RunCollection();

    const std::string summary = fake.files().ReadFile(kOutput + "summary.txt");
    const std::vector<std::string> lines = testlog::Lines(summary);
    for (const std::string& line : lines) EXPECT_LE(line.size(), 100u) << line;
    EXPECT_EQ(summary.substr(summary.size() - 2), "\r\n");
    EXPECT_EQ(summary.find('\n'), summary.find("\r\n") + 1);
    EXPECT_TRUE(testlog::HasLine(lines, "Computer                    GX-TEST"));
    EXPECT_TRUE(testlog::HasLine(lines, "gathrix                     V 2.1.0003.3402-REL"));
    EXPECT_TRUE(testlog::HasLine(lines, "Run                         2026-12-07 09:05:03 local time (overview written "
                               "2026-12-07 09:05:03)"));
    EXPECT_TRUE(testlog::HasLine(lines, "System                      Windows XP Professional (code 6)"));
    const auto version = std::find_if(lines.begin(), lines.end(),
                                      [](const std::string& line) { return line.rfind("Version ", 0) == 0; });
    ASSERT_NE(version, lines.end());
    EXPECT_TRUE(*version == "Version                     5.1, build 0, platform 2" ||
                *version == "Version                     5.1, build 2600, platform 2")
        << *version;
    EXPECT_TRUE(testlog::HasLine(lines, "Edition                     workstation (type 1), suites 0x0100: single-user "
                               "Terminal Services"));
    EXPECT_TRUE(testlog::HasLine(lines, "Product installation path   C:\\Program Files\\Halvorn\\CORVANE NET PC"));

    // The family first (by name), then the rest by name.
    auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
    const std::vector<std::string> order = {"Product family (Halvorn, Corvane):",
                                            "  Corvane NET PC Software 7  [key {A1}]", "  Fieldbus Driver  [key HvDrv]",
                                            "Other software:",
                                            "  alpha tools  [key Alpha]", "  Zeta Viewer  [key Zeta]"};
    for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_LT(at(order[i]), static_cast<long>(lines.size())) << order[i];
        if (i > 0) {
            EXPECT_EQ(at(order[i]), at(order[i - 1]) + (i == 1 || i == 4 ? 1 : 2)) << order[i];
        }
    }
    EXPECT_TRUE(testlog::HasLine(lines, "      version 7.0.1 | publisher Halvorn Automation | installed 20261102"));
    EXPECT_TRUE(testlog::HasLine(lines, "4 entries listed, 1 without a display name, 0 unreadable"));

    // The findings open the overview, right after its heading block; the
    // file held open elsewhere is one, also in findings.json and the trace.
    ASSERT_LT(at("Findings"), at("Windows"));
    EXPECT_EQ(lines[at("Findings") - 2], "                            Error 1920 in the setup log.");
    EXPECT_TRUE(testlog::HasLine(lines, "WARNING: 1 file(s) could not be copied because another program holds them "
                               "[locked-files]"));
    EXPECT_NE(summary.find("\r\n    file table row 2: C:\\WINDOWS\\CorNetPC_LOG.txt: held by Corvane Runtime (process "
                           "4711)"),
              std::string::npos);
    const std::string json = fake.files().ReadFile(kOutput + "findings.json");
    EXPECT_EQ(json.rfind("{\"schema\": 1, \"ruleset\": \"2\", \"results\": [\r\n", 0), 0u);
    EXPECT_NE(json.find("{\"id\": \"locked-files\", \"status\": \"fail\", \"severity\": \"warning\""),
              std::string::npos);
    const std::vector<std::string> traceLines = LogMessages();
    EXPECT_NE(std::find(traceLines.begin(), traceLines.end(),
                        "Findings fail locked-files (warning): 1 file(s) could not be copied because another program "
                        "holds them"),
              traceLines.end());
    EXPECT_NE(std::find(traceLines.begin(), traceLines.end(), "Findings: facts and rules took 0 ms"), traceLines.end());


    // Each row's outcome as the run recorded it.
    EXPECT_TRUE(testlog::HasLine(lines, "  C:\\WINDOWS"));
    EXPECT_TRUE(testlog::HasLine(lines, Row(1, "setupapi.log", "copied", "12")));
    EXPECT_TRUE(testlog::HasLine(lines, Row(2, "CorNetPC_LOG.txt", "failed (SHFileOperation 1223)", "")));
    EXPECT_FALSE(testlog::HasLine(lines, Row(3, "HvRegClean.log", "not present", "")));
    const auto product = std::find(lines.begin(), lines.end(), "Product, as the user typed  CORVANE NET PC 7");
    ASSERT_NE(product, lines.end());
    EXPECT_EQ(*(product + 1), "Problem, as the user typed  The service does not start after the update.");
    EXPECT_EQ(*(product + 2), "                            Error 1920 in the setup log.");
    char backedUp[100];
    std::snprintf(backedUp, sizeof(backedUp), "  System      %-33s %-28s %10zu", "_SysEvent.evt", "backed up",
                  fake.files().ReadFile(kOutput + "File_Save\\_SysEvent.evt").size());
    EXPECT_TRUE(testlog::HasLine(lines, backedUp));
    EXPECT_TRUE(testlog::HasLine(lines, "  Security    _SecEvent.evt                     failed (OpenEventLog 2)"));
    EXPECT_NE(summary.find("  halvorn.sav                                   saved                             "),
              std::string::npos);
    EXPECT_TRUE(testlog::HasLine(lines, "      of HKLM\\SOFTWARE\\Halvorn\\"));
    EXPECT_TRUE(testlog::HasLine(lines, "  File table   4 copied (44 bytes), 106 not present, 0 no folder, 0 refused, "
                                        "4 failed, 0 skipped"));
    EXPECT_NE(summary.find("Error lines in gathrix.log  4 (lines beginning with ERR"), std::string::npos);
    EXPECT_TRUE(testlog::HasLine(lines, "User's description          userinfo.txt"));

    // One archive, the earlier one gone; it holds every file of the folder
    // byte for byte, the trace log as far as it was written.
    std::vector<std::string> names = OutputNames();
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n.size() > 4 && n.substr(n.size() - 4) == ".cab"; }),
              1);
    const std::map<std::string, std::string> packed = Unpack(fake.files().ReadFile(kOutput + kArchive));
    std::vector<std::string> expected;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fake.files().HostPath(kOutput))) {
        if (!entry.is_regular_file() || entry.path().extension() == ".cab") continue;
        std::string name = entry.path().lexically_relative(fake.files().HostPath(kOutput)).string();
        std::replace(name.begin(), name.end(), '/', '\\');
        expected.push_back(name);
        ASSERT_EQ(packed.count(name), 1u) << name;
        const std::string content = fake.files().ReadFile(kOutput + name);
        if (name == "gathrix.log")
            EXPECT_EQ(content.compare(0, packed.at(name).size(), packed.at(name)), 0);
        else
            EXPECT_EQ(packed.at(name), content) << name;
    }
    EXPECT_EQ(packed.size(), expected.size());
    EXPECT_NE(packed.count("File_Save\\Program Files\\Halvorn\\CORVANE NET PC\\bin\\CorNetPC_Error.txt"), 0u);
    const std::vector<std::string> log = LogMessages();
    const auto traced = std::find_if(log.begin(), log.end(), [](const std::string& m) {
        return m.rfind(std::string("Handoff::PackCollectInfo, ") + kArchive + ": ", 0) == 0;
    });
    ASSERT_NE(traced, log.end());
    std::size_t bytes = 0;
    for (const auto& file : packed) bytes += file.second.size();
    EXPECT_EQ(*traced, std::string("Handoff::PackCollectInfo, ") + kArchive + ": " + std::to_string(packed.size()) +
                           " files, " + std::to_string(bytes) + " bytes packed into " +
                           std::to_string(fake.files().ReadFile(kOutput + kArchive).size()) + " bytes in 0 ms");
    EXPECT_EQ(fake.files().OpenFiles(), 0);
    EXPECT_EQ(fake.cabinet().OpenCabinets(), 0);

    // Names that cannot go into a file name are reduced.
    const gx::SYSTEMTIME time = {2027, 1, 5, 2, 23, 4, 5, 0};
    EXPECT_EQ(ArchiveName("B\xFCro PC/2:x", time), "gathrix_BroPC2x_20270102_230405.cab");
    EXPECT_EQ(ArchiveName("", time), "gathrix_PC_20270102_230405.cab");
}

// The overview of a record made up here, without a run.
class OverviewTest : public HandoffTest {
protected:
    std::vector<std::string> Overview(const QuestionnaireOutcome& answers) {
        OverviewInputs inputs;
        inputs.version = "V 1";
        inputs.computer = "PC";
        inputs.questionnaire = answers;
        const std::vector<std::string> lines = testlog::Lines(SummaryText(action, inputs));
        for (const std::string& line : lines) EXPECT_LE(line.size(), 100u) << line;
        return lines;
    }

    // The field's value lines: the labelled one and those below it with an empty label.
    static std::vector<std::string> FieldValue(const std::vector<std::string>& lines, const std::string& label) {
        std::vector<std::string> value;
        auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.compare(0, label.size(), label) == 0 && line.size() > 28;
        });
        for (; at != lines.end() && (value.empty() || at->compare(0, 28, std::string(28, ' ')) == 0); ++at)
            value.push_back(at->substr(28));
        return value;
    }

    CAction action;
};

TEST_F(OverviewTest, TheHeadingQuotesTheUsersProductAndProblemCutToAFewLines) {
    const std::string words = "word ";
    std::string longLine;
    for (int i = 0; i < 80; ++i) longLine += words;
    const struct {
        const char* what;
        std::string product, problem;
        std::vector<std::string> productLines, problemLines;
    } cases[] = {
        {"as typed", "CORVANE NET PC 7", "first line\r\nsecond line", {"CORVANE NET PC 7"},
         {"first line", "second line"}},
        {"empty", "", "", {"(left empty)"}, {"(left empty)"}},
        {"blank lines dropped, tabs and controls blanked, 1252 kept", "  \tNET\x01PC  ",
         "\r\n\r\n  Gr\xF6\xDF" "e\tfehlt\r\n   \r\nEnde", {"NET PC"}, {"Gr\xF6\xDF" "e fehlt", "Ende"}},
        {"more lines than fit", "line one\r\nline two", "1\r\n2\r\n3\r\n4\r\n5\r\n6", {"line one [...]"},
         {"1", "2", "3", "4 [...]"}},
        {"one long line wrapped at blanks", "", longLine, {"(left empty)"},
         {longLine.substr(0, 69), longLine.substr(70, 69), longLine.substr(140, 69),
          longLine.substr(210, 64) + " [...]"}},
        {"a word longer than the column", std::string(80, 'x'), "", {std::string(66, 'x') + " [...]"},
         {"(left empty)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> lines = Overview({true, true, c.product, c.problem});
        EXPECT_EQ(FieldValue(lines, "Product, as the user typed"), c.productLines);
        EXPECT_EQ(FieldValue(lines, "Problem, as the user typed"), c.problemLines);
    }

    const std::vector<std::string> closed = Overview({false, false, "ignored", "ignored"});
    EXPECT_TRUE(testlog::HasLine(closed, "User's words                none: the questionnaire was closed without OK"));
    EXPECT_TRUE(FieldValue(closed, "Product, as the user typed").empty());
}

// On 64-bit Windows the Windows section names it, and the hives list the
// 64-bit view's files with the five.
TEST_F(OverviewTest, On64BitWindowsTheArchitectureAndThe64BitHivesAreListed) {
    EXPECT_TRUE(FieldValue(Overview(QuestionnaireOutcome()), "Architecture").empty());
    action.m_Record.wow64 = true;
    RecordedItem saved;
    saved.outcome = ItemOutcome::Written;
    saved.sizeKnown = true;
    saved.bytes = 77;
    saved.path = "C:\\Tools\\CollectInfo\\Registry_Save\\halvorn64.sav";
    action.m_Record.hives64.push_back({0, saved});
    const std::vector<std::string> lines = Overview(QuestionnaireOutcome());
    EXPECT_EQ(FieldValue(lines, "Architecture"),
              (std::vector<std::string>{"64-bit Windows (gathrix runs as a 32-bit program)"}));
    auto at = std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) { return line.rfind("  halvorn64.sav", 0) == 0; });
    ASSERT_NE(at, lines.end());
    EXPECT_NE(at->find("saved"), std::string::npos) << *at;
    ASSERT_NE(at + 1, lines.end());
    EXPECT_EQ(*(at + 1), "      of HKLM\\SOFTWARE\\Halvorn\\, 64-bit view");
}

TEST_F(OverviewTest, TheFileTableListsRowsWorthALookAndCountsAndNamesTheRestPerFolder) {
    RunRecord& record = action.m_Record;
    record.rows.assign(kFileTableSize, RecordedItem());
    for (int i = 0; i < kFileTableGroup1; ++i) record.rows[i].outcome = ItemOutcome::Skipped;
    std::vector<std::string> absent;
    for (int i = kFileTableGroup1; i < kFileTableSize; ++i) {
        record.rows[i].outcome = ItemOutcome::NotPresent;
        record.rows[i].path = "C:\\WINDOWS";
        if (i != kFileTableGroup1 + 1 && i != kFileTableGroup1 + 3 && i < kFileTableSize - 1)
            absent.push_back(FileTable[i].szFileName);
    }
    record.rows[kFileTableGroup1 + 1].outcome = ItemOutcome::Written;
    record.rows[kFileTableGroup1 + 1].bytes = 12;
    record.rows[kFileTableGroup1 + 1].sizeKnown = true;
    record.rows[kFileTableGroup1 + 3] = FailedItem("SHFileOperation", 1223, "C:\\WINDOWS");
    record.rows[kFileTableSize - 1] = RefusedItem(0, "D:\\elsewhere");
    const std::vector<std::string> lines = Overview({true, true, "", ""});

    // The names after a count line, across its folded lines.
    auto named = [&](std::vector<std::string>::const_iterator line, const std::string& lead) {
        std::vector<std::string> names;
        EXPECT_EQ(line->compare(0, lead.size(), lead), 0) << *line;
        std::string text = line->substr(std::min(lead.size(), line->size()));
        for (++line; line != lines.end() && line->compare(0, 10, std::string(10, ' ')) == 0; ++line)
            text += " " + line->substr(10);
        for (std::size_t start = 1; start <= text.size();) {
            std::size_t end = text.find(", ", start);
            if (end == std::string::npos) end = text.size();
            names.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return names;
    };
    const auto skipped = std::find(lines.begin(), lines.end(), "  (group 1: not collected on Windows Vista and later)");
    ASSERT_NE(skipped, lines.end());
    std::vector<std::string> group1;
    for (int i = 0; i < kFileTableGroup1; ++i) group1.push_back(FileTable[i].szFileName);
    EXPECT_EQ(named(skipped + 1, "        54 skipped:"), group1);
    EXPECT_EQ((skipped + 2)->compare(0, 10, std::string(10, ' ')), 0) << "not folded: " << *(skipped + 2);

    const auto windows = std::find(lines.begin(), lines.end(), "  C:\\WINDOWS");
    ASSERT_NE(windows, lines.end());
    ASSERT_LT(windows + 3, lines.end());
    EXPECT_EQ(*(windows + 1), Row(kFileTableGroup1 + 2, FileTable[kFileTableGroup1 + 1].szFileName, "copied", "12"));
    EXPECT_EQ(*(windows + 2),
              Row(kFileTableGroup1 + 4, FileTable[kFileTableGroup1 + 3].szFileName, "failed (SHFileOperation 1223)", ""));
    EXPECT_EQ(named(windows + 3, "        " + std::to_string(absent.size()) + " not present:"), absent);

    const auto refused = std::find(lines.begin(), lines.end(), "  D:\\elsewhere");
    ASSERT_NE(refused, lines.end());
    EXPECT_EQ(*(refused + 1), Row(kFileTableSize, FileTable[kFileTableSize - 1].szFileName, "refused", ""));
    EXPECT_TRUE(testlog::HasLine(lines, "  File table   1 copied (12 bytes), " + std::to_string(absent.size()) +
                                            " not present, 0 no folder, 1 refused, 1 failed, 54 skipped"));
}

TEST_F(HandoffTest, WithoutTheProductTheOverviewSaysWhyAndListsNoFamily) {
    fake.registry().RemoveKey("SOFTWARE");
    fake.registry().MakeKey("SOFTWARE\\Microsoft\\Ole");
    AddProgram("Other", "Some Editor", "Someone");
    RunCollection();

    const std::vector<std::string> lines = testlog::Lines(fake.files().ReadFile(kOutput + "summary.txt"));
    EXPECT_TRUE(testlog::HasLine(
        lines, "Product shared path         not found: key AUTSW\\Global cannot be opened (error 2)"));
    EXPECT_TRUE(testlog::HasLine(
        lines, "Product installation path   not looked up: the product's shared path was not found"));
    const auto family = std::find(lines.begin(), lines.end(), "Product family (Halvorn, Corvane):");
    ASSERT_NE(family, lines.end());
    EXPECT_EQ(*(family + 1), "  none");
    EXPECT_EQ(*(family + 2), "Other software:");
    EXPECT_TRUE(testlog::HasLine(lines, "  (no folder: the product installation path is not known)"));
    const int typeFour = static_cast<int>(std::find_if(std::begin(FileTable), std::end(FileTable),
                                                        [](const CollectedFile& f) { return f.iSourceType == 4; }) -
                                           std::begin(FileTable));
    EXPECT_TRUE(testlog::HasLine(lines, Row(typeFour + 1, FileTable[typeFour].szFileName, "no folder", "")));
    EXPECT_TRUE(fake.files().Exists(kOutput + kArchive));
}

TEST_F(HandoffTest, HostileUninstallEntriesAreShownAsSuchAndNeverReadPastTheirData) {
    AddProgram("Good", "Corvane Runtime", "Halvorn", "1.2");
    fake.registry().SetValue(kUninstall + "Good", "InstallDate", gx::REG_DWORD, std::string("\x01\x02\x03\x04", 4));
    fake.registry().SetValue(kUninstall + "NoZero", "DisplayName", gx::REG_SZ, "Unterminated");
    fake.registry().SetValue(kUninstall + "NoZero", "Publisher", gx::REG_SZ, std::string(300, 'P'));
    fake.registry().SetValue(kUninstall + "Type", "DisplayName", gx::REG_BINARY, "\x01\x02");
    fake.registry().SetValue(kUninstall + "Empty", "DisplayName", gx::REG_SZ, std::string(1, '\0'));
    fake.registry().SetValue(kUninstall + "Long", "DisplayName", gx::REG_SZ, std::string(299, 'L') + std::string(1, '\0'));
    fake.registry().SetString(kUninstall + "NoName", "Publisher", "Halvorn");
    fake.registry().SetString(kUninstall + std::string(300, 'K'), "DisplayName", "Key name too long");
    for (int i = 0; i < 2000; ++i) fake.registry().SetString(kUninstall + "Many" + std::to_string(i), "DisplayName", "Many");

    InstalledSoftware software = ReadInstalledSoftware();
    EXPECT_EQ(software.withoutName, 1);
    EXPECT_EQ(software.unreadable, 1);
    ASSERT_EQ(software.entries.size(), 2005u);
    const InstalledEntry& first = software.entries[0];
    EXPECT_EQ(first.name, "Corvane Runtime");
    EXPECT_EQ(first.installDate, "(wrong type 4)");
    EXPECT_EQ(first.version, "1.2");
    std::map<std::string, InstalledEntry> byKey;
    for (const InstalledEntry& entry : software.entries) byKey[entry.key] = entry;
    EXPECT_EQ(byKey["NoZero"].name, "Unterminated (no terminator)");
    EXPECT_EQ(byKey["NoZero"].publisher, "(over-long: 300 bytes)");
    EXPECT_EQ(byKey["NoZero"].version, "(missing)");
    EXPECT_EQ(byKey["Type"].name, "(wrong type 3)");
    EXPECT_EQ(byKey["Empty"].name, "(empty)");
    EXPECT_EQ(byKey["Long"].name, "(over-long: 300 bytes)");

    // On 64-bit Windows both views, each labelled; a platform that refuses
    // the view flags is read once without them.
    fake.process().SetWow64(true);
    fake.registry().SetString("SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X86", "DisplayName",
                   "Corvane 32-bit Tool");
    software = ReadInstalledSoftware();
    ASSERT_EQ(software.entries.size(), 2006u);
    EXPECT_EQ(software.entries[0].name, "Corvane 32-bit Tool");
    EXPECT_STREQ(software.entries[0].view, "32-bit");
    EXPECT_STREQ(software.entries[1].view, "64-bit");
    fake.registry().RefuseViewFlags();
    software = ReadInstalledSoftware();
    ASSERT_EQ(software.entries.size(), 1u);
    EXPECT_STREQ(software.entries[0].view, "");
}

TEST_F(HandoffTest, APackingFailureAtAnyStepLeavesNoPartialArchiveAndACompleteCollection) {
    using gx::FakeOp;
    const struct {
        bool injected;  // else: a file of the folder held open elsewhere
        FakeOp op;
        const char* pathEnd;  // of the calls that fail
        gx::DWORD code;
        const char* cause;
    } cases[] = {
        {true, FakeOp::FCICreate, "", 0, "FCICreate: out of memory"},
        {true, FakeOp::FCICreate, "", gx::ERROR_MOD_NOT_FOUND,
         "FCICreate: the cabinet library cannot be loaded (erfOper 0, error 126)"},
        {true, FakeOp::CreateFileA, ".tmp", gx::ERROR_DISK_FULL, "FCICreate: a temporary file cannot be created or written"},
        {true, FakeOp::WriteFile, ".tmp", gx::ERROR_DISK_FULL,
         "a temporary file cannot be created or written (disk full?) (erfOper 4, error 112)"},
        {false, FakeOp::CreateFileA, "", 0,
         "FCIAddFile(C:\\Tools\\CollectInfo\\File_Save\\WINDOWS\\setupapi.log): a file to pack cannot be opened "
         "(erfOper 1, error 32)"},
        {true, FakeOp::ReadFile, "userinfo.txt", 23,
         "FCIAddFile(C:\\Tools\\CollectInfo\\userinfo.txt): a file to pack cannot be read (erfOper 2, error 23)"},
        {true, FakeOp::CreateFileA, ".cab", gx::ERROR_ACCESS_DENIED,
         "the archive cannot be written (disk full?) (erfOper 6, error 5)"},
        {true, FakeOp::WriteFile, ".cab", gx::ERROR_DISK_FULL,
         "the archive cannot be written (disk full?) (erfOper 6, error 112)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cause);
        TraceShutdown();
        fake.ui().ClearShown();
        if (c.injected) {
            fake.Fail(c.op, c.code, 1).When(PathEnds(c.pathEnd));
            RunCollection();
        } else {
            RunCollection([this] { fake.files().LockFile(kOutput + "File_Save\\WINDOWS\\setupapi.log"); });
        }
        fake.files().UnlockFiles();

        const std::vector<std::string> names = OutputNames();
        for (const std::string& name : names)
            EXPECT_TRUE(name.find(".cab") == std::string::npos && name.find(".tmp") == std::string::npos) << name;
        for (const char* kept : {"summary.txt", "userinfo.txt", "fileattr.txt", "File_Save", "Registry_Save"})
            EXPECT_NE(std::find(names.begin(), names.end(), kept), names.end()) << kept;
        const std::vector<std::string> log = LogMessages();
        const auto err = std::find_if(log.begin(), log.end(), [](const std::string& m) {
            return m.rfind("ERR Handoff::PackCollectInfo -> ", 0) == 0;
        });
        ASSERT_NE(err, log.end());
        EXPECT_NE(err->find(c.cause), std::string::npos) << *err;
        EXPECT_NE(std::find(log.begin(), log.end(), "< Handoff::PackCollectInfo, no archive: the folder is the result"),
                  log.end());
        EXPECT_EQ(fake.files().OpenFiles(), 0);
        EXPECT_EQ(fake.cabinet().OpenCabinets(), 0);
    }

    // An overview that cannot be written is not left cut; the archive is made.
    TraceShutdown();
    fake.ui().ClearShown();
    fake.Fail(gx::FakeOp::WriteFile, gx::ERROR_DISK_FULL, 1).When(PathEnds("summary.txt"));
    RunCollection();
    EXPECT_FALSE(fake.files().Exists(kOutput + "summary.txt"));
    EXPECT_TRUE(fake.files().Exists(kOutput + kArchive));
    std::vector<std::string> log = LogMessages();
    EXPECT_NE(std::find(log.begin(), log.end(), "ERR Handoff::WriteSummary -> write " + kOutput + "summary.txt: 112"),
              log.end());

    // Findings that cannot be written leave no cut file; the overview and the archive are made.
    TraceShutdown();
    fake.ui().ClearShown();
    fake.Fail(gx::FakeOp::WriteFile, gx::ERROR_DISK_FULL, 1).When(PathEnds("findings.json"));
    RunCollection();
    EXPECT_FALSE(fake.files().Exists(kOutput + "findings.json"));
    EXPECT_TRUE(fake.files().Exists(kOutput + "summary.txt"));
    EXPECT_TRUE(fake.files().Exists(kOutput + kArchive));
    log = LogMessages();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "ERR Findings::WriteFindingsJson -> write " + kOutput + "findings.json: 112"),
              log.end());

    // An earlier archive held open elsewhere stays, with an ERR line; the new one is made.
    TraceShutdown();
    fake.ui().ClearShown();
    const std::string held = kOutput + "gathrix_GX-TEST_20261206_100000.cab";
    fake.files().WriteFile(held, "held open");
    fake.files().LockFile(held);
    RunCollection();
    EXPECT_TRUE(fake.files().Exists(held));
    EXPECT_TRUE(fake.files().Exists(kOutput + kArchive));
    log = LogMessages();
    EXPECT_NE(std::find(log.begin(), log.end(), "ERR Handoff::PackCollectInfo -> DeleteFile(" + held + "): 32"),
              log.end());
}

}  // namespace
