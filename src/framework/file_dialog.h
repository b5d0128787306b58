// The platform's open-file dialog.
#pragma once

#include <string>

#include "framework/wnd.h"
#include "platform/constants.h"
#include "platform/types.h"

class CFileDialog {
public:
    // Only the open dialog: no filter, extension or initial name unless given.
    CFileDialog(const char* defExt = nullptr, const char* fileName = nullptr,
                gx::DWORD flags = gx::OFN_HIDEREADONLY, const char* filter = nullptr, CWnd* parent = nullptr);
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
