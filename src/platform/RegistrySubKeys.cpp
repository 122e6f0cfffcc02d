#include "platform/RegistrySubKeys.h"

CStringList GetRegSubKeyNames(HKEY hRoot, const std::string& csPath, size_t nMaxKeys)
{
    CStringList names;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, csPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return names;
    for (DWORD dwIndex = 0; names.size() < nMaxKeys; ++dwIndex)
    {
        char szName[MAX_PATH] = {0};
        DWORD dwChars = MAX_PATH;
        LONG lResult = RegEnumKeyExA(hKey, dwIndex, szName, &dwChars, nullptr, nullptr, nullptr, nullptr);
        if (lResult == ERROR_NO_MORE_ITEMS)
            break;
        // A name too long for a path is skipped, not cut.
        if (lResult == ERROR_SUCCESS)
            names.push_back(szName);
        else if (lResult != ERROR_MORE_DATA)
            break;
    }
    RegCloseKey(hKey);
    return names;
}
