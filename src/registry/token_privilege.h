// The start every registry operation shares: the process token, opened to
// adjust privileges, with one privilege enabled in it while the switch lives.
#pragma once

#include "platform/unique_handle.h"

class CAction;

class ScopedPrivilege {
public:
    // `offWho` prefixes the trace of a failed switch-off.
    ScopedPrivilege(CAction& action, const char* privilege, const char* offWho)
        : action_(action), privilege_(privilege), offWho_(offWho) {}
    ~ScopedPrivilege() { Disable(); }
    ScopedPrivilege(const ScopedPrivilege&) = delete;
    ScopedPrivilege& operator=(const ScopedPrivilege&) = delete;

    // False when the token cannot be opened or the privilege not enabled; the
    // failure is traced as "<who> -> OpenProcessToken()=%d" or
    // "<who> -> EnablePrivilege(TRUE)=%d" with the last error.
    bool Enable(const char* who);
    // Switches the privilege off (traced on failure) and closes the token.
    void Disable();
    // Leaves the privilege on for the rest of the process; closes the token.
    void Keep();

private:
    CAction& action_;
    const char* privilege_;
    const char* offWho_;
    gx::UniqueToken token_;
    bool enabled_ = false;
};
