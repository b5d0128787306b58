#include <algorithm>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "userinfo/info_dlg.h"
#include "userinfo/userinfo_dlg.h"
#include "resource.h"

namespace {

constexpr int kQuestionnaire = IDD_USERINFO_DIALOG;
const char kFile[] = "C:\\Tools\\CollectInfo\\userinfo.txt";

class UserInfoTest : public DialogTest {
protected:
    gx::INT_PTR Run() {
        CUserInfoDlg dialog;
        return dialog.DoModal();
    }
};

TEST_F(UserInfoTest, AllFieldsEmptyGiveTheFiveEnglishLabelsAndLimitsAreSet) {
    fake.ui().User().Check([this] {
        EXPECT_EQ(Text(kQuestionnaire, IDC_INTRO), "Please enter here additional information\n");
        EXPECT_EQ(Text(kQuestionnaire, IDC_NAME_LABEL), "name, company");
        EXPECT_EQ(Text(kQuestionnaire, IDC_COMPUTER_LABEL), "computer");
        EXPECT_EQ(Text(kQuestionnaire, IDC_PROBLEM_LABEL), "short explanation of the problem");
        EXPECT_EQ(Text(kQuestionnaire, IDC_PRODUCT_LABEL), "which product do you install?");
        EXPECT_EQ(Text(kQuestionnaire, IDC_EMAIL_LABEL), "email address");
        EXPECT_EQ(fake.ui().Control(kQuestionnaire, IDC_PROBLEM).textLimit, 2048);
        for (int id : {IDC_NAME, IDC_COMPUTER, IDC_PRODUCT, IDC_EMAIL}) EXPECT_EQ(fake.ui().Control(kQuestionnaire, id).textLimit, 256) << id;
    });
    fake.ui().User().Click(gx::IDOK).In(kQuestionnaire);
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_EQ(fake.files().ReadFile(kFile),
              "\r\nname, company: \r\n"
              "\r\n\r\ncomputer: \r\n"
              "\r\n\r\nwhich product do you install?: \r\n"
              "\r\n\r\nemail address: \r\n"
              "\r\n\r\nshort explanation of the problem: \r\n");
    EXPECT_TRUE(fake.ui().MessageBoxes().empty());
}

TEST_F(UserInfoTest, GermanLabelsValuesAndAMultiLineDescriptionStandAsTyped) {
    fake.process().SetLanguage(0x0C07);
    fake.files().WriteFile(kFile, std::string(5000, 'x'));  // an earlier run's, longer
    fake.ui().User().Type(IDC_NAME, "Jörg Maier, Halvorn")
        .Type(IDC_COMPUTER, "PC-17")
        .Type(IDC_PRODUCT, "NET PC 7")
        .Type(IDC_EMAIL, "jm@example.com")
        .Type(IDC_PROBLEM, "Setup bricht ab.\r\nZweite Zeile")
        .Enter(IDC_PROBLEM)
        .Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_EQ(fake.files().ReadFile(kFile),
              "\r\nName, Firma: \r\nJ\xF6rg Maier, Halvorn"
              "\r\n\r\nComputer: \r\nPC-17"
              "\r\n\r\nWelches Produkt installieren Sie?: \r\nNET PC 7"
              "\r\n\r\nKontakt/Emailadresse: \r\njm@example.com"
              "\r\n\r\nKurze Beschreibung des Problems: \r\nSetup bricht ab.\r\nZweite Zeile\r\n");
}

TEST_F(UserInfoTest, EnterAndEscInTheFieldsNeverEndTheDialog) {
    for (int id : {IDC_NAME, IDC_COMPUTER, IDC_PROBLEM, IDC_PRODUCT, IDC_EMAIL}) fake.ui().User().Enter(id).Escape(id);
    fake.ui().User().Check([this] {
        EXPECT_NE(fake.ui().DialogOf(kQuestionnaire), nullptr);
        EXPECT_EQ(Text(kQuestionnaire, IDC_NAME), "");  // one line, no room for a second
        EXPECT_EQ(Text(kQuestionnaire, IDC_PROBLEM), "\r\n");
    });
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_NE(fake.files().ReadFile(kFile).find("problem: \r\n\r\n"), std::string::npos);
}

TEST_F(UserInfoTest, TheEditsTakeNoMoreThanTheirLimitsAndLongerTextsAreRefused) {
    fake.ui().User().Type(IDC_PROBLEM, std::string(3000, 'p')).Type(IDC_NAME, std::string(300, 'n'));
    fake.ui().User().Check([this] {
        EXPECT_EQ(Text(kQuestionnaire, IDC_PROBLEM).size(), 2048u);
        EXPECT_EQ(Text(kQuestionnaire, IDC_NAME).size(), 256u);
        // A text that got past the limit fails the check.
        fake.ui().SetText(kQuestionnaire, IDC_EMAIL, std::string(257, 'e'));
    });
    fake.ui().User().Click(gx::IDOK).Answer(gx::IDOK).Answer(gx::IDOK);
    fake.ui().User().Type(IDC_EMAIL, "ok@example.com").Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 2u);
    for (const gx::FakeMessageBox& box : fake.ui().MessageBoxes()) {
        EXPECT_EQ(box.text, "Please enter no more than 256 characters.");
        EXPECT_EQ(box.caption, "gathrix");
        EXPECT_EQ(box.type, gx::MB_ICONEXCLAMATION);
        EXPECT_EQ(box.ownerTemplate, kQuestionnaire);
    }
    std::string file = fake.files().ReadFile(kFile);
    EXPECT_NE(file.find(": \r\n" + std::string(256, 'n') + "\r\n"), std::string::npos);
    EXPECT_NE(file.find("email address: \r\nok@example.com\r\n"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - 2049), "\n" + std::string(2048, 'p'));
}

TEST_F(UserInfoTest, AFileThatCannotBeCreatedIsReportedAndTheDialogStillEnds) {
    fake.Fail(gx::FakeOp::CreateFileA, gx::ERROR_ACCESS_DENIED);
    fake.ui().User().Type(IDC_NAME, "Name").Click(gx::IDOK).Answer(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text, "Could not open userinfo,txt");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].caption, "gathrix");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].type, gx::MB_OK);
    EXPECT_FALSE(fake.files().Exists(kFile));
}

TEST_F(UserInfoTest, AWriteErrorIsReportedLikeAnOpenFailureAndTheDialogEndsNormally) {
    fake.Fail(gx::FakeOp::WriteFile, gx::ERROR_DISK_FULL, 1, 2);
    fake.ui().User().Type(IDC_NAME, "Name").Click(gx::IDOK).Answer(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text, "Could not open userinfo,txt");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].ownerTemplate, kQuestionnaire);
    EXPECT_EQ(fake.files().OpenFiles(), 0);
    EXPECT_EQ(fake.files().ReadFile(kFile), "\r\nname, company: \r\nName\r\n\r\ncomputer: \r\n");
    std::vector<std::string> lines = LogMessages();
    EXPECT_TRUE(testlog::HasLine(lines, "ERR CUserInfoDlg::OnOK -> write C:\\Tools\\CollectInfo\\\\userinfo.txt: 112"));

    // A write the disk cuts short is a full disk too.
    fake.files().SetFreeSpace(20);
    fake.ui().User().Type(IDC_NAME, "Name").Click(gx::IDOK).Answer(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 2u);
    EXPECT_EQ(fake.ui().MessageBoxes()[1].text, "Could not open userinfo,txt");
    EXPECT_EQ(fake.files().ReadFile(kFile), "\r\nname, company: \r\nN");
    lines = LogMessages();
    EXPECT_TRUE(testlog::HasLine(lines, "ERR CUserInfoDlg::OnOK -> write C:\\Tools\\CollectInfo\\\\userinfo.txt: -1"));
}

TEST_F(UserInfoTest, AnOutputFolderTooDeepIsNeverReplacedByARelativePath) {
    fake.process().SetModulePath("C:\\" + std::string(240, 'd') + "\\gathrix.exe");
    fake.ui().User().Click(gx::IDOK).Answer(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text, "Could not open userinfo,txt");
    EXPECT_EQ(fake.CountOf(gx::FakeOp::CreateFileA), 0);
}

// ---- the info box and the language rule -------------------------------------

class InfoTest : public DialogTest {
protected:
    std::string ShownText() {
        std::string text;
        fake.ui().User().Check([&] {
            EXPECT_EQ(Text(IDD_INFO_DIALOG, IDC_INFO_TITLE), "CORVANE NET TOOL - Gathrix V 07.00.1.3402");
            text = Text(IDD_INFO_DIALOG, IDC_INFO_TEXT);
        });
        fake.ui().User().Click(gx::IDOK);
        CInfoDlg dialog;
        EXPECT_EQ(dialog.DoModal(), gx::IDOK);
        return text;
    }
};

TEST_F(InfoTest, GermanForEveryGermanLocaleEnglishOtherwiseWithTheOutputFolderLast) {
    const std::string german =
        "Sammelt Informationen der Corvane NET CD - Installation.\nDie Informationen werden abgelegt in:\n"
        "C:\\Tools\\CollectInfo";
    const std::string english =
        "Collects information of the CORVANE NET CD - installation.\nThe information is stored in:\n"
        "C:\\Tools\\CollectInfo";
    for (gx::LANGID german_id : {0x0407, 0x0C07}) {
        fake.process().SetLanguage(german_id);
        EXPECT_EQ(ShownText(), german) << std::hex << german_id;
    }
    for (gx::LANGID other : {0x0409, 0x040C, 0x0000}) {
        fake.process().SetLanguage(other);
        EXPECT_EQ(ShownText(), english) << std::hex << other;
    }
}

TEST_F(InfoTest, TheFolderIsTheOneBesideTheExecutableAndTheLanguageIsAskedOnce) {
    fake.process().SetModulePath("C:\\Service\\Tools\\gathrix.exe");
    fake.files().MakeDirectory("C:\\Service\\Tools\\CollectInfo");
    fake.process().SetLanguage(0x0807);
    std::string text = ShownText();
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "C:\\Service\\Tools\\CollectInfo");
    TraceShutdown();
    std::vector<std::string> language;
    for (const std::string& line : LogMessages("C:\\Service\\Tools\\CollectInfo\\gathrix.log"))
        if (line.find("CheckLanguage") != std::string::npos) language.push_back(line);
    EXPECT_EQ(language, (std::vector<std::string>{
                            "> CTool::CheckLanguage(void) GetUserDefaultLangID() Language Identifiers -> 0x807",
                            "> CTool::CheckLanguage(void) LANG_GERMAN"}));
}

}  // namespace
