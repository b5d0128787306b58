// The framework's file class, as far as the program writes text files: a
// new or truncated file, written in pieces. A failed write raises
// CFileException; opening reports failure by its result.
#pragma once

#include <string>

#include "framework/exceptions.h"
#include "platform/types.h"

class CFile {
public:
    enum OpenFlags : gx::UINT { modeWrite = 0x0001, modeCreate = 0x1000 };

    CFile() = default;
    ~CFile();  // closes without reporting
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Only modeCreate | modeWrite: an existing file is truncated.
    gx::BOOL Open(const char* fileName, gx::UINT openFlags, CFileException* error = nullptr);
    void Write(const void* data, gx::UINT count);  // throws CFileException
    void Close();                                  // throws CFileException
    void Abort();                                  // closes, never throws
    bool IsOpen() const { return m_hFile != nullptr; }

    std::string m_strFileName;

private:
    gx::HANDLE m_hFile = nullptr;
};
