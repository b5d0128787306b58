// What support receives beyond the collected folder: an overview of the run
// ("summary.txt") and one cabinet archive of the whole output folder. Both
// are made after the questionnaire; neither can fail the collection.
#pragma once

#include <string>
#include <vector>

#include "findings/installed_software.h"
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

// The installed software is read once with the findings' facts.
using findings::InstalledEntry;
using findings::InstalledSoftware;
using findings::NamesFamily;
using findings::ReadInstalledSoftware;

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
