// The Win32 constants the program uses, by their Win32 names and values,
// defined from the one list in platform/constant_list.h.
#pragma once

#include "platform/types.h"

// BOOL results, as <windows.h> spells them.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

namespace gx {

#define GX_CONSTANT(type, name, value) constexpr type name = value;
#define GX_HANDLE(type, name, value) inline type const name = reinterpret_cast<type>(static_cast<std::uintptr_t>(value));
#include "platform/constant_list.h"
#undef GX_CONSTANT
#undef GX_HANDLE

// Not in every SDK's headers, so not checked against them: "the create
// operation stopped after reaching a symbolic link".
constexpr DWORD ERROR_STOPPED_ON_SYMLINK = 681;

}  // namespace gx
