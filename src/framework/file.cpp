#include "framework/file.h"

#include "platform/constants.h"
#include "platform/platform.h"

gx::BOOL CFile::Open(const char* fileName, gx::UINT openFlags, CFileException* error) {
    Abort();
    m_strFileName = fileName != nullptr ? fileName : "";
    if (openFlags != (modeCreate | modeWrite) || m_strFileName.empty() ||
        m_strFileName.size() + 1 > gx::MAX_PATH) {
        if (error != nullptr) *error = CFileException(CFileException::badPath, -1, m_strFileName);
        return FALSE;
    }
    // Exclusive while open, like the framework's compatibility mode.
    gx::HANDLE file = gx::os().CreateFileA(m_strFileName.c_str(), gx::GENERIC_WRITE, 0, nullptr,
                                           gx::CREATE_ALWAYS, gx::FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == gx::INVALID_HANDLE_VALUE) {
        gx::DWORD code = gx::os().GetLastError();
        if (error != nullptr)
            *error = CFileException(CFileException::OsErrorToCause(code), static_cast<gx::LONG>(code), m_strFileName);
        return FALSE;
    }
    m_hFile.reset(file);
    return TRUE;
}

void CFile::Write(const void* data, gx::UINT count) {
    if (count == 0) return;
    if (!m_hFile) throw CFileException(CFileException::genericException, -1, m_strFileName);
    gx::DWORD written = 0;
    if (!gx::os().WriteFile(m_hFile.get(), data, count, &written, nullptr)) {
        gx::DWORD code = gx::os().GetLastError();
        throw CFileException(CFileException::OsErrorToCause(code), static_cast<gx::LONG>(code), m_strFileName);
    }
    // A short write means the disk is full.
    if (written != count) throw CFileException(CFileException::diskFull, -1, m_strFileName);
}

void CFile::Close() {
    if (!m_hFile) return;
    if (!m_hFile.close()) {
        gx::DWORD code = gx::os().GetLastError();
        throw CFileException(CFileException::OsErrorToCause(code), static_cast<gx::LONG>(code), m_strFileName);
    }
}

void CFile::Abort() { m_hFile.reset(); }
