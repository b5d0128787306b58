#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files_fixture.h"
#include "framework/winapp.h"
#include "resource.h"

using namespace filestest;

namespace {

// Index into FileTable of the first row of `type` in group 1 or 2.
int RowOf(int group, int type) {
    int first = group == 1 ? 0 : kFileTableGroup1;
    int end = group == 1 ? kFileTableGroup1 : kFileTableSize;
    for (int i = first; i < end; ++i)
        if (FileTable[i].iSourceType == type) return i;
    ADD_FAILURE() << "no row of type " << type << " in group " << group;
    return 0;
}

std::vector<std::vector<std::string>> ArgsOf(const gx::FakePlatform& fake, gx::FakeOp name) {
    std::vector<std::vector<std::string>> args;
    for (const gx::FakeCall& call : fake.CallsOf(name)) args.push_back(call.args);
    return args;
}

class CollectFilesTest : public FilesTest {};

TEST_F(CollectFilesTest, SourceFolderByTypeAndDestinationMirroredWithoutTheDriveRoot) {
    CAction action;
    SetFolders(action);
    ASSERT_EQ(action.Collect_Files(), TRUE);
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 114u);

    struct Case {
        int group, type;
        std::string folder;  // source folder
        std::string mirror;  // its image below File_Save
    };
    const std::string sp1 = FileTable[RowOf(1, 4)].szSourcePath;
    const std::string sp2 = FileTable[RowOf(2, 4)].szSourcePath;
    const std::string setup = "\\Halvorn\\Automation\\LogFiles\\setup";
    const std::string sp13 = FileTable[RowOf(2, 13)].szSourcePath;
    const std::string sp14 = FileTable[RowOf(2, 14)].szSourcePath;
    const std::vector<Case> cases = {
        {1, 1, kWindows, "WINDOWS\\"},
        {1, 4, kNetPC + "\\" + sp1, "Program Files\\Halvorn\\CorNetPC\\" + sp1 + "\\"},
        {1, 5, kShared, "Program Files\\Halvorn\\Shared\\"},
        {1, 6, kWindows + "\\setup", "WINDOWS\\setup\\"},
        {1, 7, kUserWindows, "Documents and Settings\\user\\WINDOWS\\"},
        {1, 8, kWindows + "\\setup\\logfiles", "WINDOWS\\setup\\logfiles\\"},
        {1, 9, "C:", ""},
        {1, 10, kWindows + "\\system32", "WINDOWS\\system32\\"},
        {2, 1, kWindows, "WINDOWS\\"},
        {2, 4, kNetPC + "\\" + sp2, "Program Files\\Halvorn\\CorNetPC\\" + sp2 + "\\"},
        {2, 12, kCommApp + setup, "Documents and Settings\\All Users\\Application Data" + setup + "\\"},
        {2, 13, kCommDoc + sp13, "Documents and Settings\\All Users\\Documents" + sp13 + "\\"},
        {2, 14, kLocApp + sp14, "Documents and Settings\\user\\Local Settings\\Application Data" + sp14 + "\\"},
    };
    for (const Case& c : cases) {
        int k = RowOf(c.group, c.type);
        std::string name = FileTable[k].szFileName;
        SCOPED_TRACE("group " + std::to_string(c.group) + " type " + std::to_string(c.type) + " " + name);
        EXPECT_EQ(rows[k].from, c.folder + "\\" + name);
        EXPECT_EQ(rows[k].to, kFileSave + c.mirror + name);
    }
    // The separator the subfolder brings is doubled in group 1 only.
    EXPECT_NE(rows[RowOf(1, 4)].from.find("CorNetPC\\\\"), std::string::npos);
    EXPECT_EQ(rows[RowOf(2, 4)].from.find("\\\\"), std::string::npos);
    EXPECT_EQ(rows[RowOf(1, 9)].from.find("\\\\"), std::string::npos);
    // Each row asked for its own source.
    ASSERT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 114);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::GetFileAttributesA)[RowOf(1, 9)].args[0],
              std::string("C:\\") + FileTable[RowOf(1, 9)].szFileName);
    // Types no row uses.
    const std::vector<std::pair<int, std::string>> unused = {
        {2, "C:\\Program Files"}, {3, "C:\\Program Files\\Common Files"}, {11, kWindows + "\\system32\\config"}};
    for (const auto& type : unused) {
        CollectedFile row = FileTable[0];
        row.iSourceType = type.first;
        EXPECT_EQ(CollectedFileFolder(action, row), type.second) << type.first;
    }
}

TEST_F(CollectFilesTest, RowLinesCarryIndexWithinTheGroupAndTheRowFields) {
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 114u);
    EXPECT_EQ(rows[0].first, "CAction::Collect_Files, 1_1 i:0 iCopyMode:1 iSourceType:1 iRet:0");
    EXPECT_EQ(rows[0].second, std::string("CAction::Collect_Files, 2_1 i:0 szFileName:") +
                                  FileTable[0].szFileName + " szSourcePath:????");
    int last = kFileTableSize - 1;
    EXPECT_EQ(rows[last].first, "CAction::Collect_Files, 1_1 i:59 iCopyMode:1 iSourceType:" +
                                    std::to_string(FileTable[last].iSourceType) + " iRet:0");
    EXPECT_EQ(rows[last].second, std::string("CAction::Collect_Files, 2_1 i:59 szFileName:") +
                                     FileTable[last].szFileName + " szSourcePath:" + FileTable[last].szSourcePath);
    std::vector<std::string> lines = LogMessages();
    std::vector<std::string> counts;
    for (const std::string& line : lines)
        if (line.rfind("CAction::Collect_Files (XP)", 0) == 0 || line.rfind("=====", 0) == 0 ||
            line.rfind("> CAction::", 0) == 0)
            counts.push_back(line);
    EXPECT_EQ(counts, (std::vector<std::string>{"> CAction::Collect_Files", "CAction::Collect_Files (XP), iCount:54",
                                                "CAction::Collect_Files (XP), iCount:60",
                                                "======================================"}));
}

TEST_F(CollectFilesTest, VistaAndLaterRunGroupTwoOnly) {
    CAction action;
    SetFolders(action);
    action.m_iWinOS = 9;
    action.Collect_Files();
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 60u);
    EXPECT_EQ(rows[0].second, std::string("CAction::Collect_Files, 2_1 i:0 szFileName:") +
                                  FileTable[kFileTableGroup1].szFileName + " szSourcePath:????");
    std::vector<std::string> lines = LogMessages();
    EXPECT_FALSE(Contains(lines, "CAction::Collect_Files (XP), iCount:54"));
    EXPECT_TRUE(Contains(lines, "CAction::Collect_Files (XP), iCount:60"));
    for (int i = 0; i < kFileTableGroup1; ++i) EXPECT_EQ(FileTable[i].iRet, 0);
}

TEST_F(CollectFilesTest, TypeOutsideTheTableIsTracedAndSteppedButNotTouched) {
    FileTable[3].iSourceType = 15;
    FileTable[3].iRet = 7;
    FileTable[kFileTableGroup1].iSourceType = 0;
    CProgressCtrl progress;
    progress.Attach(fake.ui().AddWindow(IDC_PROGRESS, "msctls_progress32"));
    CAction action(&progress, nullptr);
    SetFolders(action);
    action.Collect_Files();
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 114u);
    EXPECT_EQ(rows[3].first, "CAction::Collect_Files, 1_1 i:3 iCopyMode:1 iSourceType:15 iRet:7");
    EXPECT_EQ(rows[3].lines.size(), 1u);  // only its "2_1" line
    EXPECT_TRUE(rows[3].from.empty());
    EXPECT_EQ(rows[kFileTableGroup1].lines.size(), 1u);
    EXPECT_EQ(FileTable[3].iRet, 7);
    EXPECT_EQ(FileTable[kFileTableGroup1].iRet, 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 112);
    int steps = 0;
    for (const auto& args : ArgsOf(fake, gx::FakeOp::SendMessageA)) steps += args[1] == "0x405" ? 1 : 0;
    EXPECT_EQ(steps, 114);
}

// The progress messages of a run, without the progress control's id.
std::vector<std::string> ProgressMessages(const gx::FakePlatform& fake) {
    std::vector<std::string> messages;
    for (const auto& args : ArgsOf(fake, gx::FakeOp::SendMessageA)) {
        EXPECT_EQ(args[0], std::to_string(IDC_PROGRESS));
        messages.push_back(args[1] + " " + args[2] + " " + args[3]);
    }
    return messages;
}

std::vector<std::string> Group(int maximum, int steps) {
    char range[32];
    std::snprintf(range, sizeof(range), "0x401 0 0x%X", static_cast<unsigned>(maximum) << 16);
    std::vector<std::string> messages = {range, "0x404 1 0x0"};
    messages.insert(messages.end(), static_cast<std::size_t>(steps), "0x405 0 0x0");
    return messages;
}

class ProgressTest : public FilesTest {
protected:
    ProgressTest() {
        progress.Attach(fake.ui().AddWindow(IDC_PROGRESS, "msctls_progress32"));
        status.Attach(fake.ui().AddWindow(IDC_STATUS, "Static"));
    }
    CProgressCtrl progress;
    CStatic status;
};

TEST_F(ProgressTest, VistaSetsOneRangeOfSixtyAndStepsSixtyTimes) {
    CAction action(&progress, &status);
    SetFolders(action);
    action.m_iWinOS = 9;
    action.Collect_Files();
    EXPECT_EQ(ProgressMessages(fake), Group(60, 60));
    EXPECT_EQ(fake.ui().Window(progress.m_hWnd).position, 60);
    EXPECT_EQ(fake.process().Sleeps(), 60);
}

TEST_F(ProgressTest, OtherSystemsSetTwoRangesWithoutResettingThePosition) {
    CAction action(&progress, &status);
    SetFolders(action);
    action.Collect_Files();
    std::vector<std::string> expected = Group(54, 54);
    std::vector<std::string> second = Group(60, 60);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(ProgressMessages(fake), expected);
    // Position 54 carried into 0..60: six steps to the end, then the bar wraps.
    EXPECT_EQ(fake.ui().Window(progress.m_hWnd).position, 54);
}

TEST_F(ProgressTest, EachRowShowsItsNameDrainsTheQueueAndPausesBeforeItsCopy) {
    fake.PostMessageA(status.m_hWnd, gx::WM_NULL, 0, 0);
    fake.PostMessageA(status.m_hWnd, gx::WM_PAINT, 0, 0);
    CAction action(&progress, &status);
    SetFolders(action);
    action.Collect_Files();

    std::vector<std::string> texts;
    for (const auto& args : ArgsOf(fake, gx::FakeOp::SetWindowTextA)) {
        EXPECT_EQ(args[0], std::to_string(IDC_STATUS));
        texts.push_back(args[1]);
    }
    ASSERT_EQ(texts.size(), 114u);
    for (int i = 0; i < kFileTableSize; ++i) EXPECT_EQ(texts[i], FileTable[i].szFileName);
    EXPECT_EQ(fake.process().Sleeps(), 114);
    EXPECT_EQ(fake.process().SleptMs(), 114u * 250u);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::DispatchMessageA), 2);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::TranslateMessage), 2);

    // Per row: step, text, pump, then the source is looked at.
    std::vector<std::string> order;
    for (const gx::FakeCall& call : fake.Calls()) {
        if (call.op == gx::FakeOp::SendMessageA && call.args[1] == "0x405") order.push_back("step");
        else if (call.op == gx::FakeOp::SetWindowTextA) order.push_back("text");
        else if (call.op == gx::FakeOp::DispatchMessageA) order.push_back("dispatch");
        else if (call.op == gx::FakeOp::GetFileAttributesA) order.push_back("source");
        if (order.size() == 7) break;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"step", "text", "dispatch", "dispatch", "source", "step", "text"}));
}

TEST_F(FilesTest, WithoutControlsThereIsNoProgressNoPumpAndNoPause) {
    fake.files().WriteFile(kWindows + "\\setupapi.log", "device log");
    fake.PostMessageA(nullptr, gx::WM_NULL, 0, 0);
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SendMessageA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SetWindowTextA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::PeekMessageA), 0);
    EXPECT_EQ(fake.process().Sleeps(), 0);
    EXPECT_EQ(fake.ui().QueuedMessages(), 1u);
    EXPECT_EQ(fake.files().ReadFile(kFileSave + "WINDOWS\\setupapi.log"), "device log");
    EXPECT_EQ(Rows().size(), 114u);
}

TEST_F(FilesTest, StatusWithoutProgressPumpsButSendsNoProgressMessages) {
    CStatic status;
    status.Attach(fake.ui().AddWindow(IDC_STATUS, "Static"));
    CAction action(nullptr, &status);
    SetFolders(action);
    action.Collect_Files();
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SendMessageA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SetWindowTextA), 114);
    EXPECT_EQ(fake.process().Sleeps(), 114);
}

TEST_F(FilesTest, CopyIsOneShellCopyWithListsFlagsAndTheMainWindowAsOwner) {
    fake.files().WriteFile(kWindows + "\\setupapi.log", "device log");
    fake.files().WriteFile("C:\\HvBootInst.log", "root log");
    CWinApp app("gathrix");
    app.m_hMainWnd = fake.ui().AddWindow(IDD_GATHRIX_DIALOG, "#32770");
    CAction action;
    SetFolders(action);
    action.Collect_Files();

    std::vector<std::vector<std::string>> copies = ArgsOf(fake, gx::FakeOp::SHFileOperationA);
    ASSERT_EQ(copies.size(), 3u);  // setupapi.log in both groups, the root file once
    EXPECT_EQ(copies[0], (std::vector<std::string>{kWindows + "\\setupapi.log", kFileSave + "WINDOWS\\setupapi.log",
                                                   "func=2 flags=0x211", "owner=window"}));
    EXPECT_EQ(copies[1][1], kFileSave + "HvBootInst.log");
    EXPECT_EQ(fake.files().ReadFile(kFileSave + "HvBootInst.log"), "root log");
    EXPECT_EQ(copies[2], copies[0]);
    EXPECT_EQ(FileTable[0].iRet, 1);
    EXPECT_EQ(FileTable[kFileTableGroup1].iRet, 1);
    EXPECT_EQ(fake.ui().Beeps(), 0);
}

TEST_F(FilesTest, WithoutAnApplicationTheCopyHasNoOwner) {
    fake.files().WriteFile(kWindows + "\\setupapi.log", "device log");
    CAction action;
    SetFolders(action);
    action.m_iWinOS = 9;
    action.Collect_Files();
    ASSERT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 1);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::SHFileOperationA)[0].args[3], "owner=null");
}

TEST_F(FilesTest, MissingSourceIsNotCopiedAndCountsAsDone) {
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 114u);
    std::string source = kWindows + "\\" + FileTable[1].szFileName;
    EXPECT_EQ(rows[1].lines,
              (std::vector<std::string>{
                  rows[1].second,
                  "> CTool::CopyFileTo, From " + source + " To " + kFileSave + "WINDOWS\\" + FileTable[1].szFileName,
                  "CTool::CopyFileTo -> GetFileAttributes, (LPCSTR)szFullSourcePath:" + source + ",dwRet=-1",
                  "Tool::CopyFileTo -> File not exist"}));
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 0);
    for (const CollectedFile& row : FileTable) EXPECT_EQ(row.iRet, 1) << row.szFileName;
    EXPECT_FALSE(fake.files().Exists(kFileSave));
    EXPECT_EQ(fake.ui().Beeps(), 0);
}

TEST_F(FilesTest, FailedCopyIsAnErrorLineAndTheRunGoesOn) {
    fake.files().WriteFile(kWindows + "\\setupapi.log", "device log");
    fake.files().WriteFile(kWindows + "\\CorNetPC_LOG.txt", "setup log");
    fake.Fail(gx::FakeOp::SHFileOperationA, 0x75, 1);
    CAction action;
    SetFolders(action);
    EXPECT_EQ(action.Collect_Files(), TRUE);
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 114u);
    EXPECT_EQ(rows[0].lines.back(), "ERR1(117) CAction::Collect_Files -> SHFileOperation:0");
    EXPECT_EQ(fake.ui().Beeps(), 5);  // one error line
    EXPECT_EQ(FileTable[0].iRet, 0);
    EXPECT_EQ(FileTable[1].iRet, 1);
    EXPECT_EQ(fake.files().ReadFile(kFileSave + "WINDOWS\\CorNetPC_LOG.txt"), "setup log");
    // The same file again in group 2 succeeds.
    EXPECT_EQ(FileTable[kFileTableGroup1].iRet, 1);
    EXPECT_EQ(fake.files().ReadFile(kFileSave + "WINDOWS\\setupapi.log"), "device log");
}

TEST_F(FilesTest, LockedSourceFailsWithTheShellsCodeAndTheLastError) {
    fake.files().WriteFile(kWindows + "\\setupapi.log", "device log");
    fake.files().LockFile(kWindows + "\\SETUPAPI.LOG");
    CAction action;
    SetFolders(action);
    action.m_iWinOS = 9;
    action.Collect_Files();
    EXPECT_TRUE(Contains(LogMessages(), "ERR1(1223) CAction::Collect_Files -> SHFileOperation:0"));
    EXPECT_EQ(FileTable[kFileTableGroup1].iRet, 0);
}

TEST_F(FilesTest, SecondRunTracesTheFirstRunsResultsAndOverwritesItsCopies) {
    fake.files().WriteFile(kWindows + "\\setupapi.log", "first");
    fake.files().WriteFile(kWindows + "\\CorNetPC_LOG.txt", "setup log");
    fake.Fail(gx::FakeOp::SHFileOperationA, 0x75, 1, 1);  // the second copy: CorNetPC_LOG.txt of group 1
    {
        CAction action;
        SetFolders(action);
        action.Collect_Files();
    }
    ASSERT_EQ(FileTable[0].iRet, 1);
    ASSERT_EQ(FileTable[1].iRet, 0);
    TraceShutdown();  // a new log for the next run
    fake.files().WriteFile(kWindows + "\\setupapi.log", "second");
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 114u);
    EXPECT_EQ(rows[0].first, "CAction::Collect_Files, 1_1 i:0 iCopyMode:1 iSourceType:1 iRet:1");
    EXPECT_EQ(rows[1].first, "CAction::Collect_Files, 1_1 i:1 iCopyMode:1 iSourceType:1 iRet:0");
    EXPECT_EQ(rows[2].first, "CAction::Collect_Files, 1_1 i:2 iCopyMode:1 iSourceType:1 iRet:1");
    EXPECT_EQ(FileTable[1].iRet, 1);
    EXPECT_EQ(fake.files().ReadFile(kFileSave + "WINDOWS\\setupapi.log"), "second");
}

TEST_F(FilesTest, UnknownFoldersAreNotLookedUpRelativeToTheCurrentDrive) {
    CAction action;
    SetFolders(action);
    action.m_szNetPCPath.clear();  // product not installed
    action.m_szCommAppPath.clear();
    action.m_szSystemDrive.clear();
    action.Collect_Files();
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 114u);
    int k = RowOf(1, 4);
    EXPECT_EQ(rows[k].lines.back(), "CAction::Collect_Files, i:" + std::to_string(k) + " no folder for iSourceType:4");
    EXPECT_TRUE(rows[k].from.empty());
    EXPECT_TRUE(rows[RowOf(2, 12)].from.empty());
    EXPECT_TRUE(rows[RowOf(1, 9)].from.empty());
    EXPECT_EQ(FileTable[k].iRet, 1);
    for (const gx::FakeCall& call : fake.CallsOf(gx::FakeOp::GetFileAttributesA))
        EXPECT_EQ(call.args[0].substr(0, 3), "C:\\") << call.args[0];
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 114 - 14 - 38 - 1);
}

TEST_F(FilesTest, OverlongPathsRefuseTheRowAndTheRunGoesOn) {
    CAction action;
    SetFolders(action);
    action.m_iWinOS = 9;
    action.m_szCommAppPath = "C:\\" + std::string(230, 'a');  // the setup subfolder makes it too long
    action.m_szCommDocPath = "C:\\" + std::string(150, 'd');  // still fits
    fake.files().WriteFile(action.m_szCommDocPath + FileTable[RowOf(2, 13)].szSourcePath + "\\" +
                       FileTable[RowOf(2, 13)].szFileName,
                   "report");
    action.Collect_Files();
    std::vector<RowRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 60u);
    int k = RowOf(2, 12);
    EXPECT_EQ(rows[k - kFileTableGroup1].lines.back().rfind("ERR CTool::CopyFileTo -> path too long (", 0), 0u);
    EXPECT_EQ(FileTable[k].iRet, 0);
    int copied = RowOf(2, 13);
    EXPECT_EQ(FileTable[copied].iRet, 1);
    ASSERT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 1);
    EXPECT_EQ(fake.CallsOf(gx::FakeOp::SHFileOperationA)[0].args[1], rows[copied - kFileTableGroup1].to);
    EXPECT_EQ(fake.ui().Beeps(), 38 * 5);
}

TEST_F(FilesTest, RefusedDestinationCopiesAndBacksUpNothing) {
    fake.files().WriteFile(kWindows + "\\setupapi.log", "device log");
    CAction action;
    SetFolders(action);
    action.m_szDest_Path.clear();
    action.m_szDest_Path_Files.clear();
    action.m_szDest_Path_Registry.clear();
    EXPECT_EQ(action.Collect_Files(), TRUE);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::GetFileAttributesA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::SHFileOperationA), 0);
    EXPECT_EQ(fake.CountOf(gx::FakeOp::OpenEventLogA), 0);
    EXPECT_TRUE(Contains(LogMessages(), "ERR CAction::Collect_Files -> no destination folder"));
}

// ---- event logs -------------------------------------------------------------

TEST_F(FilesTest, EventLogsAreBackedUpIntoTheFileFolderInOrder) {
    fake.files().MakeDirectory(kFileSave);
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    std::vector<std::vector<std::string>> opened = ArgsOf(fake, gx::FakeOp::OpenEventLogA);
    EXPECT_EQ(opened, (std::vector<std::vector<std::string>>{
                          {"local", "System"}, {"local", "Application"}, {"local", "Security"}}));
    std::vector<std::vector<std::string>> backups = ArgsOf(fake, gx::FakeOp::BackupEventLogA);
    EXPECT_EQ(backups, (std::vector<std::vector<std::string>>{{"System", kFileSave + "_SysEvent.evt"},
                                                              {"Application", kFileSave + "_AppEvent.evt"},
                                                              {"Security", kFileSave + "_SecEvent.evt"}}));
    EXPECT_EQ(fake.eventLog().OpenLogs(), 0);
    EXPECT_EQ(LogMessages()[LogMessages().size() - 1], "< CAction::Collect_Files");
    // BackupEventLog needs SeBackupPrivilege enabled: on around the backups, off after them.
    std::vector<std::string> order;
    for (const gx::FakeCall& call : fake.Calls()) {
        if (call.op == gx::FakeOp::LookupPrivilegeValueA) order.push_back(call.args[1]);
        if (call.op == gx::FakeOp::BackupEventLogA) order.push_back(call.args[0]);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"SeBackupPrivilege", "System", "Application", "Security", "SeBackupPrivilege"}));
    EXPECT_TRUE(fake.security().EnabledPrivileges().empty());
}

TEST_F(FilesTest, LogThatCannotBeOpenedIsSkippedSilently) {
    fake.files().MakeDirectory(kFileSave);
    fake.Fail(gx::FakeOp::OpenEventLogA, gx::ERROR_ACCESS_DENIED).WhenArg(1, "Security");
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    EXPECT_EQ(fake.CountOf(gx::FakeOp::BackupEventLogA), 2);
    EXPECT_TRUE(fake.files().Exists(kFileSave + "_AppEvent.evt"));
    EXPECT_FALSE(fake.files().Exists(kFileSave + "_SecEvent.evt"));
    for (const std::string& line : LogMessages()) EXPECT_EQ(line.find("BackupEventLog"), std::string::npos) << line;
}

TEST_F(FilesTest, FailedBackupTracesItsCodeAndTheNextLogIsStillBackedUp) {
    fake.files().WriteFile(kFileSave + "_AppEvent.evt", "earlier run");
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    std::vector<std::string> lines = LogMessages();
    EXPECT_TRUE(Contains(lines, "Tool::Could not BackupEventLog(_AppEvent.evt)183"));
    EXPECT_FALSE(Contains(lines, "Tool::Could not BackupEventLog(_SysEvent.evt)183"));
    EXPECT_TRUE(fake.files().Exists(kFileSave + "_SecEvent.evt"));
    EXPECT_EQ(fake.files().ReadFile(kFileSave + "_AppEvent.evt"), "earlier run");
    EXPECT_EQ(fake.eventLog().OpenLogs(), 0);
    EXPECT_EQ(fake.ui().Beeps(), 0);
}

TEST_F(FilesTest, WithNothingCopiedEveryBackupFailsForTheMissingFolder) {
    CAction action;
    SetFolders(action);
    action.Collect_Files();
    std::vector<std::string> lines = LogMessages();
    // Each line ends in its own line feed, which leaves an empty line.
    std::vector<std::string> tail(lines.end() - 7, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Tool::Could not BackupEventLog(_SysEvent.evt)3", "",
                                              "Tool::Could not BackupEventLog(_AppEvent.evt)3", "",
                                              "Tool::Could not BackupEventLog(_SecEvent.evt)3", "",
                                              "< CAction::Collect_Files"}));
    EXPECT_FALSE(fake.files().Exists(kFileSave));
}

// 64-bit Windows: a row below System32 copies the real file, not its
// SysWOW64 namesake, and nothing else of the run changes.
TEST_F(CollectFilesTest, On64BitWindowsSystem32RowsCopyTheRealFile) {
    fake.process().SetWow64(true);
    const CollectedFile& row = FileTable[RowOf(2, 10)];
    fake.files().WriteFile(kWindows + "\\system32\\" + row.szFileName, "native");
    fake.files().WriteFile(kWindows + "\\SysWOW64\\" + row.szFileName, "wow64");
    CAction action;
    SetFolders(action);
    ASSERT_EQ(action.Collect_Files(), TRUE);
    EXPECT_EQ(fake.files().ReadFile(kFileSave + "WINDOWS\\system32\\" + row.szFileName), "native");
    EXPECT_TRUE(fake.process().FsRedirected());
}

// Since Vista the device-setup log is INF\setupapi.dev.log: collected
// mirrored beside the rows, whole while small, else its newest 8 MB from a
// line start; not looked for on older systems.
TEST_F(CollectFilesTest, VistaCollectsTheNewestPartOfTheDeviceSetupLog) {
    const std::string log = kWindows + "\\INF\\setupapi.dev.log";
    const std::string copy = kFileSave + "WINDOWS\\INF\\setupapi.dev.log";
    fake.files().WriteFile(log, ">>>  [Device Install]\r\n<<<  Section end\r\n");
    {
        CAction action;
        SetFolders(action);
        ASSERT_EQ(action.Collect_Files(), TRUE);
        EXPECT_FALSE(fake.files().Exists(copy));
        action.m_iWinOS = 9;
        ASSERT_EQ(action.Collect_Files(), TRUE);
        EXPECT_EQ(fake.files().ReadFile(copy), fake.files().ReadFile(log));
        EXPECT_EQ(action.m_Record.setupDevLog.outcome, ItemOutcome::Written);
        EXPECT_FALSE(action.m_Record.setupDevLogCut);
    }
    const std::string line = ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1234]\r\n";
    std::string big;
    while (big.size() < (9u << 20)) big += line;
    big += "<<<  [Exit status: FAILURE(0xe0000219)]\r\n";
    fake.files().WriteFile(log, big);
    CAction action;
    SetFolders(action);
    action.m_iWinOS = 9;
    ASSERT_EQ(action.Collect_Files(), TRUE);
    const std::string newest = fake.files().ReadFile(copy);
    EXPECT_TRUE(action.m_Record.setupDevLogCut);
    EXPECT_LE(newest.size(), 8u << 20);
    EXPECT_GT(newest.size(), (8u << 20) - line.size());
    EXPECT_EQ(newest.compare(0, line.size(), line), 0);
    EXPECT_EQ(newest, big.substr(big.size() - newest.size()));
    EXPECT_EQ(fake.files().OpenFiles(), 0);
}

}  // namespace
