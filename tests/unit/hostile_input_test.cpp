// A collection run on broken or hostile machines: an executable deep in the
// tree, product values of any shape, output folders that are files, locked
// or read-only, a full disk. Each outcome is defined and traced, no path
// past the limit reaches the platform, and nothing lands outside the output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "environment/action.h"
#include "environment/paths.h"
#include "fake_fixture.h"
#include "files/file_table.h"
#include "registry/hive_table.h"

namespace fs = std::filesystem;

namespace {

const char kGlobalKey[] = "SOFTWARE\\HALVORN\\AUTSW\\Global";
const char kNetPCKey[] = "SOFTWARE\\HALVORN\\AUTSW\\CORVANE NET PC Software";
const std::string kOutput = "C:\\Tools\\CollectInfo";

// What the steps of one run returned, in the order the Start handler calls them.
struct Steps {
    int init = -1;
    gx::BOOL files = -1;
    gx::BOOL registry = -1;
};

class HostileTest : public FakeTest {
protected:
    HostileTest() : saved_(std::begin(FileTable), std::end(FileTable)) {
        fake.registry().SetString(kGlobalKey, "SharedPath", "C:\\Program Files\\Halvorn\\Shared");
        fake.registry().SetString(kNetPCKey, "Path", "C:\\Program Files\\Halvorn\\CorNetPC");
        for (const RegistryHive& hive : HiveTable) fake.registry().SetString(hive.szSubKey, "Name", "value");
        fake.files().WriteFile("C:\\WINDOWS\\setupapi.log", "device setup");
        fake.files().WriteFile("C:\\WINDOWS\\CorNetPC_LOG.txt", "product setup");
        fake.files().WriteFile("C:\\Program Files\\Halvorn\\CorNetPC\\bin\\CorNetPC_Error.txt", "error");
        fake.files().WriteFile("C:\\Documents and Settings\\All Users\\Application Data\\Halvorn\\Automation\\LogFiles\\"
                       "setup\\HvAutSw_Setup.log",
                       "setup");
        fake.files().MakeDirectory("C:\\WINDOWS\\system32\\drivers");
    }
    ~HostileTest() override { std::copy(saved_.begin(), saved_.end(), FileTable); }

    // The steps of a run as the Start handler calls them, up to the first failure.
    Steps Collect(CAction& action) {
        Steps run;
        run.init = action.Init();
        if (run.init == 0) return run;
        action.DeleteAllDirecory();
        run.files = action.Collect_Files();
        if (!run.files) return run;
        run.registry = action.Collect_Registry();
        if (run.registry) {
            EXPECT_EQ(action.Collect_FileAttributes(), TRUE);
        }
        return run;
    }

    // Every file and folder of the fake's drives with the content of the files.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> tree;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fake.files().Root())) {
            std::string content = "<folder>";
            if (entry.is_regular_file()) {
                std::ifstream in(entry.path(), std::ios::binary);
                content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
            tree[entry.path().string()] = content;
        }
        return tree;
    }

    // Entries added, changed or removed, other than below `allowed` (a Windows folder).
    std::vector<std::string> ChangedOutside(const std::map<std::string, std::string>& before,
                                            const std::string& allowed) const {
        std::map<std::string, std::string> after = Snapshot();
        std::string base = allowed.empty() ? std::string() : fake.files().HostPath(allowed);
        auto inside = [&](const std::string& path) {
            return !base.empty() && (path == base || path.rfind(base + "/", 0) == 0);
        };
        std::vector<std::string> changed;
        for (const auto& entry : after) {
            auto old = before.find(entry.first);
            if ((old == before.end() || old->second != entry.second) && !inside(entry.first))
                changed.push_back(entry.first);
        }
        for (const auto& entry : before)
            if (after.count(entry.first) == 0 && !inside(entry.first)) changed.push_back(entry.first);
        return changed;
    }

    ::testing::AssertionResult Logged(const std::string& line, const std::string& log = kOutput + "\\gathrix.log") {
        return testlog::HasLine(LogMessages(log), line);
    }

    ::testing::AssertionResult LoggedStartingWith(const std::string& prefix, int times,
                                                  const std::string& log = kOutput + "\\gathrix.log") {
        return testlog::HasLinesStartingWith(LogMessages(log), prefix, times);
    }

private:
    std::vector<CollectedFile> saved_;
};

// A folder of exactly `length` characters below C:\, in parts of at most 100.
std::string FolderOfLength(std::size_t length) {
    std::string folder = "C:";
    char letter = 'a';
    while (folder.size() < length) {
        std::size_t part = std::min<std::size_t>(100, length - folder.size() - 1);
        folder += "\\" + std::string(part, letter++);
    }
    return folder;
}

TEST_F(HostileTest, ExecutableDeepInTheTreeWorksWhereItsPathsFitAndIsRefusedWhereTheyDoNot) {
    struct Case {
        std::size_t length;    // of the executable's folder
        bool log;              // "gathrix.log" fits
        bool destinations;     // CollectInfo\Registry_Save\ fits
        gx::BOOL registry;         // the hive files fit too
    };
    // The log path adds 24 characters, the registry folder 27, the longest
    // hive file 41, the executable's own name 12 (past 247 the platform cuts it).
    const Case cases[] = {
        {200, true, true, TRUE},    {218, true, true, TRUE},    {219, true, true, FALSE},
        {232, true, true, FALSE},   {233, true, false, FALSE},  {235, true, false, FALSE},
        {236, false, false, FALSE}, {247, false, false, FALSE}, {250, false, false, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("folder of " + std::to_string(c.length) + " characters");
        std::string folder = FolderOfLength(c.length);
        ASSERT_EQ(folder.size(), c.length);
        fake.files().MakeDirectory(folder + "\\CollectInfo");
        fake.process().SetModulePath(folder + "\\gathrix.exe");
        fake.ResetLongestPath();
        fake.ui().ResetBeeps();
        std::map<std::string, std::string> before = Snapshot();
        Steps run;
        {
            CAction action;
            EXPECT_EQ(action.m_szDest_Path.empty(), !c.destinations);
            run = Collect(action);
        }
        TraceShutdown();
        EXPECT_EQ(run.init, 1);
        EXPECT_EQ(run.files, TRUE);
        EXPECT_EQ(run.registry, c.registry);
        EXPECT_LT(fake.LongestPath(), 260u);
        EXPECT_EQ(ChangedOutside(before, folder + "\\CollectInfo"), std::vector<std::string>{});
        std::string log = folder + "\\CollectInfo\\gathrix.log";
        EXPECT_EQ(fake.files().Exists(log), c.log);
        // Every refusal beeps, also where its line could not be written.
        if (!c.registry) {
            EXPECT_GE(fake.ui().Beeps(), 5);
        }
        if (!c.log) continue;
        if (!c.destinations) {
            EXPECT_TRUE(LoggedStartingWith("ERR CTool::GetDest_Path -> path too long", 1, log));
            EXPECT_TRUE(Logged("ERR CAction::Collect_Files -> no destination folder", log));
            continue;
        }
        // Rows whose copy fits are copied, the others refused one by one;
        // so are event-log backups.
        const std::string copy = folder + "\\CollectInfo\\File_Save\\WINDOWS\\setupapi.log";
        EXPECT_EQ(fake.files().Exists(copy), copy.size() < 260u);
        EXPECT_TRUE(LoggedStartingWith("ERR CTool::CopyFileTo -> path too long", -1, log));
        const std::string backup = folder + "\\CollectInfo\\File_Save\\_SysEvent.evt";
        // Only a copy creates the file folder the backups go to.
        EXPECT_EQ(fake.files().Exists(backup), copy.size() < 260u);
        EXPECT_EQ(Logged("Tool::Could not BackupEventLog(_SysEvent.evt)206", log), backup.size() >= 260u);
        if (c.registry) {
            EXPECT_TRUE(fake.files().Exists(folder + "\\CollectInfo\\Registry_Save\\msinstfeat.sav"));
            EXPECT_TRUE(fake.files().Exists(folder + "\\CollectInfo\\fileattr.txt"));
        } else {
            EXPECT_TRUE(LoggedStartingWith("ERR Tool::Collect_Registry -> registry folder refused", 1, log));
        }
        fake.process().SetModulePath("C:\\Tools\\gathrix.exe");
    }
}

TEST_F(HostileTest, ProductValuesOfAnyTypeOrShapeAreNeverResolvedOutsideTheirFolderOrTheOutput) {
    const struct {
        const char* name;
        gx::DWORD type;
        std::string bytes;
        std::string read;    // the member afterwards
        bool refused;        // its rows are not collected
    } cases[] = {
        {"dword", gx::REG_DWORD, std::string("\x05\x00\x00\x00", 4), "\x05", true},
        {"dword that reads as a root", gx::REG_DWORD, std::string("C:\\\0", 4), "C:\\", false},
        {"binary", gx::REG_BINARY, std::string("\xFF\xFE\x01..\\..", 9), "\xFF\xFE\x01..\\..", true},
        {"unexpanded", gx::REG_EXPAND_SZ, std::string("%ProgramFiles%\\Halvorn\0", 23), "%ProgramFiles%\\Halvorn",
         true},
        {"climbing", gx::REG_SZ, std::string("C:\\Program Files\\..\\..\\Tools\0", 29),
         "C:\\Program Files\\..\\..\\Tools", true},
        {"dots and blanks", gx::REG_SZ, std::string("C:\\x\\. .\\...\0", 13), "C:\\x\\. .\\...", true},
        {"no terminator", gx::REG_SZ, "C:\\Program Files\\Halvorn\\CorNetPC", "C:\\Program Files\\Halvorn\\CorNetPC",
         false},
        {"drive without root", gx::REG_SZ, std::string("C:Halvorn\0", 10), "C:Halvorn", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake.registry().SetValue(kNetPCKey, "Path", c.type, c.bytes);
        fake.ClearCalls();
        fake.ResetLongestPath();
        CAction action;
        Steps run = Collect(action);
        EXPECT_EQ(run.registry, TRUE);
        EXPECT_EQ(action.m_szNetPCPath, c.read);
        for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::GetFileAttributesA))
            EXPECT_TRUE(IsAbsolutePath(call.args[0]) && !HasParentStep(call.args[0])) << call.args[0];
        for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::SHFileOperationA)) {
            if (call.args[2].rfind("func=2", 0) != 0) continue;
            EXPECT_EQ(call.args[1].rfind(kOutput + "\\File_Save\\", 0), 0u) << call.args[1];
            EXPECT_FALSE(HasParentStep(call.args[1])) << call.args[1];
        }
        EXPECT_LT(fake.LongestPath(), 260u);
        TraceShutdown();
        std::vector<std::string> lines = LogMessages();
        int refusedRows = static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find(" folder refused for iSourceType:4: ") != std::string::npos;
        }));
        EXPECT_EQ(refusedRows, c.refused ? 14 : 0);
        if (c.read == "C:\\Program Files\\Halvorn\\CorNetPC") {
            EXPECT_TRUE(fake.files().Exists(kOutput + "\\File_Save\\Program Files\\Halvorn\\CorNetPC\\bin\\CorNetPC_Error.txt"));
        }
    }
    // A value of 300 bytes does not fit the buffer: traced, the member stays
    // empty, and the run goes on.
    fake.registry().SetValue(kGlobalKey, "SharedPath", gx::REG_SZ, std::string(299, 'S') + '\0');
    CAction action;
    Steps run = Collect(action);
    EXPECT_EQ(run.init, 1);
    EXPECT_EQ(run.registry, TRUE);
    EXPECT_EQ(action.m_szSharedPath, "");
    EXPECT_EQ(action.m_szNetPCPath, "");  // not even looked up
    EXPECT_TRUE(Logged("ERR2(234) CAction::GetAUTSW_GlobalRegistry -> SOFTWARE\\HALVORN\\AUTSW\\Global SharedPath "
                       "GetValueEx(SOFTWARE\\HALVORN\\AUTSW\\Global)"));
    EXPECT_TRUE(Logged("CAction::Init, Error GetAUTSW_GlobalRegistry"));
}

TEST_F(HostileTest, AHiveFolderThatIsAFileIsLeftAloneStopsTheExportAndIsNoHiveFolderForTheImport) {
    const std::string hiveFolder = kOutput + "\\Registry_Save";
    fake.files().WriteFile(hiveFolder, "not a folder");
    CAction action;
    Steps run = Collect(action);
    EXPECT_EQ(run.files, TRUE);
    // "Registry_Save\" names no folder, and the file refuses its creation:
    // error 0x80000002, no report.
    EXPECT_EQ(run.registry, FALSE);
    EXPECT_EQ(fake.files().ReadFile(hiveFolder), "not a folder");
    EXPECT_TRUE(Logged("DeleteAllDirecory -> dwRet:3 m_szDest_Path_Registry:" + hiveFolder + "\\"));
    EXPECT_TRUE(Logged("Tool::Collect_Registry -> Error, CreateDirectory"));
    EXPECT_FALSE(fake.files().Exists(kOutput + "\\fileattr.txt"));

    // The import tool finds no hive folder there and restores nothing.
    CAction import;
    EXPECT_EQ(import.IsCollect_Registry_Exist(), FALSE);
}

TEST_F(HostileTest, ACollectInfoThatIsAFileStopsTheRunAtTheExportWithNothingWrittenAnywhere) {
    fake.files().WriteFile(kOutput, "not a folder");
    std::map<std::string, std::string> before = Snapshot();
    Steps run;
    {
        CAction action;
        run = Collect(action);
    }
    TraceShutdown();
    EXPECT_EQ(run.files, TRUE);
    EXPECT_EQ(run.registry, FALSE);  // error 0x80000002: the hive folder cannot be created
    EXPECT_EQ(ChangedOutside(before, ""), std::vector<std::string>{});
    EXPECT_EQ(fake.files().ReadFile(kOutput), "not a folder");
    // Each failed copy and the export's failure beeped, though no line could be kept.
    EXPECT_GE(fake.ui().Beeps(), 5 * 4);
}

TEST_F(HostileTest, AReadOnlyOutputFolderKeepsEverythingOfTheEarlierRunAndEndsTheRunAtTheExport) {
    fake.files().WriteFile(kOutput + "\\gathrix.log", "earlier log\r\n");
    fake.files().WriteFile(kOutput + "\\fileattr.txt", "earlier report");
    fake.files().WriteFile(kOutput + "\\File_Save\\WINDOWS\\setupapi.log", "earlier copy");
    fake.files().WriteFile(kOutput + "\\Registry_Save\\halvorn.sav", "earlier hive");
    fake.files().ProtectFolder("C:\\Tools");
    std::map<std::string, std::string> before = Snapshot();
    Steps run;
    {
        CAction action;
        run = Collect(action);
        EXPECT_EQ(action.Collect_FileAttributes(), TRUE);
    }
    TraceShutdown();
    EXPECT_EQ(run.files, TRUE);
    // The old hive folder is still there, so the export runs and every save fails.
    EXPECT_EQ(run.registry, TRUE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::RegSaveKeyA), 5);
    EXPECT_EQ(ChangedOutside(before, ""), std::vector<std::string>{});
    EXPECT_EQ(fake.files().ReadFile(kOutput + "\\gathrix.log"), "earlier log\r\n");  // not even deleted

    // Without an earlier hive folder the export cannot create one: error 0x80000002.
    std::filesystem::remove_all(fake.files().HostPath(kOutput + "\\Registry_Save"));
    CAction again;
    EXPECT_EQ(again.Collect_Registry(), FALSE);
}

TEST_F(HostileTest, AReportLockedByAnotherProgramIsTracedAndKeepsItsContent) {
    fake.files().WriteFile(kOutput + "\\fileattr.txt", "held by an editor");
    fake.files().LockFile(kOutput + "\\FILEATTR.TXT");
    CAction action;
    ASSERT_EQ(action.Init(), 1);
    fake.ClearCalls();
    EXPECT_EQ(action.Collect_FileAttributes(), TRUE);
    EXPECT_EQ(fake.files().ReadFile(kOutput + "\\fileattr.txt"), "held by an editor");
    EXPECT_TRUE(Logged("Tool::Could not open fileattr.txt"));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::FindFirstFileA), 0);
}

TEST_F(HostileTest, AFullDiskIsTracedByEveryWriterAndNoStepStopsTheRun) {
    fake.files().MakeDirectory(kOutput);  // from an earlier run
    fake.Fail(gx::FakeOp::SHFileOperationA, gx::ERROR_DISK_FULL);
    fake.Fail(gx::FakeOp::BackupEventLogA, gx::ERROR_DISK_FULL);
    fake.Fail(gx::FakeOp::RegSaveKeyA, gx::ERROR_DISK_FULL);
    fake.Fail(gx::FakeOp::WriteFile, gx::ERROR_DISK_FULL);
    // The trace log itself loses three lines while the folders are looked up.
    fake.Fail(gx::FakeOp::AppendText, gx::ERROR_DISK_FULL, 3, 20);
    CAction action;
    Steps run = Collect(action);
    EXPECT_EQ(run.files, TRUE);
    EXPECT_EQ(run.registry, TRUE);
    TraceShutdown();
    // Both removals and every copy of a seeded file met the full disk.
    EXPECT_TRUE(Logged("DeleteAllDirecory -> dwRet:112 m_szDest_Path_Files:C:\\Tools\\CollectInfo\\File_Save\\"));
    EXPECT_TRUE(LoggedStartingWith("ERR1(112) CAction::Collect_Files -> SHFileOperation:", fake.CountOf(gx::FakeOp::SHFileOperationA) - 2));
    EXPECT_TRUE(LoggedStartingWith("Tool::Could not BackupEventLog(", 3));
    EXPECT_TRUE(Logged("Tool::Could not BackupEventLog(_SecEvent.evt)112"));
    EXPECT_TRUE(LoggedStartingWith("ERR Tool::Collect_Registry(", 5));
    EXPECT_TRUE(Logged("Tool::Could not write fileattr.txt(112)"));
    // Every line that was kept is whole: a time stamp, a TAB, the message
    // (or the empty line after a message that ends in a line feed).
    std::string log = fake.files().ReadFile(kOutput + "\\gathrix.log");
    std::size_t start = 0, lines = 0;
    while (start < log.size()) {
        std::size_t end = log.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        std::string line = log.substr(start, end - start);
        EXPECT_TRUE(line.empty() || line.find('\t') != std::string::npos) << line;
        start = end + 2;
        ++lines;
    }
    EXPECT_GT(lines, 100u);
    EXPECT_EQ(LogMessages().back(), "TraceOut::~TraceOut()");
}

TEST_F(HostileTest, AnExecutablePathThePlatformCannotGiveLeavesNoLogAndNoDestinations) {
    fake.files().MakeDirectory(kOutput);
    fake.process().SetModulePath("");  // GetModuleFileNameA returns 0
    std::map<std::string, std::string> before = Snapshot();
    Steps run;
    {
        CAction action;
        EXPECT_EQ(action.m_szDest_Path, "");
        run = Collect(action);
    }
    TraceShutdown();
    EXPECT_EQ(run.registry, FALSE);
    EXPECT_EQ(ChangedOutside(before, ""), std::vector<std::string>{});
    EXPECT_EQ(fake.CountOf(gx::FakeOp::DeleteFileA), 0);  // no old log looked for in the current folder
}

// A junction in the output tree (made by whoever may write beside the
// executable) to a folder the run must not touch: nothing is deleted or
// written through it, each refusal is an ERR line, and a hive folder that is
// one ends the run with error 0x80000002, as one that cannot be made does.
TEST_F(HostileTest, NoStepDeletesOrWritesThroughAJunctionInTheOutputTree) {
    const std::string target = "C:\\WINDOWS\\system32\\config";
    const struct {
        const char* link;  // below C:\Tools
        gx::BOOL registry;
        std::vector<std::string> lines;
    } cases[] = {
        {"CollectInfo", FALSE, {}},  // no log either: it would be written through the link
        {"CollectInfo\\File_Save", TRUE,
         {"DeleteAllDirecory -> dwRet:681 m_szDest_Path_Files:C:\\Tools\\CollectInfo\\File_Save\\",
          "ERR CTool::CopyFileTo -> reparse point, not followed: C:\\Tools\\CollectInfo\\File_Save",
          "ERR CAction::Collect_Files -> reparse point, not followed: C:\\Tools\\CollectInfo\\File_Save"}},
        {"CollectInfo\\File_Save\\WINDOWS", TRUE,
         {"DeleteAllDirecory -> dwRet:681 m_szDest_Path_Files:C:\\Tools\\CollectInfo\\File_Save\\",
          "ERR CAction::Xc_del_dir -> reparse point, not followed: C:\\Tools\\CollectInfo\\File_Save\\WINDOWS",
          "ERR CTool::CopyFileTo -> reparse point, not followed: C:\\Tools\\CollectInfo\\File_Save\\WINDOWS"}},
        {"CollectInfo\\Registry_Save", FALSE,
         {"DeleteAllDirecory -> dwRet:681 m_szDest_Path_Registry:C:\\Tools\\CollectInfo\\Registry_Save\\",
          "ERR Tool::Collect_Registry -> reparse point, not followed: C:\\Tools\\CollectInfo\\Registry_Save"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        TraceShutdown();
        fs::remove_all(fake.files().HostPath("C:\\Tools\\CollectInfo"));
        if (std::string(c.link) != "CollectInfo") fake.files().MakeDirectory(kOutput);
        fake.files().WriteFile(target + "\\SAM", "the machine's accounts");
        fake.files().WriteFile(target + "\\setupapi.log", "not the copy's");
        fake.files().MakeJunction(std::string("C:\\Tools\\") + c.link, target);
        std::map<std::string, std::string> before = Snapshot();
        Steps run;
        {
            CAction action;
            run = Collect(action);
        }
        TraceShutdown();
        EXPECT_EQ(run.files, TRUE);
        EXPECT_EQ(run.registry, c.registry);
        EXPECT_EQ(ChangedOutside(before, kOutput), std::vector<std::string>{});
        EXPECT_EQ(fake.files().ReadFile(target + "\\SAM"), "the machine's accounts");
        for (const std::string& line : c.lines) EXPECT_TRUE(Logged(line));
        fs::remove(fake.files().HostPath(std::string("C:\\Tools\\") + c.link));
    }
}

TEST_F(HostileTest, RemovalNeverClimbsOutOfTheOutputFolder) {
    fake.files().WriteFile("C:\\Tools\\keep.txt", "beside the output");
    CAction action;
    for (const char* folder : {"C:\\Tools\\CollectInfo\\..\\", "C:\\Tools\\CollectInfo\\File_Save\\..\\..",
                               "C:\\Tools\\CollectInfo\\. .\\"}) {
        EXPECT_EQ(action.Xc_del_dir(folder), gx::ERROR_INVALID_PARAMETER) << folder;
    }
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 0);
    EXPECT_EQ(fake.files().ReadFile("C:\\Tools\\keep.txt"), "beside the output");
}

TEST_F(HostileTest, ABranchRefusedToTheExportIsTracedAndTheOtherHivesAreSaved) {
    fake.files().MakeDirectory(kOutput);
    fake.registry().DenyOpen("System\\CurrentControlSet\\Services");
    CAction action;
    EXPECT_EQ(action.Collect_Registry(), TRUE);
    EXPECT_TRUE(Logged("Tool::Collect_Registry(System\\CurrentControlSet\\Services): RegOpenKeyEx(5)"));
    EXPECT_FALSE(fake.files().Exists(kOutput + "\\Registry_Save\\services.sav"));
    EXPECT_TRUE(fake.files().Exists(kOutput + "\\Registry_Save\\msole.sav"));
}

// A file system that hands over an entry name filling the whole buffer,
// without its terminator.
class UnterminatedNames : public gx::FakePlatform {
public:
    gx::HANDLE FindFirstFileA(const char* pattern, gx::WIN32_FIND_DATAA* data) override {
        gx::HANDLE find = FakePlatform::FindFirstFileA(pattern, data);
        if (find != gx::INVALID_HANDLE_VALUE) Fill(data);
        return find;
    }
    gx::BOOL FindNextFileA(gx::HANDLE find, gx::WIN32_FIND_DATAA* data) override {
        gx::BOOL found = FakePlatform::FindNextFileA(find, data);
        if (found) Fill(data);
        return found;
    }

private:
    static void Fill(gx::WIN32_FIND_DATAA* data) {
        std::memset(data->cFileName, 'N', sizeof(data->cFileName));
        data->dwFileAttributes |= gx::FILE_ATTRIBUTE_READONLY;
    }
};

TEST_F(HostileTest, TheReportSurvivesUnterminatedNamesFailedSearchesAndFoldersPastTheLimit) {
    UnterminatedNames names;
    {
        gx::ScopedPlatform scope(names);
        names.files().MakeDirectory(kOutput);
        names.files().MakeDirectory("C:\\WINDOWS\\system32\\drivers");
        CAction action;
        action.m_szWindowsPath = "C:\\WINDOWS";
        action.m_szProgramFiles = "C:\\" + std::string(253, 'p');  // its pattern would be 260 characters
        EXPECT_EQ(action.Collect_FileAttributes(), TRUE);
        // system32 lists ".", ".." and "drivers", each cut at the buffer's end.
        const std::string line = std::string(260, 'N') + " Attribute:readonly \r\n";
        std::string report = names.files().ReadFile(kOutput + "\\fileattr.txt");
        EXPECT_NE(report.find(line + line + line + "\r\n attribute of C:\\WINDOWS\\system32\\drivers"),
                  std::string::npos);
        EXPECT_EQ(names.files().OpenFinds(), 0);
        EXPECT_LT(names.LongestPath(), 260u);
        TraceShutdown();
    }
    // With the fake of the fixture: a search that cannot start lists nothing.
    fake.files().MakeDirectory(kOutput);
    fake.files().MakeDirectory("C:\\WINDOWS\\system32\\drivers");
    fake.files().WriteFile("C:\\WINDOWS\\system32\\locked.dll", "x");
    fake.files().SetExtraAttributes("C:\\WINDOWS\\system32\\locked.dll", gx::FILE_ATTRIBUTE_READONLY);
    fake.Fail(gx::FakeOp::FindFirstFileA, gx::ERROR_ACCESS_DENIED);
    CAction action;
    action.m_szWindowsPath = "C:\\WINDOWS";
    action.m_szProgramFiles = "C:\\" + std::string(253, 'p');
    EXPECT_EQ(action.Collect_FileAttributes(), TRUE);
    std::string report = fake.files().ReadFile(kOutput + "\\fileattr.txt");
    EXPECT_NE(report.find("attribute of C:\\WINDOWS\\system32: 16"), std::string::npos);
    EXPECT_EQ(report.find("locked.dll"), std::string::npos);
    EXPECT_TRUE(Logged("Tool::Collect_FileAttributes " + action.m_szProgramFiles + " fail(206)"));
}

TEST_F(HostileTest, AServicePackTextWithoutTerminatorIsCutInsideItsField) {
    fake.files().MakeDirectory(kOutput);
    gx::OSVERSIONINFOEXA version = fake.process().Version();
    std::memset(version.szCSDVersion, 'S', sizeof(version.szCSDVersion));
    fake.process().SetVersion(version);
    { CAction action; }
    EXPECT_TRUE(Logged("  CTool::CheckOS, szCSDVersion  :" + std::string(sizeof(version.szCSDVersion) - 1, 'S')));
    EXPECT_TRUE(Logged("< CTool::CheckOS, m_iWinOS      :6"));
}

// A shell that fills the whole buffer and leaves out the terminator.
class UnterminatedFolders : public gx::FakePlatform {
public:
    gx::HRESULT Call_SHGetFolderPathA(gx::FARPROC proc, gx::HWND owner, int csidl, gx::HANDLE token,
                                      gx::DWORD flags, char* path) override {
        gx::HRESULT result = FakePlatform::Call_SHGetFolderPathA(proc, owner, csidl, token, flags, path);
        std::memset(path, 'F', gx::MAX_PATH);
        return result;
    }
    gx::UINT Call_GetSystemWindowsDirectoryA(gx::FARPROC proc, char* buffer, gx::UINT size) override {
        FakePlatform::Call_GetSystemWindowsDirectoryA(proc, buffer, size);
        std::memset(buffer, 'W', size);
        return size;
    }
};

TEST_F(HostileTest, FolderAnswersWithoutTerminatorAreCutInsideTheirBuffers) {
    UnterminatedFolders folders;
    gx::ScopedPlatform scope(folders);
    CAction action;
    action.m_iWinOS = 5;  // Windows 2000 asks for the system Windows folder too
    EXPECT_EQ(action.GetWindowsPath(), 1);
    EXPECT_EQ(action.m_szProgramFiles, std::string(gx::MAX_PATH - 1, 'F'));
    EXPECT_EQ(action.m_szUserWindowsPath, std::string(gx::MAX_PATH - 1, 'F'));
    EXPECT_EQ(action.m_szWindowsPath, std::string(gx::MAX_PATH - 1, 'W'));
    EXPECT_EQ(action.m_szSystemDrive, "C:\\");
    TraceShutdown();
}

}  // namespace
