// A key path below HKEY_LOCAL_MACHINE that owns its text, and an iterator
// over the direct subkeys of one such key.
#pragma once

#include "platform/constants.h"
#include "platform/types.h"
#include "platform/unique_handle.h"

class CRegItem {
public:
    // An empty or null path gives an item without a path.
    explicit CRegItem(const char* pszPath, gx::BOOL bWholePath = 1);
    CRegItem(const CRegItem& other);
    CRegItem& operator=(const CRegItem& other);
    virtual ~CRegItem();

    // The key opened for reading, or an empty holder. An item without a path
    // opens nothing: it must never stand for HKEY_LOCAL_MACHINE itself.
    gx::UniqueRegKey Open(gx::REGSAM samDesired = gx::KEY_READ) const;
    const char* GetPath() const { return m_pszPath; }

    char* m_pszPath;
    char* m_pszValueName;
    gx::BYTE* m_pData;
    gx::BYTE m_bWholePath;
    gx::DWORD m_dwType;
    gx::DWORD m_cbData;
};

class CRegSubKeyIterator {
public:
    explicit CRegSubKeyIterator(const CRegItem& key);
    virtual ~CRegSubKeyIterator();
    CRegSubKeyIterator(const CRegSubKeyIterator&) = delete;
    CRegSubKeyIterator& operator=(const CRegSubKeyIterator&) = delete;

    // Steps to the next subkey; FALSE from the first failed step on.
    gx::BOOL Next();
    // The subkey found by the last successful step ("parent\name"), or an
    // item without a path before the first.
    CRegItem Current() const;
    const char* GetSubKeyName() const { return m_pszSubKey; }
    const char* GetParentPath() const { return m_pszParent; }

    CRegItem m_Key;
    gx::DWORD m_dwIndex;
    gx::UniqueRegKey m_hKey;
    char* m_pszSubKey;
    char* m_pszParent;
    gx::BYTE m_bValid;
};
