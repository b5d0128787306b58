// The operating-system codes the identification sets in CAction::m_iWinOS,
// and the names of what it reads, for the trace log and the overview alike.
#pragma once

#include "platform/types.h"

namespace WinOS {
constexpr int Other = 1;  // Windows 95, 98 or Me, or a version not recognised
constexpr int Win32s = 2;
constexpr int NT351 = 3;
constexpr int NT4 = 4;
constexpr int W2000 = 5;
constexpr int XPProfessional = 6;
constexpr int XPHome = 7;
constexpr int NetServer = 8;
constexpr int VistaOrLater = 9;
}  // namespace WinOS

// A code's name; any code outside the table is named as code 1.
const char* WindowsSystemName(int code);

// The suite bits, in the order the identification traces them (not in bit
// order), with the trace line and the overview's name.
struct SuiteName {
    gx::WORD bit;
    const char* trace;
    const char* label;
};
constexpr int kSuiteNameCount = 11;
extern const SuiteName kSuiteNames[kSuiteNameCount];

// wProductType's name: "workstation", "domain controller", "server" or "unknown".
const char* ProductTypeName(gx::BYTE type);
