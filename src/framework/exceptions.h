// The framework's exceptions. The program throws none of its own; the file
// class reports a failed write this way, and data exchange ends a failed
// validation this way. None crosses a dialog procedure.
#pragma once

#include <string>

#include "platform/constants.h"
#include "platform/types.h"

class CException {
public:
    virtual ~CException() = default;
    virtual std::string GetErrorMessage() const = 0;
    // Tells the user, in a message box owned by the running dialog.
    int ReportError(gx::UINT type = gx::MB_ICONEXCLAMATION) const;
};

// A validation failure; the user has been told already.
class CUserException : public CException {
public:
    std::string GetErrorMessage() const override { return std::string(); }
};

class CFileException : public CException {
public:
    enum Cause { none, genericException, fileNotFound, badPath, accessDenied, sharingViolation, diskFull };

    CFileException(Cause cause, gx::LONG osError, const std::string& fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}
    static Cause OsErrorToCause(gx::DWORD osError);
    std::string GetErrorMessage() const override;

    Cause m_cause;
    gx::LONG m_lOsError;  // -1 when the platform reported no error
    std::string m_strFileName;
};
