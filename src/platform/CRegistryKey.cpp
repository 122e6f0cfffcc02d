#include "CRegistryKey.h"

#include <vector>

#include "platform/CAccessList.h"

BOOL CRegistryKey::Exists() const
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(m_hRoot, m_csPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(hKey);
    return TRUE;
}

BOOL CRegistryKey::Create() const
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(m_hRoot, m_csPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(hKey);
    return TRUE;
}

BOOL CRegistryKey::ReadString(const char* pszValue, std::string& csData) const
{
    csData.clear();
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(m_hRoot, m_csPath.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    DWORD dwType = 0;
    DWORD cbData = 0;
    LONG lResult = RegQueryValueExA(hKey, pszValue, nullptr, &dwType, nullptr, &cbData);
    std::vector<BYTE> data;
    // The value may grow between the size query and the read; ask again until it fits.
    while (lResult == ERROR_SUCCESS || lResult == ERROR_MORE_DATA)
    {
        data.assign(static_cast<size_t>(cbData) + 1, 0);
        DWORD cbBuffer = cbData;
        lResult = RegQueryValueExA(hKey, pszValue, nullptr, &dwType, data.data(), &cbBuffer);
        if (lResult == ERROR_SUCCESS)
        {
            cbData = cbBuffer;
            break;
        }
        cbData = cbBuffer;
    }
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return FALSE;
    // Stored strings need not end in a terminator; the extra byte above always provides one.
    csData.assign(reinterpret_cast<const char*>(data.data()));
    return TRUE;
}

BOOL CRegistryKey::WriteString(const char* pszValue, const std::string& csData, DWORD dwType) const
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(m_hRoot, m_csPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return FALSE;
    LONG lResult = RegSetValueExA(hKey, pszValue, 0, dwType, reinterpret_cast<const BYTE*>(csData.c_str()),
                                  static_cast<DWORD>(csData.size() + 1));
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

BOOL CRegistryKey::WriteBinary(const char* pszValue, const void* pData, DWORD cbData) const
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(m_hRoot, m_csPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return FALSE;
    LONG lResult = RegSetValueExA(hKey, pszValue, 0, REG_BINARY, static_cast<const BYTE*>(pData), cbData);
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

BOOL CRegistryKey::DeleteValue(const char* pszValue) const
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(m_hRoot, m_csPath.c_str(), 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    LONG lResult = RegDeleteValueA(hKey, pszValue);
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

BOOL CRegistryKey::ResetAccess(HKEY hRoot, const std::string& csPath)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, csPath.c_str(), 0, WRITE_DAC, &hKey) != ERROR_SUCCESS)
        return FALSE;
    BOOL bOk = CAccessList::ApplyReadForEveryoneFullForAdministrators(hKey);
    RegCloseKey(hKey);
    return bOk;
}

BOOL CRegistryKey::DeleteTree(HKEY hRoot, const std::string& csPath, BOOL bResetAccess)
{
    if (bResetAccess)
        ResetAccess(hRoot, csPath);

    std::vector<std::string> subKeys;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, csPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    char szName[MAX_PATH];
    for (DWORD dwIndex = 0;; ++dwIndex)
    {
        DWORD cchName = MAX_PATH;
        LONG lResult = RegEnumKeyExA(hKey, dwIndex, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
        if (lResult == ERROR_NO_MORE_ITEMS)
            break;
        // A name too long for the buffer is skipped; the key deletion below then fails and says so.
        if (lResult == ERROR_SUCCESS)
            subKeys.emplace_back(szName, cchName);
        else if (lResult != ERROR_MORE_DATA)
            break;
    }
    RegCloseKey(hKey);

    for (const std::string& csSub : subKeys)
        DeleteTree(hRoot, csPath + "\\" + csSub, bResetAccess);
    return RegDeleteKeyA(hRoot, csPath.c_str()) == ERROR_SUCCESS;
}

void CRegistryKey::RemoveEmptyParents() const
{
    std::string csPath = m_csPath;
    for (size_t nSlash = csPath.find_last_of('\\'); nSlash != std::string::npos; nSlash = csPath.find_last_of('\\'))
    {
        csPath.erase(nSlash);
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(m_hRoot, csPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return;
        DWORD dwSubKeys = 0;
        DWORD dwValues = 0;
        LONG lResult = RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &dwSubKeys, nullptr, nullptr, &dwValues,
                                        nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(hKey);
        if (lResult != ERROR_SUCCESS || dwSubKeys != 0 || dwValues != 0)
            return;
        if (RegDeleteKeyA(m_hRoot, csPath.c_str()) != ERROR_SUCCESS)
            return;
    }
}

BOOL CRegistryKey::DeleteKey(BOOL bResetAccess, BOOL bRemoveEmptyParents) const
{
    if (m_csPath.empty())
        return FALSE;
    BOOL bOk = DeleteTree(m_hRoot, m_csPath, bResetAccess);
    if (bOk && bRemoveEmptyParents)
        RemoveEmptyParents();
    return bOk;
}
