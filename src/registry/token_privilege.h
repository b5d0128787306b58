// The start every registry operation shares: the process token, opened to
// adjust privileges, with one privilege enabled in it.
#pragma once

#include "registry/handles.h"

class CAction;

// False when the token cannot be opened or the privilege not enabled; the
// failure is traced as "<who> -> OpenProcessToken()=%d" or
// "<who> -> EnablePrivilege(TRUE)=%d" with the last error.
bool OpenTokenWithPrivilege(CAction& action, ScopedToken& token, const char* privilege, const char* who);
