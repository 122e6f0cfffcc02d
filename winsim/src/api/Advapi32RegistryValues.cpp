// ADVAPI32 registry functions that read, write and delete values.
#include <cstring>
#include <string>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "registry/RegFileWriter.h"
#include "registry/RegistryHandles.h"
#include "windows.h"

using winsim::KeyRef;
using winsim::RegistryHandles;
using winsim::RegValue;
using winsim::Runtime;

namespace
{

// The journal shows a value as its .reg line, cut short for large data.
std::string Describe(const RegValue& value)
{
    constexpr size_t kLimit = 240;
    std::string text = winsim::RegFileWriter::FormatValue(value, false);
    if (text.size() > kLimit)
        text = text.substr(0, kLimit) + "...";
    return text;
}

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

} // namespace

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    RegistryHandles handles(*rt);
    KeyRef key;
    LONG rc = handles.Require(hKey, KEY_QUERY_VALUE, key, false);
    if (rc != ERROR_SUCCESS)
        return rc;
    RegValue value;
    if (!handles.Registry().QueryValue(key->Key(), lpValueName ? lpValueName : "", value))
        return handles.Registry().KeyExists(key->Key()) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    DWORD size = static_cast<DWORD>(value.data.size());
    if (lpType)
        *lpType = value.type;
    if (lpData)
    {
        if (size > *lpcbData)
        {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size)
            std::memcpy(lpData, value.data.data(), size);
        // A string stored without its terminator gets one if the buffer has room; the size stays as stored.
        if (IsStringType(value.type) && size < *lpcbData && (size == 0 || lpData[size - 1] != 0))
            lpData[size] = 0;
    }
    if (lpcbData)
        *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData,
                           DWORD cbData)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    RegistryHandles handles(*rt);
    KeyRef key;
    LONG rc = handles.Require(hKey, KEY_SET_VALUE, key, false);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (!lpData && cbData)
        return ERROR_NOACCESS;
    DWORD size = cbData;
    if (!rt->Identity().IsNT() && dwType == REG_SZ)
    {
        // Windows 9x ignores the size of a string and takes its length.
        if (!lpData)
            return ERROR_INVALID_PARAMETER;
        size = static_cast<DWORD>(std::strlen(reinterpret_cast<const char*>(lpData)) + 1);
    }
    else if (IsStringType(dwType) && size && lpData[size - 1] != 0 && lpData[size] == 0)
    {
        // NT adds the terminator a caller forgot to count when it follows the data.
        ++size;
    }
    RegValue value{lpValueName ? lpValueName : "", dwType, {}};
    if (size)
        value.data.assign(lpData, lpData + size);

    winsim::Transaction txn(handles.GetStore());
    if (!txn.Ok())
        return ERROR_REGISTRY_IO_FAILED;
    if (!handles.Registry().SetValue(key->Key(), value.name, dwType, value.data.data(), value.data.size()))
        return handles.Registry().KeyExists(key->Key()) ? ERROR_REGISTRY_IO_FAILED : ERROR_KEY_DELETED;
    winsim::Journal::Record("registry", "set", key->Path(), Describe(value));
    return txn.Commit() ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    RegistryHandles handles(*rt);
    KeyRef key;
    LONG rc = handles.Require(hKey, KEY_SET_VALUE, key, false);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::string name = lpValueName ? lpValueName : "";
    winsim::Transaction txn(handles.GetStore());
    if (!txn.Ok())
        return ERROR_REGISTRY_IO_FAILED;
    if (!handles.Registry().DeleteValue(key->Key(), name))
        return handles.Registry().KeyExists(key->Key()) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    winsim::Journal::Record("registry", "delete-value", key->Path(), name.empty() ? "@" : name);
    return txn.Commit() ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}
