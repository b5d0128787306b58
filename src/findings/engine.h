// The findings of a run: facts read from the live system, every rule run
// over them in a fixed order, the results written as findings.json and as
// the overview's first section. Nothing here can fail the collection.
#pragma once

#include <string>
#include <vector>

#include "findings/facts.h"
#include "findings/result.h"

class CAction;

namespace findings {

// Raised when a rule is added, changed or removed: readers of findings.json
// compare results of one ruleset only.
constexpr char kRuleset[] = "2";

struct Rule {
    const char* id;
    Result (*run)(const Facts& facts);
};

// Every rule, in the order the results are reported.
const std::vector<Rule>& Rules();

// Runs each rule; one that throws is reported as skipped. The results carry
// the table's ids, and evidence texts cut to one overview line.
std::vector<Result> RunRules(const Facts& facts, const std::vector<Rule>& rules = Rules());

// The facts of a run and the rules' results over them.
struct Findings {
    Facts facts;
    std::vector<Result> results;  // empty: the findings could not be made
};

// Facts and rules, with trace lines under "Findings"; never throws.
Findings RunFindings(const CAction& action);

// findings.json's text (UTF-8, CR LF).
std::string FindingsJson(const std::vector<Result>& results);
// Writes it into the output folder; an ERR line on failure, no partial file.
bool WriteFindingsJson(const CAction& action, const std::vector<Result>& results);

// The overview's section below its heading: failures (errors first), then
// one line of counts. Windows-1252, no line ends.
std::vector<std::string> SectionLines(const std::vector<Result>& results);

}  // namespace findings
