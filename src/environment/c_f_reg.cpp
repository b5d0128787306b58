#include "environment/c_f_reg.h"

#include "platform/constants.h"
#include "platform/platform.h"
#include "trace/setup_log.h"

using namespace gx;

C_F_Reg::C_F_Reg(HKEY hKeyRoot, const char* szSubKey, REGSAM samDesired, LONG* plStatus)
    : m_lStatus(0) {
    m_lStatus = os().RegOpenKeyExA(hKeyRoot, szSubKey, 0, samDesired, m_hKey.put());
    if (m_lStatus != 0) m_hKey.release();  // a failed open holds nothing
    if (plStatus != nullptr) *plStatus = m_lStatus;
}

C_F_Reg::C_F_Reg() : m_lStatus(0) {
    DWORD disposition = 0;
    m_lStatus = os().RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, m_hKey.put(), &disposition);
    if (m_lStatus != 0) {
        m_hKey.release();
        TraceSetupLog("<> ERR:C_F_Reg -> RegCreateKeyEx: %li\n", static_cast<long>(m_lStatus));
    }
}

LONG C_F_Reg::QueryValue(const char* szName, BYTE* pData, DWORD* pcbData) {
    if (!m_hKey) return m_lStatus;
    DWORD type = 0;
    return os().RegQueryValueExA(m_hKey.get(), szName, nullptr, &type, pData, pcbData);
}

LONG C_F_Reg::Close() {
    return m_hKey ? m_hKey.close() : 0;
}
