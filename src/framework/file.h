// The framework's file class, as far as the program writes text files: a
// new or truncated file, written in pieces. A failed write raises
// CFileException; opening reports failure by its result.
#pragma once

#include <string>

#include "framework/exceptions.h"
#include "platform/types.h"
#include "platform/unique_handle.h"

class CFile {
public:
    enum OpenFlags : gx::UINT { modeWrite = 0x0001, modeCreate = 0x1000 };

    CFile() = default;  // the destructor closes without reporting

    // Only modeCreate | modeWrite: an existing file is truncated.
    gx::BOOL Open(const char* fileName, gx::UINT openFlags, CFileException* error = nullptr);
    void Write(const void* data, gx::UINT count);  // throws CFileException
    void Close();                                  // throws CFileException
    void Abort();                                  // closes, never throws
    bool IsOpen() const { return static_cast<bool>(m_hFile); }

    std::string m_strFileName;

private:
    gx::UniqueFile m_hFile;
};
