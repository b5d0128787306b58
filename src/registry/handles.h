// Holders for the handles the registry operations open: each closes its
// handle with the matching call on every path out; neither can be copied.
#pragma once

#include "platform/platform.h"

class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ~ScopedRegKey() { reset(); }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

    gx::HKEY get() const { return m_hKey; }
    // For the call that opens the key; the holder must be empty.
    gx::HKEY* put() { return &m_hKey; }
    explicit operator bool() const { return m_hKey != nullptr; }
    void reset(gx::HKEY key = nullptr) {
        if (m_hKey != nullptr) gx::os().RegCloseKey(m_hKey);
        m_hKey = key;
    }

private:
    gx::HKEY m_hKey = nullptr;
};

// The process token, opened for the given access.
class ScopedToken {
public:
    ScopedToken() = default;
    ~ScopedToken() { reset(); }
    ScopedToken(const ScopedToken&) = delete;
    ScopedToken& operator=(const ScopedToken&) = delete;

    // False when the token cannot be opened; GetLastError tells why.
    bool Open(gx::DWORD access) {
        reset();
        gx::HANDLE token = nullptr;
        if (!gx::os().OpenProcessToken(gx::os().GetCurrentProcess(), access, &token)) return false;
        m_hToken = token;
        return true;
    }
    gx::HANDLE get() const { return m_hToken; }
    void reset() {
        if (m_hToken != nullptr) gx::os().CloseHandle(m_hToken);
        m_hToken = nullptr;
    }

private:
    gx::HANDLE m_hToken = nullptr;
};
