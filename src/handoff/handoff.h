// What support receives beyond the collected folder: an overview of the run
// ("summary.txt") and one cabinet archive of the whole output folder. Both
// are made after the questionnaire; neither can fail the collection.
#pragma once

#include <string>
#include <vector>

#include "findings/result.h"
#include "platform/types.h"

class CAction;

// How the questionnaire ended, and two of its answers as typed.
struct QuestionnaireOutcome {
    bool answered = false;     // OK was pressed
    bool fileWritten = false;  // userinfo.txt holds the answers
    std::string product;
    std::string problem;
};

// The overview and then the archive, both in the run's output folder.
void HandOff(const CAction& action, const char* version, const QuestionnaireOutcome& questionnaire);

// ---- the parts, for tests -----------------------------------------------------

// One entry below ...\CurrentVersion\Uninstall that has a display name.
struct InstalledEntry {
    std::string key;  // the subkey's name
    std::string name, version, publisher, installDate;
    std::string installLocation;  // the folder as stored; empty when absent or not a text
    const char* view = "";  // "64-bit", "32-bit" or "" (one view only)
    bool family = false;    // publisher or name names the product family
    bool versioned = false; // DisplayVersion is a plain text
    bool systemComponent = false;  // SystemComponent 1: hidden from Programs and Features
};
struct InstalledSoftware {
    std::vector<InstalledEntry> entries;  // family first, then by name
    int withoutName = 0;                  // entries without a display name (not listed)
    int unreadable = 0;                   // subkeys that could not be opened or named
    std::string note;                     // why nothing or only part could be read
};
InstalledSoftware ReadInstalledSoftware();
// A display name, publisher or service name that names the product family.
bool NamesFamily(const std::string& text);

// The computer's name as the platform reports it; empty when it cannot.
std::string ComputerName();
// The archive's file name: the computer name reduced to letters, digits,
// '-' and '_', and the run's local date and time.
std::string ArchiveName(const std::string& computer, const gx::SYSTEMTIME& time);

// What the overview shows beyond the run's record, read by HandOff before
// the text is made.
struct OverviewInputs {
    const char* version = "";
    std::string computer;        // empty: the platform did not tell
    gx::SYSTEMTIME written = {};  // local time
    gx::LANGID userLanguage = 0;
    InstalledSoftware software;
    QuestionnaireOutcome questionnaire;
    int errorLines = 0;  // ERR lines of the trace log so far
    std::vector<findings::Result> findings;  // they open the overview
};

// The overview's text (Windows-1252, CR LF, at most 100 columns a line),
// made from the run's record and `inputs` alone.
std::string SummaryText(const CAction& action, const OverviewInputs& inputs);

// Packs every file below the output folder into `name` there; earlier
// archives are removed first. On any failure: an ERR line, no archive.
bool PackCollectInfo(const CAction& action, const std::string& name);
