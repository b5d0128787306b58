// The rule table of rules.h as the engine runs it.
#include "findings/engine.h"
#include "findings/rules.h"

namespace findings {

const std::vector<Rule>& Rules() {
#define GX_RULE_ROW(id, function) {id, function},
    static const std::vector<Rule> rules = {GX_FINDINGS_RULES(GX_RULE_ROW)};
#undef GX_RULE_ROW
    return rules;
}

}  // namespace findings
