#include "registry/token_privilege.h"

#include "environment/action.h"
#include "trace/trace.h"

using namespace gx;

bool ScopedPrivilege::Enable(const char* who) {
    Disable();
    if (!os().OpenProcessToken(os().GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token_.put())) {
        token_.release();  // nothing was opened
        Trace(TRACE_ERROR, "%s -> OpenProcessToken()=%d", who, static_cast<int>(os().GetLastError()));
        return false;
    }
    if (!action_.EnablePrivilege(token_.get(), privilege_, TRUE)) {
        Trace(TRACE_ERROR, "%s -> EnablePrivilege(TRUE)=%d", who, static_cast<int>(os().GetLastError()));
        token_.reset();
        return false;
    }
    enabled_ = true;
    return true;
}

void ScopedPrivilege::Disable() {
    if (enabled_ && !action_.EnablePrivilege(token_.get(), privilege_, FALSE))
        Trace(TRACE_ERROR, "%s -> EnablePrivilege(FALSE)=%d", offWho_, static_cast<int>(os().GetLastError()));
    Keep();
}

void ScopedPrivilege::Keep() {
    enabled_ = false;
    token_.reset();
}
