// Hostile input through the dialogs: subfolder names of any shape for the
// import tool, and a questionnaire whose file cannot be written.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "app/gathrix_dlg.h"
#include "environment/action.h"
#include "files/file_table.h"
#include "registry/hive_table.h"
#include "registry/reg_import_dlg.h"
#include "userinfo/userinfo_dlg.h"
#include "resource.h"

namespace {

constexpr int kImport = IDD_REGIMPORT_DIALOG;
const char kInvalid[] = "Ung\xFCltiges Unterverzeichnis!";
const char kSuccess[] = "Die R\xFC" "cksicherung wurde erfolgreich ausgef\xFChrt !";

class ImportNameTest : public DialogTest {
protected:
    ImportNameTest() {
        for (const RegistryHive& hive : HiveTable) fake.registry().SetString(hive.szSubKey, "Name", hive.szSubKey);
        CAction collector;
        EXPECT_EQ(collector.Collect_Registry(), TRUE);
        // Two earlier imports that must survive whatever is typed.
        fake.registry().SetString("Software\\Gathrix\\Usr1\\SOFTWARE\\Microsoft\\Ole", "Name", "first");
        fake.registry().SetString("Software\\Gathrix\\Usr2\\SOFTWARE\\Microsoft\\Ole", "Name", "second");
    }

    gx::INT_PTR Run() { return RunAsMainWindow<CRegImportDlg>(); }

    bool HasKey(const std::string& path) { return fake.registry().FindKey(path) != nullptr; }
};

TEST_F(ImportNameTest, NamesWithoutAKeyOfTheirOwnAreInvalidAndNoEarlierImportIsTouched) {
    // Each would name the branch itself: a deletion would take Usr1 and Usr2.
    const char* names[] = {"\\", " \\\\ ", "\\Usr1", "Usr1\\", "Usr1\\\\x", " \t ", ""};
    for (const char* name : names) fake.ui().User().Type(IDC_SUBFOLDER, name).Click(IDC_IMPORT).Answer(gx::IDOK);
    fake.ui().User().Click(gx::IDOK);
    fake.ClearCalls();
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), std::size(names));
    for (const gx::FakeMessageBox& box : fake.ui().MessageBoxes()) EXPECT_EQ(box.text, kInvalid);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHDeleteKeyA), 0);
    EXPECT_TRUE(HasKey("Software\\Gathrix\\Usr1\\SOFTWARE\\Microsoft\\Ole"));
    EXPECT_TRUE(HasKey("Software\\Gathrix\\Usr2\\SOFTWARE\\Microsoft\\Ole"));
}

TEST_F(ImportNameTest, AnInnerBackslashImportsTwoLevelsDownAndReplacesOnlyThatKey) {
    fake.ui().User().Type(IDC_SUBFOLDER, "Kunde\\Usr1").Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDYES).Answer(gx::IDOK);
    // The same name again: asked, then only Kunde\Usr1 is replaced.
    fake.ui().User().Type(IDC_SUBFOLDER, "Kunde\\Usr1").Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDYES).Answer(gx::IDOK);
    fake.ui().User().Answer(gx::IDOK).Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 7u);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].text, kSuccess);
    EXPECT_EQ(fake.ui().MessageBoxes()[6].text, kSuccess);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::SHDeleteKeyA).at(0).args[0], "Software\\Gathrix\\Kunde\\Usr1");
    EXPECT_TRUE(HasKey("Software\\Gathrix\\Kunde\\Usr1\\SOFTWARE\\Microsoft\\Ole"));
    EXPECT_TRUE(HasKey("Software\\Gathrix\\Usr1\\SOFTWARE\\Microsoft\\Ole"));
    EXPECT_TRUE(HasKey("Software\\Gathrix\\Usr2\\SOFTWARE\\Microsoft\\Ole"));
}

TEST_F(ImportNameTest, CharactersOutsideWindows1252ArriveAsReplacementsAndHighBytesAndStayAsTyped) {
    // What an ANSI edit hands over for "Kunde 東京 ä€": replacements and
    // single bytes, some of them without a character in the code page.
    const std::string name = "Kunde ?? \xE4\x80\x81\x8D\xFF";
    fake.ui().User().Type(IDC_SUBFOLDER, name).Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDYES).Answer(gx::IDOK);
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 3u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text, "Unterverzeichnis = " + name);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].text, kSuccess);
    auto key = fake.registry().FindKey("Software\\Gathrix\\" + name + "\\SOFTWARE\\Microsoft\\Ole");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(fake.registry().FindKey("Software\\Gathrix")->children.size(), 3u);
}

TEST_F(ImportNameTest, AThreeHundredCharacterNameIsRefusedBeforeAnyKeyOrFileIsNamed) {
    fake.ui().User().Type(IDC_SUBFOLDER, std::string(300, 'x')).Click(IDC_IMPORT).Answer(gx::IDOK).Click(gx::IDOK);
    fake.ClearCalls();
    fake.ResetLongestPath();
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text.rfind("Der Name des Unterverzeichnisses ist zu lang", 0), 0u);
    EXPECT_LT(fake.LongestPath(), 260u);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA) + fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
    EXPECT_EQ(fake.ui().ClosedControl(kImport, IDC_SUBFOLDER).text, std::string(300, 'x')) << "kept for the user to shorten";
}

TEST_F(ImportNameTest, AFilePickedWithAPathLongerThanTheDialogsBufferImportsNothing) {
    const std::string picked = "C:\\" + std::string(120, 'a') + "\\" + std::string(150, 'b') + "\\x.sav";
    fake.ui().User().Type(IDC_SUBFOLDER, "Usr3").Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDNO).PickFile(picked).Answer(gx::IDOK);
    fake.ui().User().Click(gx::IDOK);
    fake.ClearCalls();
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 3u);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].text, "Es wurde kein Import ausgef\xFChrt");
    EXPECT_FALSE(HasKey("Software\\Gathrix\\Usr3"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
}

class LockedQuestionnaireTest : public DialogTest {};

TEST_F(LockedQuestionnaireTest, AnswersThatCannotReachUserinfoTxtAreKeptWholeInTheLog) {
    const std::string file = "C:\\Tools\\CollectInfo\\userinfo.txt";
    fake.files().WriteFile(file, "held open by an editor");
    fake.files().LockFile(file);
    std::string problem;
    for (int line = 0; problem.size() < 2000; ++line) problem += "Zeile " + std::to_string(line) + " \xE4\xF6\xFC\r\n";
    problem = problem.substr(0, 2048);
    fake.ui().User().Type(IDC_NAME, "Erika Muster, Firma").Type(IDC_COMPUTER, "PC-7").Type(IDC_PROBLEM, problem);
    fake.ui().User().Click(gx::IDOK).Answer(gx::IDOK);
    {
        CUserInfoDlg dialog;
        EXPECT_EQ(dialog.DoModal(), gx::IDOK);
    }
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text, "Could not open userinfo,txt");
    EXPECT_EQ(fake.files().ReadFile(file), "held open by an editor");

    std::vector<std::string> lines = LogMessages();
    EXPECT_TRUE(testlog::HasLine(lines, "ERR CUserInfoDlg::OnOK -> open C:\\Tools\\CollectInfo\\\\userinfo.txt: 32"));
    std::string name, shortExplanation;
    for (const std::string& line : lines) {
        if (line.rfind("CUserInfoDlg::OnOK, name, company: ", 0) == 0) name += line.substr(35);
        const std::string tag = "CUserInfoDlg::OnOK, short explanation of the problem: ";
        if (line.rfind(tag, 0) == 0) shortExplanation += line.substr(tag.size());
    }
    EXPECT_EQ(name, "Erika Muster, Firma");
    std::string flat;
    for (std::size_t i = 0; i < problem.size(); ++i) {
        if (problem[i] == '\r') continue;
        flat += problem[i] == '\n' ? std::string("\\n") : std::string(1, problem[i]);
    }
    EXPECT_EQ(shortExplanation, flat);
    // Every line of the log still begins with its time stamp.
    std::string log = fake.files().ReadFile("C:\\Tools\\CollectInfo\\gathrix.log");
    for (std::size_t start = 0; start < log.size();) {
        std::size_t end = log.find("\r\n", start);
        std::string line = log.substr(start, end - start);
        EXPECT_TRUE(line.empty() || line.find('\t') != std::string::npos) << line;
        start = end + 2;
    }
}

class BrokenOutputTest : public DialogTest {
protected:
    BrokenOutputTest() : saved_(std::begin(FileTable), std::end(FileTable)) {
        fake.files().WriteFile("C:\\WINDOWS\\setupapi.log", "device setup");
    }
    ~BrokenOutputTest() override { std::copy(saved_.begin(), saved_.end(), FileTable); }

private:
    std::vector<CollectedFile> saved_;
};

TEST_F(BrokenOutputTest, AnOutputThatCannotTakeTheHivesShowsErrorTwoAndStartWorksAgain) {
    const struct {
        const char* name;
        std::function<void(gx::FakePlatform&)> arrange;
    } cases[] = {
        {"CollectInfo is a file",
         [](gx::FakePlatform& f) {
             std::filesystem::remove(f.files().HostPath("C:\\Tools\\CollectInfo"));
             f.files().WriteFile("C:\\Tools\\CollectInfo", "a file");
         }},
        {"read-only location", [](gx::FakePlatform& f) { f.files().ProtectFolder("C:\\Tools"); }},
        {"executable in a folder of 250 characters",
         [](gx::FakePlatform& f) {
             std::string folder = "C:\\" + std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" +
                                  std::string(45, 'c');
             f.files().MakeDirectory(folder + "\\CollectInfo");
             f.process().SetModulePath(folder + "\\gathrix.exe");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake.files().UnprotectFolders();
        fake.process().SetModulePath("C:\\Tools\\gathrix.exe");
        std::filesystem::remove_all(fake.files().HostPath("C:\\Tools\\CollectInfo"));
        fake.files().MakeDirectory("C:\\Tools\\CollectInfo");
        c.arrange(fake);
        fake.ResetLongestPath();
        fake.ui().User().Click(gx::IDOK).Check([this] {
            EXPECT_EQ(Text(IDD_GATHRIX_DIALOG, IDC_MESSAGE), "Error 0x80000002 has occurred.\n");
            EXPECT_TRUE(Enabled(IDD_GATHRIX_DIALOG, gx::IDOK));
            EXPECT_TRUE(Enabled(IDD_GATHRIX_DIALOG, gx::IDCANCEL));
        });
        fake.ui().User().Click(gx::IDCANCEL);
        EXPECT_EQ(RunAsMainWindow<CGathrixDlg>(), gx::IDCANCEL);
        EXPECT_LT(fake.LongestPath(), 260u);
        EXPECT_FALSE(fake.files().Exists("C:\\Tools\\CollectInfo\\userinfo.txt"));
        EXPECT_EQ(fake.CountOf(gx::FakeOp::DialogBoxParamA), 1) << "no questionnaire";
        fake.ClearCalls();
        TraceShutdown();
    }
}

}  // namespace
