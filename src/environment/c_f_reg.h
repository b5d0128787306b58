// Registry key holder: opens (or creates the product's own key) and closes
// on every path out.
#pragma once

#include "platform/types.h"
#include "platform/unique_handle.h"

class C_F_Reg {
public:
    // Opens root\subKey; the status goes to *status and stays in the holder.
    C_F_Reg(gx::HKEY hKeyRoot, const char* szSubKey, gx::REGSAM samDesired, gx::LONG* plStatus);
    // Creates or opens the product's own key; a failure is noted in the
    // product's setup log, not in the trace log.
    C_F_Reg();

    gx::LONG QueryValue(const char* szName, gx::BYTE* pData, gx::DWORD* pcbData);
    gx::LONG Close();

    gx::UniqueRegKey m_hKey;
    gx::LONG m_lStatus;
};

constexpr const char kProductKey[] = "SOFTWARE\\HALVORN\\CORVANE_NET\\CORVANE NET PC Software";
