// The platform's open-file dialog.
#pragma once

#include <string>

#include "framework/wnd.h"
#include "platform/constants.h"
#include "platform/types.h"

class CFileDialog {
public:
    // The arguments of MFC's, open/save flag first. The program only opens
    // files, so only the open dialog is built: the flag must be TRUE. No
    // filter, extension or initial name unless given.
    explicit CFileDialog(gx::BOOL bOpenFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                         gx::DWORD flags = gx::OFN_HIDEREADONLY, const char* filter = nullptr,
                         CWnd* parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK with a chosen file, IDCANCEL otherwise. Without a parent the
    // running dialog owns it.
    gx::INT_PTR DoModal();
    std::string GetPathName() const { return m_szFileName; }

    gx::OPENFILENAMEA m_ofn;

private:
    CWnd* m_pParentWnd;
    char m_szFileName[gx::MAX_PATH];
};
