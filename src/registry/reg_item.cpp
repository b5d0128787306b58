#include "registry/reg_item.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "environment/wow64.h"
#include "platform/constants.h"
#include "platform/platform.h"

using namespace gx;

namespace {

char* CopyText(const char* text) {
    if (text == nullptr) return nullptr;
    std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

BYTE* CopyBytes(const BYTE* data, DWORD size) {
    if (data == nullptr) return nullptr;
    BYTE* copy = new BYTE[size > 0 ? size : 1];
    if (size > 0) std::memcpy(copy, data, size);
    return copy;
}

}  // namespace

CRegItem::CRegItem(const char* pszPath, BOOL bWholePath)
    : m_pszPath(pszPath != nullptr && *pszPath != '\0' ? CopyText(pszPath) : nullptr),
      m_pszValueName(nullptr),
      m_pData(nullptr),
      m_bWholePath(bWholePath ? 1 : 0),
      m_dwType(0),
      m_cbData(0) {}

CRegItem::CRegItem(const CRegItem& other)
    : m_pszPath(CopyText(other.m_pszPath)),
      m_pszValueName(CopyText(other.m_pszValueName)),
      m_pData(CopyBytes(other.m_pData, other.m_cbData)),
      m_bWholePath(other.m_bWholePath),
      m_dwType(other.m_dwType),
      m_cbData(other.m_cbData) {}

CRegItem& CRegItem::operator=(const CRegItem& other) {
    if (this == &other) return *this;
    // Copies first: a failed allocation leaves this item as it was.
    char* path = CopyText(other.m_pszPath);
    char* valueName = nullptr;
    BYTE* data = nullptr;
    try {
        valueName = CopyText(other.m_pszValueName);
        data = CopyBytes(other.m_pData, other.m_cbData);
    } catch (...) {
        delete[] path;
        delete[] valueName;
        throw;
    }
    delete[] m_pszPath;
    delete[] m_pszValueName;
    delete[] m_pData;
    m_pszPath = path;
    m_pszValueName = valueName;
    m_pData = data;
    m_bWholePath = other.m_bWholePath;
    m_dwType = other.m_dwType;
    m_cbData = other.m_cbData;
    return *this;
}

CRegItem::~CRegItem() {
    delete[] m_pszPath;
    delete[] m_pszValueName;
    delete[] m_pData;
}

UniqueRegKey CRegItem::Open(REGSAM samDesired) const {
    UniqueRegKey key;
    // The import branch lives in the 64-bit view on 64-bit Windows.
    if (m_pszPath != nullptr &&
        os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_pszPath, 0, samDesired | Native64View(), key.put()) != 0)
        key.release();  // a failed open holds nothing
    return key;
}

CRegSubKeyIterator::CRegSubKeyIterator(const CRegItem& key)
    : m_Key(key),
      m_dwIndex(0),
      m_hKey(m_Key.Open()),
      m_pszSubKey(nullptr),
      m_pszParent(CopyText(m_Key.GetPath())),
      m_bValid(m_hKey ? 1 : 0) {}

CRegSubKeyIterator::~CRegSubKeyIterator() {
    delete[] m_pszSubKey;
    delete[] m_pszParent;
}

BOOL CRegSubKeyIterator::Next() {
    char name[256] = {};
    DWORD length = sizeof(name);
    LONG status = m_hKey
                      ? os().RegEnumKeyExA(m_hKey.get(), m_dwIndex, name, &length, nullptr, nullptr, nullptr, nullptr)
                      : static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (status == 0) {
        name[sizeof(name) - 1] = '\0';
        char* copy = CopyText(name);
        delete[] m_pszSubKey;
        m_pszSubKey = copy;
    } else {
        m_bValid = 0;
    }
    ++m_dwIndex;
    return m_bValid;
}

CRegItem CRegSubKeyIterator::Current() const {
    if (m_pszSubKey == nullptr) return CRegItem("", TRUE);
    const char* parent = m_pszParent != nullptr ? m_pszParent : "";
    std::size_t size = std::strlen(parent) + std::strlen(m_pszSubKey) + 2;
    std::vector<char> joined(size);
    std::snprintf(joined.data(), size, "%s\\%s", parent, m_pszSubKey);
    return CRegItem(joined.data(), TRUE);
}
