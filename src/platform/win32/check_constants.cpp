// Every compile-time constant of platform/constant_list.h checked against
// <windows.h>. The values are captured before <windows.h> turns the names
// into macros; the checks expand the same list after it.
#include "platform/constants.h"

namespace captured {
#define GX_CONSTANT(type, name, value) constexpr long long v_##name = static_cast<long long>(gx::name);
#define GX_HANDLE(type, name, value)
#include "platform/constant_list.h"
#undef GX_CONSTANT
#undef GX_HANDLE
}  // namespace captured

#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <fcntl.h>
#include <io.h>
#include <fci.h>
#include <restartmanager.h>

// `name` is expanded here to what <windows.h> makes of it; `v_##name` and
// `#name` are not.
#define GX_CONSTANT(type, name, value) \
    static_assert(captured::v_##name == static_cast<long long>(name), #name);
#define GX_HANDLE(type, name, value)
#include "platform/constant_list.h"
#undef GX_CONSTANT
#undef GX_HANDLE
