#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "environment/action.h"
#include "registry/hive_table.h"
#include "registry/reg_import_dlg.h"
#include "resource.h"

namespace {

constexpr int kImport = IDD_REGIMPORT_DIALOG;
const char kCaption[] = "CORVANE NET TOOL - Gathrix ";
const char kDefaultFolder[] = "C:\\Tools\\CollectInfo\\Registry_Save\\";
const char kSuccess[] = "Die R\xFC" "cksicherung wurde erfolgreich ausgef\xFChrt !";
const char kNotStarted[] = "Es wurde keine R\xFC" "cksicherung gestartet !";

class ImportDialogTest : public DialogTest {
protected:
    ImportDialogTest() {
        for (const RegistryHive& hive : HiveTable) {
            std::string key = hive.szSubKey;
            if (key.back() == '\\') key.pop_back();
            fake.registry().SetString(key, "Name", key);
            fake.registry().SetString(key + "\\Child", "Path", "C:\\Program Files\\x");
        }
    }

    // The hives of this machine, saved as a collection would.
    void SaveHives() {
        CAction collector;
        ASSERT_EQ(collector.Collect_Registry(), TRUE);
    }

    gx::INT_PTR Run() { return RunAsMainWindow<CRegImportDlg>(); }

    // Import under `name` with the default folder, up to the folder question.
    void ImportDefault(const std::string& name) {
        fake.ui().User().Type(IDC_SUBFOLDER, name).Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDYES);
    }

    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const gx::FakeMessageBox& box : fake.ui().MessageBoxes()) texts.push_back(box.text);
        return texts;
    }

    bool HasKey(const std::string& path) { return fake.registry().FindKey(path) != nullptr; }
};

TEST_F(ImportDialogTest, OpensWithTheInfoTextTheCaptionAndUsr1AndEndsByOkOrEsc) {
    fake.ui().User().Check([this] {
        const gx::FakeWindow& dialog = fake.ui().Window(fake.ui().DialogOf(kImport));
        EXPECT_EQ(dialog.text, kCaption);
        EXPECT_EQ(dialog.bigIcon, fake.LoadIconA(nullptr, IDR_MAINFRAME));
        EXPECT_EQ(dialog.smallIcon, dialog.bigIcon);
        EXPECT_EQ(Text(kImport, IDC_IMPORT_TEXT),
                  "Default-Verzeichnis f\xFCr Registry-Dateien:\n <C:\\Tools\\CollectInfo\\Registry_Save\\> \n\n"
                  "Sie werden in der Registry unter dem Key <HKLM\\Software\\Gathrix\\UsrX> abgelegt.");
        EXPECT_EQ(Text(kImport, IDC_SUBFOLDER), "Usr1");
        EXPECT_EQ(fake.ui().Control(kImport, IDC_SUBFOLDER).textLimit, 0);
    });
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    fake.ui().User().Escape();
    EXPECT_EQ(Run(), gx::IDCANCEL);
    EXPECT_TRUE(fake.ui().MessageBoxes().empty());
    EXPECT_EQ(IconsSet(kImport), (std::vector<std::string>{"big", "small", "big", "small"}));
}

TEST_F(ImportDialogTest, ABlankNameOrACancelledConfirmationTouchesNothing) {
    fake.ui().User().Type(IDC_SUBFOLDER, " \t ").Click(IDC_IMPORT).Answer(gx::IDOK);
    fake.ui().User().Type(IDC_SUBFOLDER, "  Kunde A\t").Click(IDC_IMPORT).Answer(gx::IDCANCEL);
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 2u);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].text, "Ung\xFCltiges Unterverzeichnis!");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].caption, "gathrix");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].type, gx::MB_OK);
    EXPECT_EQ(fake.ui().MessageBoxes()[0].ownerTemplate, kImport);
    EXPECT_EQ(fake.ui().MessageBoxes()[1].text, "Unterverzeichnis = Kunde A");
    EXPECT_EQ(fake.ui().MessageBoxes()[1].caption, "Unterverzeichnis");
    EXPECT_EQ(fake.ui().MessageBoxes()[1].type, gx::MB_OKCANCEL);
    EXPECT_FALSE(HasKey("Software\\Gathrix"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
}

TEST_F(ImportDialogTest, DefaultFolderImportsTheFiveHivesAndTheDialogStaysForTheNext) {
    SaveHives();
    ImportDefault("Usr1");
    fake.ui().User().Answer(gx::IDOK);
    ImportDefault("Usr2");
    fake.ui().User().Answer(gx::IDOK).Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    const std::string question = "Default-Verzeichnis \nC:\\Tools\\CollectInfo\\Registry_Save\\\nw\xE4hlen?";
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Unterverzeichnis = Usr1", question, kSuccess,
                                                 "Unterverzeichnis = Usr2", question, kSuccess}));
    EXPECT_EQ(fake.ui().MessageBoxes()[1].caption, "Eine *.sav-Datei w\xE4hlen");
    EXPECT_EQ(fake.ui().MessageBoxes()[1].type, gx::MB_YESNO);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].caption, kCaption);
    // Results have one OK button and, like every box of the tool, no icon.
    EXPECT_EQ(fake.ui().MessageBoxes()[2].type, gx::MB_OK);
    for (const char* user : {"Usr1", "Usr2"}) {
        auto restored = fake.registry().FindKey(std::string("Software\\Gathrix\\") + user + "\\SOFTWARE\\Microsoft\\Ole\\Child");
        ASSERT_NE(restored, nullptr) << user;
        EXPECT_EQ(restored->values.at("path").data, std::string("C:\\Program Files\\x") + '\0');
    }
    EXPECT_TRUE(fake.ui().OpenFileDialogs().empty());
}

TEST_F(ImportDialogTest, AFileChosenElsewhereGivesItsFolderForAllFiveNames) {
    SaveHives();
    for (const RegistryHive& hive : HiveTable)
        fake.files().WriteFile(std::string("C:\\Support\\Kunde 7\\") + hive.szSaveFile,
                       fake.files().ReadFile(std::string(kDefaultFolder) + hive.szSaveFile));
    fake.files().WriteFile("C:\\Support\\Kunde 7\\notes.txt", "anything");
    fake.ui().User().Type(IDC_SUBFOLDER, "Kunde7").Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDNO);
    fake.ui().User().PickFile("C:\\Support\\Kunde 7\\notes.txt").Answer(gx::IDOK);
    fake.ui().User().Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDNO).CancelFile().Answer(gx::IDOK);
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);

    std::vector<std::string> files;
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::RegRestoreKeyA)) files.push_back(call.args[0]);
    ASSERT_EQ(files.size(), 5u);
    for (int row = 0; row < kHiveCount; ++row)
        EXPECT_EQ(files[row], std::string("C:\\Support\\Kunde 7\\") + HiveTable[row].szSaveFile);
    EXPECT_NE(fake.registry().FindKey("Software\\Gathrix\\Kunde7\\System\\CurrentControlSet\\Services\\Child"), nullptr);

    ASSERT_EQ(fake.ui().OpenFileDialogs().size(), 2u);
    const gx::FakeOpenFile& shown = fake.ui().OpenFileDialogs()[0];
    EXPECT_EQ(shown.owner, fake.ui().MessageBoxes()[0].owner);
    EXPECT_FALSE(shown.hasFilter);
    EXPECT_FALSE(shown.hasDefExt);
    EXPECT_EQ(shown.initialFile, "");
    EXPECT_TRUE(shown.flags & gx::OFN_HIDEREADONLY);
    EXPECT_EQ(Texts().back(), "Es wurde kein Import ausgef\xFChrt");
    EXPECT_EQ(fake.ui().MessageBoxes().back().caption, "gathrix");
    EXPECT_EQ(fake.ui().MessageBoxes().back().type, gx::MB_OK);
}

TEST_F(ImportDialogTest, AMissingFolderIsNamedAndNothingIsRestored) {
    fake.ui().User().Type(IDC_SUBFOLDER, "Usr1").Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDYES).Answer(gx::IDOK);
    // A chosen name without any folder is taken whole.
    fake.ui().User().Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDNO).PickFile("hive.sav").Answer(gx::IDOK);
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    ASSERT_EQ(fake.ui().MessageBoxes().size(), 6u);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].text,
              "Das Sicherungsverzeichnis <C:\\Tools\\CollectInfo\\Registry_Save\\> mit den Registrydateien ist "
              "nicht vorhanden !\n\nEs wurde keine R\xFC" "cksicherung gestartet !");
    EXPECT_EQ(fake.ui().MessageBoxes()[2].caption, kCaption);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].type, gx::MB_OK);
    EXPECT_EQ(fake.ui().MessageBoxes()[5].text.substr(0, 37), "Das Sicherungsverzeichnis <hive.sav\\>");
    EXPECT_FALSE(HasKey("Software\\Gathrix"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegRestoreKeyA), 0);
}

TEST_F(ImportDialogTest, AnExistingUserKeyIsKeptWhenDeclinedAndReplacedWhenAccepted) {
    SaveHives();
    fake.registry().SetString("Software\\Gathrix\\Usr1\\Old", "v", "earlier import");
    fake.registry().SetString("Software\\Gathrix\\Other", "v", "another engineer's");
    ImportDefault("Usr1");
    fake.ui().User().Answer(gx::IDCANCEL).Answer(gx::IDOK);
    fake.ui().User().Check([this] {
        EXPECT_TRUE(HasKey("Software\\Gathrix\\Usr1\\Old"));
        EXPECT_EQ(fake.CountOf(gx::FakeOp::RegRestoreKeyA), 0);
    });
    ImportDefault("Usr1");
    fake.ui().User().Answer(gx::IDOK).Answer(gx::IDOK);
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    const std::string exists = "Der Registry-Eintrag <Software\\Gathrix> existiert bereits.\n\nEintrag l\xF6schen?";
    std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[2], exists);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].caption, kCaption);
    EXPECT_EQ(fake.ui().MessageBoxes()[2].type, gx::MB_OKCANCEL);
    EXPECT_EQ(texts[3], kNotStarted);
    EXPECT_EQ(fake.ui().MessageBoxes()[3].type, gx::MB_OK);
    EXPECT_EQ(texts[6], exists);
    EXPECT_EQ(texts[7], kSuccess);
    EXPECT_FALSE(HasKey("Software\\Gathrix\\Usr1\\Old"));
    EXPECT_TRUE(HasKey("Software\\Gathrix\\Usr1\\SOFTWARE\\Halvorn"));
    EXPECT_TRUE(HasKey("Software\\Gathrix\\Other"));
}

TEST_F(ImportDialogTest, AFailedRestoreIsReported) {
    SaveHives();
    fake.Fail(gx::FakeOp::OpenProcessToken, gx::ERROR_ACCESS_DENIED);
    ImportDefault("Usr1");
    fake.ui().User().Answer(gx::IDOK).Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_EQ(Texts().back(), "Es ist ein Fehler w\xE4hrend der R\xFC" "cksicherung aufgetreten!");
    EXPECT_EQ(fake.ui().MessageBoxes().back().caption, kCaption);
    EXPECT_EQ(fake.ui().MessageBoxes().back().type, gx::MB_OK);
}

TEST_F(ImportDialogTest, DeleteRemovesTheWholeBranchSilentlyAndDoesNothingWithoutIt) {
    fake.ui().User().Click(IDC_DELETE).Check([this] {
        EXPECT_EQ(fake.CountOf(gx::FakeOp::SHDeleteKeyA), 0);
        fake.registry().SetString("Software\\Gathrix\\Usr1\\SOFTWARE\\Halvorn", "v", "x");
        fake.registry().SetString("Software\\Gathrix\\Usr2", "v", "y");
        fake.registry().SetString("Software\\Other", "v", "z");
    });
    fake.ui().User().Click(IDC_DELETE).Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    EXPECT_FALSE(HasKey("Software\\Gathrix"));
    EXPECT_TRUE(HasKey("Software\\Other"));
    EXPECT_TRUE(fake.ui().MessageBoxes().empty());
}

TEST_F(ImportDialogTest, NamesAndFoldersThatWouldPassThePathLimitAreRefusedBeforeAnythingIsTouched) {
    // "Software\Gathrix\" + name + "\" + the longest subkey (51) within 259.
    const std::string longest(190, 'n');
    fake.ui().User().Type(IDC_SUBFOLDER, longest + "x").Click(IDC_IMPORT).Answer(gx::IDOK);
    fake.ui().User().Type(IDC_SUBFOLDER, longest).Click(IDC_IMPORT).Answer(gx::IDCANCEL);
    const std::string deep = "C:\\" + std::string(250, 'f');
    fake.ui().User().Type(IDC_SUBFOLDER, "Usr1").Click(IDC_IMPORT).Answer(gx::IDOK).Answer(gx::IDNO).PickFile(deep + "\\x.sav").Answer(gx::IDOK);
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0],
              "Der Name des Unterverzeichnisses ist zu lang: h\xF6" "chstens 190 Zeichen sind m\xF6glich.\n\n"
              "Es wurde keine R\xFC" "cksicherung gestartet !");
    EXPECT_EQ(fake.ui().MessageBoxes()[0].caption, kCaption);
    EXPECT_EQ(texts[1], "Unterverzeichnis = " + longest);
    EXPECT_EQ(texts[4], "Der Pfad des Sicherungsverzeichnisses <" + deep +
                            "\\> ist zu lang f\xFCr die Registrydateien.\n\nEs wurde keine R\xFC" "cksicherung gestartet !");
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegOpenKeyExA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegCreateKeyExA), 0);
}

TEST_F(ImportDialogTest, AMinimisedDialogDrawsItsIconCentred) {
    fake.ui().User().Check([this] {
        gx::HWND dialog = fake.ui().DialogOf(kImport);
        fake.SendMessageA(dialog, gx::WM_PAINT, 0, 0);
        EXPECT_EQ(fake.CountOf(gx::FakeOp::BeginPaint), 0);
        fake.ui().Minimize(dialog);
        fake.SendMessageA(dialog, gx::WM_PAINT, 0, 0);
        EXPECT_EQ(fake.SendMessageA(dialog, gx::WM_QUERYDRAGICON, 0, 0),
                  reinterpret_cast<gx::LRESULT>(fake.LoadIconA(nullptr, IDR_MAINFRAME)));
    });
    fake.ui().User().Click(gx::IDOK);
    EXPECT_EQ(Run(), gx::IDOK);
    // Client area 505 x 237 pixels, icon 32 x 32.
    std::vector<gx::FakeCall> drawn = fake.CallsOf(gx::FakeOp::DrawIcon);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].args[0], "237");
    EXPECT_EQ(drawn[0].args[1], "103");
    EXPECT_EQ(fake.CountOf(gx::FakeOp::EndPaint), 1);
    bool erased = false;
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::SendMessageA))
        if (call.args[1] == "0x27") erased = true;
    EXPECT_TRUE(erased);
}

}  // namespace
