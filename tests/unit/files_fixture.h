// A fake Windows XP installation for the file-collection tests: the folder
// members of a CAction, a restored FileTable after each test, and the rows'
// log records.
#pragma once

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "environment/action.h"
#include "fake_fixture.h"
#include "files/file_table.h"

namespace filestest {

const std::string kWindows = "C:\\WINDOWS";
const std::string kUserWindows = "C:\\Documents and Settings\\user\\WINDOWS";
const std::string kNetPC = "C:\\Program Files\\Halvorn\\CorNetPC";
const std::string kShared = "C:\\Program Files\\Halvorn\\Shared";
const std::string kCommApp = "C:\\Documents and Settings\\All Users\\Application Data";
const std::string kCommDoc = "C:\\Documents and Settings\\All Users\\Documents";
const std::string kLocApp = "C:\\Documents and Settings\\user\\Local Settings\\Application Data";
const std::string kOutput = "C:\\Tools\\CollectInfo\\";
const std::string kFileSave = "C:\\Tools\\CollectInfo\\File_Save\\";

// What the log says about one processed row.
struct RowRecord {
    std::string first;   // the "1_1" line
    std::string second;  // the "2_1" line
    std::string from, to;  // of CopyFileTo; empty when it was not called
    std::vector<std::string> lines;  // every line up to the next row
};

class FilesTest : public FakeTest {
protected:
    FilesTest() : saved_(std::begin(FileTable), std::end(FileTable)) {
        fake.files().MakeDirectory("C:\\Tools\\CollectInfo");
    }
    ~FilesTest() override { std::copy(saved_.begin(), saved_.end(), FileTable); }

    // Windows XP with a terminal-server user's own Windows folder, so that
    // every source type has a distinct folder.
    static void SetFolders(CAction& action) {
        action.m_iWinOS = 6;
        action.m_szWindowsPath = kWindows;
        action.m_szUserWindowsPath = kUserWindows;
        action.m_szSystemDrive = "C:\\";
        action.m_szProgramFiles = "C:\\Program Files";
        action.m_szProgramFiles_Common = "C:\\Program Files\\Common Files";
        action.m_szNetPCPath = kNetPC;
        action.m_szSharedPath = kShared;
        action.m_szCommAppPath = kCommApp;
        action.m_szCommDocPath = kCommDoc;
        action.m_szLocAppData = kLocApp;
    }

    // The rows in the order the log shows them.
    std::vector<RowRecord> Rows() {
        std::vector<RowRecord> rows;
        const std::string fromTag = "> CTool::CopyFileTo, From ";
        for (const std::string& line : LogMessages()) {
            // The event-log backups follow the last row.
            if (line.rfind("Tool::Could not BackupEventLog", 0) == 0) break;
            if (line.rfind("CAction::Collect_Files, 1_1 ", 0) == 0) {
                rows.push_back(RowRecord{line, "", "", "", {}});
                continue;
            }
            if (rows.empty() || line.rfind("CAction::Collect_Files (XP)", 0) == 0 ||
                line.rfind("< CAction::Collect_Files", 0) == 0)
                continue;
            RowRecord& row = rows.back();
            row.lines.push_back(line);
            if (line.rfind("CAction::Collect_Files, 2_1 ", 0) == 0) row.second = line;
            if (line.rfind(fromTag, 0) == 0) {
                std::size_t to = line.find(" To ");
                row.from = line.substr(fromTag.size(), to - fromTag.size());
                row.to = line.substr(to + 4);
            }
        }
        return rows;
    }

    static ::testing::AssertionResult Contains(const std::vector<std::string>& lines, const std::string& wanted) {
        return testlog::HasLine(lines, wanted);
    }

private:
    std::vector<CollectedFile> saved_;
};

}  // namespace filestest
