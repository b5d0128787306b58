// The overview for support, "summary.txt": one page that answers what an
// engineer asks first, from what the run recorded.
#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "environment/action.h"
#include "environment/wow64.h"
#include "files/event_logs.h"
#include "files/file_table.h"
#include "findings/engine.h"
#include "framework/file.h"
#include "handoff/handoff.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "registry/hive_table.h"
#include "trace/trace.h"

using namespace gx;

namespace {

constexpr std::size_t kColumns = 100;
constexpr std::size_t kContinuation = 6;  // indent of a wrapped line's rest
constexpr std::size_t kFieldWidth = 28;   // a field's label column

class Page {
public:
    // Lines longer than the page continue, indented, on the next ones.
    // A break falls after a blank or a backslash where there is one.
    void Line(const std::string& text = "") {
        std::string rest = text.substr(0, text.find_last_not_of(' ') + 1);
        while (rest.size() > kColumns) {
            std::size_t cut = rest.find_last_of(" \\", kColumns - 1);
            cut = cut != std::string::npos && cut > kColumns / 2 ? cut + 1 : kColumns;
            text_ += rest.substr(0, cut) + "\r\n";
            rest = std::string(kContinuation, ' ') + rest.substr(cut);
        }
        text_ += rest + "\r\n";
    }
    void Heading(const std::string& title) {
        Line();
        Line(title);
        Line(std::string(title.size(), '-'));
    }
    // "Label" padded to a column, then the value.
    void Field(const char* label, const std::string& value, std::size_t width = kFieldWidth) {
        std::string line = label;
        if (line.size() < width) line.resize(width, ' ');
        else line += ' ';
        Line(line + value);
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

std::string DateTime(const SYSTEMTIME& t) {
    return Format("%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

std::string Edition(const OSVERSIONINFOEXA& osvi) {
    std::string suites;
    for (const SuiteName& suite : kSuiteNames)
        if ((osvi.wSuiteMask & suite.bit) != 0) suites += std::string(suites.empty() ? "" : ", ") + suite.label;
    return Format("%s (type %u), suites 0x%04X%s%s", ProductTypeName(osvi.wProductType),
                  static_cast<unsigned>(osvi.wProductType),
                  static_cast<unsigned>(osvi.wSuiteMask), suites.empty() ? "" : ": ", suites.c_str());
}

std::string Folder(const std::string& path, const CAction& action) {
    if (!path.empty()) return path;
    if (action.m_iWinOS == WinOS::NT4) return "not determined on Windows NT 4.0";
    if (action.m_Record.windowsPathResult == WindowsPathResult::NoFolderService)
        return "not found: the shell's folder service is not available";
    return "not found";
}

std::string ProductPath(const std::string& path, const ProductLookup& lookup, const ProductValueName& name) {
    // The key as it reads below the product's own branch.
    const char* key = name.key + sizeof(kProductKeyBase) - 1;
    const char* value = name.value;
    switch (lookup.state) {
    case ProductLookup::Found: return path;
    case ProductLookup::OpenFailed: return Format("not found: key %s cannot be opened (error %ld)", key, lookup.status);
    case ProductLookup::ReadFailed:
        return Format("not found: value %s cannot be read (error %ld)", value, lookup.status);
    default: return "not looked up: the product's shared path was not found";
    }
}

std::string Outcome(const RecordedItem& item, const char* written) {
    switch (item.outcome) {
    case ItemOutcome::Written: return written;
    case ItemOutcome::WithoutFile: return "reported done, no file";
    case ItemOutcome::NotPresent: return "not present";
    case ItemOutcome::NoFolder: return "no folder";
    case ItemOutcome::Refused: return "refused";
    case ItemOutcome::Skipped: return "skipped";
    case ItemOutcome::Failed: return Format("failed (%s %ld)", item.step, item.code);
    default: return "not reached";
    }
}

std::string Bytes(const RecordedItem& item) {
    return item.outcome == ItemOutcome::Written && item.sizeKnown
               ? Format("%llu", static_cast<unsigned long long>(item.bytes))
               : std::string();
}

// Name, outcome, size (of what was written), then anything more.
std::string ItemLine(int nameWidth, const std::string& name, const RecordedItem& item, const char* written,
                     const std::string& more = std::string()) {
    return Format("%-*s %-28s %10s%s%s", nameWidth, name.c_str(), Outcome(item, written).c_str(), Bytes(item).c_str(),
                  more.empty() ? "" : "  ", more.c_str());
}

// The folder a file-table row would come from, by its source type.
const char* SourceFolderName(int type) {
    const SourceType* source = FindSourceType(type);
    return source != nullptr ? source->name : "unknown source type";
}

std::string RowFolder(const RecordedItem& row, const CollectedFile& file) {
    switch (row.outcome) {
    case ItemOutcome::Skipped: return "(group 1: not collected on Windows Vista and later)";
    case ItemOutcome::NotRun: return "(not reached)";
    case ItemOutcome::NoFolder: return std::string("(no folder: the ") + SourceFolderName(file.iSourceType) + " is not known)";
    default:
        return row.path.empty() ? std::string("(") + SourceFolderName(file.iSourceType) + ")" : row.path;
    }
}

struct Totals {
    int written = 0, notPresent = 0, noFolder = 0, refused = 0, failed = 0, withoutFile = 0, skipped = 0;
    unsigned long long bytes = 0;
    void Add(const RecordedItem& item) {
        switch (item.outcome) {
        case ItemOutcome::Written:
            ++written;
            bytes += item.bytes;
            break;
        case ItemOutcome::WithoutFile: ++withoutFile; break;
        case ItemOutcome::NotPresent: ++notPresent; break;
        case ItemOutcome::NoFolder: ++noFolder; break;
        case ItemOutcome::Refused: ++refused; break;
        case ItemOutcome::Failed: ++failed; break;
        case ItemOutcome::Skipped: ++skipped; break;
        default: break;
        }
    }
};

void Software(Page& page, const InstalledSoftware& software) {
    page.Heading("Installed software (HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall)");
    if (!software.note.empty()) page.Line("Note: " + software.note);
    for (bool family : {true, false}) {
        page.Line(family ? "Product family (Halvorn, Corvane):" : "Other software:");
        int listed = 0;
        for (const InstalledEntry& entry : software.entries) {
            if (entry.family != family) continue;
            page.Line("  " + entry.name + "  [key " + entry.key + "]");
            page.Line("      version " + entry.version + " | publisher " + entry.publisher + " | installed " +
                      entry.installDate + (*entry.view ? std::string(" | ") + entry.view + " view" : std::string()));
            ++listed;
        }
        if (listed == 0) page.Line("  none");
    }
    page.Line(Format("%d entries listed, %d without a display name, %d unreadable",
                     static_cast<int>(software.entries.size()), software.withoutName, software.unreadable));
}

// The user's own words for the heading block: line breaks kept, control
// characters blanked, long lines wrapped to the value column, at most
// `maxLines` lines; a cut text ends in "[...]".
std::vector<std::string> UserWords(const std::string& text, std::size_t maxLines) {
    constexpr std::size_t kWidth = kColumns - kFieldWidth;
    const std::string cutMark = " [...]";
    std::vector<std::string> lines;
    bool cut = false;
    std::size_t start = 0;
    while (start <= text.size() && !cut) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        line = line.substr(first, line.find_last_not_of(' ') - first + 1);
        while (!line.empty()) {
            if (lines.size() == maxLines) {
                cut = true;
                break;
            }
            std::size_t take = line.size();
            if (take > kWidth) {
                take = line.find_last_of(' ', kWidth);
                take = take != std::string::npos && take > kWidth / 2 ? take : kWidth;
            }
            lines.push_back(line.substr(0, take));
            const std::size_t next = line.find_first_not_of(' ', take);
            line = next == std::string::npos ? std::string() : line.substr(next);
        }
    }
    if (cut) {
        std::string& last = lines.back();
        if (last.size() + cutMark.size() > kWidth) {
            const std::size_t blank = last.find_last_of(' ', kWidth - cutMark.size());
            last.resize(blank != std::string::npos && blank > kWidth / 2 ? blank : kWidth - cutMark.size());
        }
        last += cutMark;
    }
    return lines;
}

// The heading block: who ran what when, and what the user typed.
void HeadingBlock(Page& page, const CAction& action, const OverviewInputs& inputs) {
    const std::string& computer = inputs.computer;
    const std::string title = "gathrix overview of " + (computer.empty() ? std::string("this computer") : computer);
    page.Line(title);
    page.Line(std::string(title.size(), '='));
    page.Field("Run", DateTime(action.m_Record.started) + " local time (overview written " +
                          DateTime(inputs.written) + ")");
    page.Field("Computer", computer.empty() ? "unknown (the platform did not tell)" : computer);
    page.Field("gathrix", inputs.version);
    page.Field("Output folder", action.m_szDest_Path);
    const QuestionnaireOutcome& answers = inputs.questionnaire;
    if (!answers.answered) {
        page.Field("User's words", "none: the questionnaire was closed without OK");
        return;
    }
    const struct {
        const char* label;
        const std::string& text;
        std::size_t maxLines;
    } quoted[] = {{"Product, as the user typed", answers.product, 1},
                  {"Problem, as the user typed", answers.problem, 4}};
    for (const auto& field : quoted) {
        std::vector<std::string> lines = UserWords(field.text, field.maxLines);
        if (lines.empty()) lines.push_back("(left empty)");
        for (std::size_t i = 0; i < lines.size(); ++i) page.Field(i == 0 ? field.label : "", lines[i]);
    }
}

void WindowsSection(Page& page, const CAction& action, const OverviewInputs& inputs) {
    page.Heading("Windows");
    const OSVERSIONINFOA& plain = action.m_Record.version;
    page.Field("System", Format("%s (code %d)", WindowsSystemName(action.m_iWinOS), action.m_iWinOS));
    page.Field("Version", Format("%lu.%lu, build %lu, platform %lu", static_cast<unsigned long>(plain.dwMajorVersion),
                                 static_cast<unsigned long>(plain.dwMinorVersion),
                                 static_cast<unsigned long>(plain.dwBuildNumber),
                                 static_cast<unsigned long>(plain.dwPlatformId)));
    std::string csd(plain.szCSDVersion, strnlen(plain.szCSDVersion, sizeof(plain.szCSDVersion)));
    if (action.m_osvi.dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA) && action.m_osvi.dwMajorVersion != 0) {
        page.Field("Service pack", Format("%s (%u.%u)", csd.empty() ? "none" : csd.c_str(),
                                          static_cast<unsigned>(action.m_osvi.wServicePackMajor),
                                          static_cast<unsigned>(action.m_osvi.wServicePackMinor)));
        page.Field("Edition", Edition(action.m_osvi));
    } else {
        page.Field("Service pack", csd.empty() ? "none" : csd);
        page.Field("Edition", "not read (only from Windows 2000 on)");
    }
    if (action.m_Record.wow64) page.Field("Architecture", kWow64Note);
    page.Field("User language", Format("0x%04X", static_cast<unsigned>(inputs.userLanguage)));
}

void FoldersSection(Page& page, const CAction& action) {
    page.Heading("Folders");
    page.Field("Windows folder", Folder(action.m_szWindowsPath, action));
    page.Field("User's Windows folder", Folder(action.m_szUserWindowsPath, action));
    page.Field("System drive", Folder(action.m_szSystemDrive, action));
    page.Field("Program files", Folder(action.m_szProgramFiles, action));
    page.Field("Common program files", Folder(action.m_szProgramFiles_Common, action));
    page.Field("Common application data", Folder(action.m_szCommAppPath, action));
    page.Field("Common documents", Folder(action.m_szCommDocPath, action));
    page.Field("Local application data", Folder(action.m_szLocAppData, action));
    const RunRecord& record = action.m_Record;
    page.Field("Product shared path", ProductPath(action.m_szSharedPath, record.sharedPath, kSharedPathValue));
    page.Field("Product installation path", ProductPath(action.m_szNetPCPath, record.netPcPath, kNetPCPathValue));
}

// "lead" and the names after it, separated by commas, folded at the page's
// width with the rest indented.
void FoldedNames(Page& page, const std::string& lead, const std::vector<std::string>& names) {
    std::string line = lead;
    bool empty = true;  // no name on this line yet
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string piece = names[i] + (i + 1 < names.size() ? "," : "");
        if (!empty && line.size() + 1 + piece.size() > kColumns) {
            page.Line(line);
            line = std::string(10, ' ') + piece;
        } else {
            line += " " + piece;
        }
        empty = false;
    }
    page.Line(line);
}

// The rows of one source folder: those worth a look one by one, and the
// names of those not present or skipped.
struct FolderRows {
    std::string folder;
    std::vector<int> listed;
    std::vector<std::string> notPresent, skipped;
};

void FileTableRows(Page& page, const RunRecord& record, Totals& files) {
    page.Line(Format("File table (%d rows, by source folder; copies in File_Save):", kFileTableSize));
    page.Line(Format("  %4s  %-40s %-28s %10s", "Row", "File", "Outcome", "Bytes"));
    std::vector<FolderRows> folders;  // in the order of their first row
    for (int i = 0; i < kFileTableSize && i < static_cast<int>(record.rows.size()); ++i) {
        const RecordedItem& row = record.rows[i];
        files.Add(row);
        const std::string folder = RowFolder(row, FileTable[i]);
        auto block = std::find_if(folders.begin(), folders.end(),
                                  [&](const FolderRows& rows) { return rows.folder == folder; });
        if (block == folders.end()) block = folders.insert(folders.end(), FolderRows{folder, {}, {}, {}});
        if (row.outcome == ItemOutcome::NotPresent) block->notPresent.push_back(FileTable[i].szFileName);
        else if (row.outcome == ItemOutcome::Skipped) block->skipped.push_back(FileTable[i].szFileName);
        else block->listed.push_back(i);
    }
    for (const FolderRows& block : folders) {
        page.Line("  " + block.folder);
        for (int i : block.listed)
            page.Line(Format("  %4d  ", i + 1) + ItemLine(40, FileTable[i].szFileName, record.rows[i], "copied"));
        if (!block.notPresent.empty())
            FoldedNames(page, Format("        %d not present:", static_cast<int>(block.notPresent.size())),
                        block.notPresent);
        if (!block.skipped.empty())
            FoldedNames(page, Format("        %d skipped:", static_cast<int>(block.skipped.size())), block.skipped);
    }
}

void CollectedSection(Page& page, const RunRecord& record) {
    page.Heading("What was collected");
    Totals files;
    FileTableRows(page, record, files);
    if (record.setupDevLog.outcome != ItemOutcome::NotRun) {
        files.Add(record.setupDevLog);
        page.Line("Device-setup log of Windows Vista and later (in File_Save, mirrored):");
        page.Line("        " + ItemLine(40, "INF\\setupapi.dev.log", record.setupDevLog, "copied",
                                        record.setupDevLogCut ? "its newest part only" : ""));
    }
    page.Line("Event log backups (in File_Save):");
    Totals logs;
    for (int n = 0; n < kEventLogCount; ++n) {
        const RecordedItem& log = record.eventLogs[n];
        logs.Add(log);
        const std::size_t slash = log.path.rfind('\\');
        page.Line(Format("  %-12s", kEventLogBackups[n].source) +
                  ItemLine(33, slash == std::string::npos ? log.path : log.path.substr(slash + 1), log, "backed up"));
    }
    page.Line("Registry hives (in Registry_Save):");
    Totals hives;
    for (int n = 0; n < kHiveCount; ++n) {
        hives.Add(record.hives[n]);
        page.Line(Format("  %-14s", HiveTable[n].szSaveFile) + ItemLine(31, "", record.hives[n], "saved"));
        page.Line(std::string("      of HKLM\\") + HiveTable[n].szSubKey);
    }
    for (const RunRecord::Hive64& hive : record.hives64) {
        hives.Add(hive.item);
        const std::size_t slash = hive.item.path.rfind('\\');
        page.Line(Format("  %-14s", slash == std::string::npos ? hive.item.path.c_str() : hive.item.path.c_str() + slash + 1) +
                  ItemLine(31, "", hive.item, "saved"));
        page.Line(std::string("      of HKLM\\") + HiveTable[hive.row].szSubKey + ", 64-bit view");
    }
    page.Line("Totals:");
    page.Line(Format("  File table   %d copied (%llu bytes), %d not present, %d no folder, %d refused, "
                     "%d failed, %d skipped",
                     files.written, files.bytes, files.notPresent, files.noFolder, files.refused, files.failed,
                     files.skipped));
    page.Line(Format("  Event logs   %d of %d backed up (%llu bytes), %d reported done without a file, %d failed",
                     logs.written, kEventLogCount, logs.bytes, logs.withoutFile, logs.failed));
    page.Line(Format("  Hives        %d of %d saved (%llu bytes), %d failed", hives.written,
                     kHiveCount + static_cast<int>(record.hives64.size()), hives.bytes, hives.failed));
    page.Line(Format("  All          %d files, %llu bytes written; %d failed or missing", files.written + logs.written +
                     hives.written, files.bytes + logs.bytes + hives.bytes, files.failed + files.refused +
                     logs.failed + logs.withoutFile + hives.failed));
}

void TraceSection(Page& page, const OverviewInputs& inputs) {
    page.Heading("Trace log and the user's description");
    page.Field("Error lines in gathrix.log", Format("%d (lines beginning with ERR, up to this overview)", inputs.errorLines));
    page.Field("User's description",
               !inputs.questionnaire.answered     ? "none: the questionnaire was closed without OK"
               : inputs.questionnaire.fileWritten ? "userinfo.txt"
                                                  : "userinfo.txt could not be written; the answers are in gathrix.log");
}

}  // namespace

std::string SummaryText(const CAction& action, const OverviewInputs& inputs) {
    Page page;
    HeadingBlock(page, action, inputs);
    page.Heading("Findings");
    for (const std::string& line : findings::SectionLines(inputs.findings)) page.Line(line);
    WindowsSection(page, action, inputs);
    FoldersSection(page, action);
    Software(page, inputs.software);
    CollectedSection(page, action.m_Record);
    TraceSection(page, inputs);
    return page.Text();
}

namespace {

void WriteSummary(const CAction& action, const std::string& text) {
    const std::string path = action.m_szDest_Path + "summary.txt";
    if (action.OutputLinkRefused("Handoff::WriteSummary", path)) return;
    CFile file;
    CFileException error(CFileException::none, -1, path);
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite, &error)) {
        Trace(TRACE_ERROR, "ERR Handoff::WriteSummary -> open %s: %ld", path.c_str(), static_cast<long>(error.m_lOsError));
        return;
    }
    try {
        file.Write(text.data(), static_cast<UINT>(text.size()));
        file.Close();
        Trace(TRACE_INFO, "Handoff::WriteSummary, %s: %lu bytes", path.c_str(), static_cast<unsigned long>(text.size()));
    } catch (const CFileException& failure) {
        file.Abort();
        Trace(TRACE_ERROR, "ERR Handoff::WriteSummary -> write %s: %ld", path.c_str(),
              static_cast<long>(failure.m_lOsError));
        // A cut overview would pass for a whole one.
        os().DeleteFileA(path.c_str());
    }
}

}  // namespace

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    if (!os().GetComputerNameA(name, &size)) return std::string();
    return std::string(name, strnlen(name, sizeof(name)));
}

std::string ArchiveName(const std::string& computer, const SYSTEMTIME& t) {
    std::string safe;
    for (char c : computer)
        if (std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) safe += c;
        else if (c == '-' || c == '_') safe += c;
    if (safe.empty()) safe = "PC";
    return Format("gathrix_%s_%04u%02u%02u_%02u%02u%02u.cab", safe.c_str(), t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
}

void HandOff(const CAction& action, const char* version, const QuestionnaireOutcome& questionnaire) {
    Trace(TRACE_INFO, "> Handoff::HandOff");
    if (action.m_szDest_Path.empty()) {
        Trace(TRACE_ERROR, "ERR Handoff::HandOff -> no output folder");
        return;
    }
    OverviewInputs inputs;
    findings::Findings found = findings::RunFindings(action);
    inputs.findings = std::move(found.results);
    findings::WriteFindingsJson(action, inputs.findings);
    inputs.version = version;
    inputs.computer = ComputerName();
    os().GetLocalTime(&inputs.written);
    inputs.userLanguage = os().GetUserDefaultLangID();
    // Read with the facts; again only when the findings could not be made.
    inputs.software = inputs.findings.empty() ? ReadInstalledSoftware() : std::move(found.facts.installed);
    inputs.questionnaire = questionnaire;
    inputs.errorLines = TraceErrorLines();
    WriteSummary(action, SummaryText(action, inputs));
    PackCollectInfo(action, ArchiveName(inputs.computer, action.m_Record.started));
    Trace(TRACE_INFO, "< Handoff::HandOff");
}
