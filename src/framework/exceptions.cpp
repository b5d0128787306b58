#include "framework/exceptions.h"

#include "framework/dialog.h"
#include "platform/constants.h"

int CException::ReportError(gx::UINT type) const {
    std::string text = GetErrorMessage();
    if (text.empty()) return 0;
    return AfxMessageBox(text.c_str(), type);
}

CFileException::Cause CFileException::OsErrorToCause(gx::DWORD osError) {
    switch (osError) {
    case gx::ERROR_FILE_NOT_FOUND: return fileNotFound;
    case gx::ERROR_PATH_NOT_FOUND: return badPath;
    case gx::ERROR_ACCESS_DENIED: return accessDenied;
    case gx::ERROR_SHARING_VIOLATION: return sharingViolation;
    case gx::ERROR_DISK_FULL: return diskFull;
    default: return genericException;
    }
}

std::string CFileException::GetErrorMessage() const {
    const std::string& name = m_strFileName.empty() ? std::string("an unnamed file") : m_strFileName;
    switch (m_cause) {
    case none: return std::string();
    case fileNotFound: return name + " was not found.";
    case badPath: return "All or part of the path " + name + " is not valid.";
    case accessDenied: return "Access to " + name + " was denied.";
    case sharingViolation: return "Sharing violation while accessing " + name + ".";
    case diskFull: return "There is not enough disk space to write " + name + ".";
    case genericException: break;
    }
    return "An unexpected error occurred while accessing " + name + ".";
}
