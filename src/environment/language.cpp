// The language rule: German for every German locale, English otherwise.
#include "environment/action.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "trace/trace.h"

int CAction::CheckLanguage() {
    Trace(TRACE_INFO, "> CTool::CheckLanguage(void) GetUserDefaultLangID() Language Identifiers -> 0x%X\n",
          static_cast<unsigned>(gx::os().GetUserDefaultLangID()));
    // Only the primary language counts: the low eight bits.
    if ((gx::os().GetUserDefaultLangID() & 0xFF) == gx::LANG_GERMAN) {
        Trace(TRACE_INFO, "> CTool::CheckLanguage(void) LANG_GERMAN");
        return 0;
    }
    Trace(TRACE_INFO, "> CTool::CheckLanguage(void) default");
    return 1;
}
