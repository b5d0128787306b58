#include "framework/file_dialog.h"

#include <cstring>

#include "framework/dialog.h"
#include "platform/platform.h"

CFileDialog::CFileDialog(gx::BOOL, const char* defExt, const char* fileName, gx::DWORD flags, const char* filter,
                         CWnd* parent)
    : m_ofn(), m_pParentWnd(parent), m_szFileName() {
    if (fileName != nullptr) {
        std::strncpy(m_szFileName, fileName, sizeof(m_szFileName) - 1);
        m_szFileName[sizeof(m_szFileName) - 1] = '\0';
    }
    m_ofn.lpstrFilter = filter;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof(m_szFileName);
    m_ofn.lpstrDefExt = defExt;
    m_ofn.Flags = flags | gx::OFN_EXPLORER;
}

gx::INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : CDialog::ActiveWindow();
    if (!gx::os().GetOpenFileNameA(&m_ofn)) return gx::IDCANCEL;
    m_szFileName[sizeof(m_szFileName) - 1] = '\0';
    return gx::IDOK;
}
