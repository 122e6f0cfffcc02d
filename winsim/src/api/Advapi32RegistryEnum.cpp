// ADVAPI32 registry functions that list subkeys and values and describe a key.
#include <cstring>
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "registry/RegistryHandles.h"
#include "windows.h"

using winsim::KeyRef;
using winsim::RegistryHandles;
using winsim::RegValue;
using winsim::Runtime;

namespace
{

// What RegQueryInfoKeyA reports for a key's security descriptor: owner, group and a short DACL.
constexpr DWORD kSecurityDescriptorSize = 168;

void ToFileTime(uint64_t ms, PFILETIME time)
{
    if (!time)
        return;
    uint64_t ticks = ms * 10000;
    time->dwLowDateTime = static_cast<DWORD>(ticks);
    time->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

// Copies a name with its terminator if it fits in `capacity` characters (terminator included).
bool CopyName(const std::string& name, LPSTR buffer, DWORD capacity)
{
    if (name.size() >= capacity)
        return false;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return true;
}

// Fills a class buffer: on overflow what fits (terminated) and ERROR_MORE_DATA, as RegQueryInfoKeyA does.
LONG CopyClass(const std::string& className, LPSTR lpClass, LPDWORD lpcchClass)
{
    if (!lpcchClass)
        return ERROR_SUCCESS;
    if (!lpClass)
    {
        *lpcchClass = static_cast<DWORD>(className.size());
        return ERROR_SUCCESS;
    }
    if (*lpcchClass == 0)
        return ERROR_SUCCESS;
    if (className.size() >= *lpcchClass)
    {
        DWORD fits = *lpcchClass - 1;
        std::memcpy(lpClass, className.data(), fits);
        lpClass[fits] = 0;
        *lpcchClass = fits;
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpClass, className.c_str(), className.size() + 1);
    *lpcchClass = static_cast<DWORD>(className.size());
    return ERROR_SUCCESS;
}

} // namespace

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
                          LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (lpReserved || !lpName || !lpcchName || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    RegistryHandles handles(*rt);
    KeyRef key;
    LONG rc = handles.Require(hKey, KEY_ENUMERATE_SUB_KEYS, key, false);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::string name;
    std::string className;
    uint64_t mtime = 0;
    if (!handles.Registry().SubKeyAt(key->Key(), dwIndex, name, &className, &mtime))
        return handles.Registry().KeyExists(key->Key()) ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
    if (name.size() >= *lpcchName || (lpClass && className.size() >= *lpcchClass))
        return ERROR_MORE_DATA;
    CopyName(name, lpName, *lpcchName);
    *lpcchName = static_cast<DWORD>(name.size());
    if (lpClass)
    {
        CopyName(className, lpClass, *lpcchClass);
        *lpcchClass = static_cast<DWORD>(className.size());
    }
    ToFileTime(mtime, lpftLastWriteTime);
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName)
{
    if (!Runtime::Current())
        return ERROR_NOT_READY;
    WINSIM_FAULT_POINT_RESULT();
    return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (lpReserved || !lpValueName || !lpcchValueName || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    RegistryHandles handles(*rt);
    KeyRef key;
    LONG rc = handles.Require(hKey, KEY_QUERY_VALUE, key, false);
    if (rc != ERROR_SUCCESS)
        return rc;
    RegValue value;
    if (!handles.Registry().ValueAt(key->Key(), dwIndex, value))
        return handles.Registry().KeyExists(key->Key()) ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
    DWORD size = static_cast<DWORD>(value.data.size());
    // On overflow of either buffer XP writes neither, but reports the type and the data size.
    if (value.name.size() >= *lpcchValueName || (lpData && size > *lpcbData))
    {
        if (lpType)
            *lpType = value.type;
        if (lpcbData)
            *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    CopyName(value.name, lpValueName, *lpcchValueName);
    *lpcchValueName = static_cast<DWORD>(value.name.size());
    if (lpType)
        *lpType = value.type;
    if (lpData)
    {
        if (size)
            std::memcpy(lpData, value.data.data(), size);
        bool isString = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
        if (isString && size < *lpcbData && (size == 0 || lpData[size - 1] != 0))
            lpData[size] = 0;
    }
    if (lpcbData)
        *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             PFILETIME lpftLastWriteTime)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    RegistryHandles handles(*rt);
    KeyRef key;
    LONG rc = handles.Require(hKey, KEY_QUERY_VALUE, key, false);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    winsim::RegKeyInfo info;
    if (!handles.Registry().QueryInfo(key->Key(), info))
        return ERROR_KEY_DELETED;
    if (lpcSubKeys)
        *lpcSubKeys = info.subKeys;
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = info.maxSubKeyLen;
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = info.maxClassLen;
    if (lpcValues)
        *lpcValues = info.values;
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = info.maxValueNameLen;
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = info.maxValueLen;
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = rt->Identity().IsNT() ? kSecurityDescriptorSize : 0;
    ToFileTime(info.mtimeMs, lpftLastWriteTime);
    return CopyClass(info.className, lpClass, lpcchClass);
}
