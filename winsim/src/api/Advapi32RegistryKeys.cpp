// ADVAPI32 registry functions that open, create, delete and close keys.
#include <string>
#include <vector>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryHandles.h"
#include "registry/SecurityDescriptorView.h"
#include "windows.h"

using winsim::KeyRef;
using winsim::RegistryHandles;
using winsim::RegistryStore;
using winsim::Runtime;

namespace
{

bool HasLeadingBackslash(const char* subKey)
{
    return subKey && subKey[0] == '\\';
}

} // namespace

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    RegistryHandles handles(*rt);
    KeyRef parent;
    LONG rc = handles.Resolve(hKey, parent);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::string subKey = lpSubKey ? lpSubKey : "";
    // An empty name opens a predefined key as itself and any other key as a new handle.
    if (subKey.empty() && parent->Predefined())
    {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    *phkResult = nullptr;
    if (rt->Identity().IsNT() && HasLeadingBackslash(lpSubKey))
        return ERROR_BAD_PATHNAME;
    RegistryStore& registry = handles.Registry();
    if (!registry.KeyExists(parent->Key()))
        return ERROR_KEY_DELETED;
    int64_t key = registry.FindSubKey(parent->Key(), subKey);
    if (!key)
        return ERROR_FILE_NOT_FOUND;
    return handles.Open(key, parent->MachineHive(), samDesired, phkResult);
}

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult)
{
    if (!Runtime::Current())
        return ERROR_NOT_READY;
    WINSIM_FAULT_POINT_RESULT();
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    // Without a name the very handle passed in comes back, whatever it is.
    if (!lpSubKey || !*lpSubKey)
    {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExA(hKey, lpSubKey, 0, MAXIMUM_ALLOWED, phkResult);
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR lpClass, DWORD dwOptions,
                            REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (!phkResult)
        return ERROR_BADKEY;
    RegistryHandles handles(*rt);
    KeyRef parent;
    LONG rc = handles.Resolve(hKey, parent);
    if (rc != ERROR_SUCCESS)
        return rc;
    *phkResult = nullptr;
    if (HasLeadingBackslash(lpSubKey))
        return ERROR_BAD_PATHNAME;
    bool isVolatile = (dwOptions & REG_OPTION_VOLATILE) != 0;

    winsim::Transaction txn(handles.GetStore());
    if (!txn.Ok())
        return ERROR_REGISTRY_IO_FAILED;
    RegistryStore& registry = handles.Registry();
    if (!registry.KeyExists(parent->Key()))
        return ERROR_KEY_DELETED;
    // Walk down the levels that exist; access to the parent handle does not matter, as on Windows.
    std::vector<std::string> names = RegistryStore::SplitPath(lpSubKey ? lpSubKey : "");
    int64_t key = parent->Key();
    size_t level = 0;
    for (; level < names.size(); ++level)
    {
        int64_t child = registry.FindChild(key, names[level]);
        if (!child)
            break;
        key = child;
    }
    if (level == names.size())
    {
        rc = handles.Open(key, parent->MachineHive(), samDesired, phkResult);
        if (rc == ERROR_SUCCESS && lpdwDisposition)
            *lpdwDisposition = REG_OPENED_EXISTING_KEY;
        return rc;
    }

    // The new levels need KEY_CREATE_SUB_KEY on the deepest existing key, and inherit its access list.
    uint32_t denied = handles.Denied(key, parent->MachineHive());
    uint32_t granted = 0;
    if ((denied & KEY_CREATE_SUB_KEY) || !winsim::RegistryAccess::Grant(samDesired, denied, granted))
        return ERROR_ACCESS_DENIED;
    if (registry.IsVolatile(key) && !isVolatile)
        return ERROR_CHILD_MUST_BE_VOLATILE;
    std::string path = registry.PathOf(key);
    for (; level < names.size(); ++level)
    {
        bool last = level + 1 == names.size();
        key = registry.CreateChild(key, names[level], isVolatile, last && lpClass ? lpClass : "");
        if (!key)
            return ERROR_REGISTRY_IO_FAILED;
        path += "\\" + names[level];
        winsim::Journal::Record("registry", "create", path, isVolatile ? "volatile" : "");
    }
    if (lpSecurityAttributes && lpSecurityAttributes->lpSecurityDescriptor)
    {
        winsim::SecurityDescriptorView descriptor;
        rc = descriptor.Read(lpSecurityAttributes->lpSecurityDescriptor);
        if (rc != ERROR_SUCCESS)
            return rc;
        if (descriptor.HasDacl() && rt->Identity().IsNT())
            registry.SetDenyWrite(key, !descriptor.AdminCanWrite(rt->Identity(), false), false);
    }
    if (!txn.Commit())
        return ERROR_REGISTRY_IO_FAILED;
    auto object = std::make_shared<winsim::RegistryKeyObject>(key, granted, parent->MachineHive(), path);
    *phkResult = static_cast<HKEY>(rt->Handles().Insert(std::move(object)));
    if (lpdwDisposition)
        *lpdwDisposition = REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult)
{
    if (!Runtime::Current())
        return ERROR_NOT_READY;
    WINSIM_FAULT_POINT_RESULT();
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    return RegCreateKeyExA(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED, nullptr, phkResult,
                           nullptr);
}

LONG WINAPI RegCloseKey(HKEY hKey)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    winsim::RegRoot root;
    if (RegistryHandles::IsPredefined(hKey, root))
        return ERROR_SUCCESS;
    if (!hKey || !rt->Handles().Lookup(hKey, winsim::ObjectKind::RegistryKey) || !rt->Handles().Close(hKey))
        return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    RegistryHandles handles(*rt);
    KeyRef parent;
    LONG rc = handles.Resolve(hKey, parent);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (rt->Identity().IsNT() && HasLeadingBackslash(lpSubKey))
        return ERROR_BAD_PATHNAME;

    winsim::Transaction txn(handles.GetStore());
    if (!txn.Ok())
        return ERROR_REGISTRY_IO_FAILED;
    RegistryStore& registry = handles.Registry();
    if (!registry.KeyExists(parent->Key()))
        return ERROR_KEY_DELETED;
    int64_t key = parent->Key();
    if (*lpSubKey)
    {
        key = registry.FindSubKey(key, lpSubKey);
        if (!key)
            return ERROR_FILE_NOT_FOUND;
        if (handles.Denied(key, parent->MachineHive()) & DELETE)
            return ERROR_ACCESS_DENIED;
    }
    else if (parent->Predefined() || !(parent->Granted() & DELETE))
    {
        return ERROR_ACCESS_DENIED;
    }
    if (registry.ParentOf(key) == 0)
        return ERROR_ACCESS_DENIED;
    std::string path = registry.PathOf(key);
    bool hasSubKeys = registry.HasSubKeys(key);
    // NT deletes only leaves; Windows 9x takes the whole tree.
    if (hasSubKeys && rt->Identity().IsNT())
        return ERROR_ACCESS_DENIED;
    if (!(hasSubKeys ? registry.DeleteTree(key) : registry.DeleteKey(key)))
        return ERROR_REGISTRY_IO_FAILED;
    winsim::Journal::Record("registry", "delete-key", path, hasSubKeys ? "tree" : "");
    if (!txn.Commit())
        return ERROR_REGISTRY_IO_FAILED;
    return ERROR_SUCCESS;
}

LONG WINAPI RegFlushKey(HKEY hKey)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    RegistryHandles handles(*rt);
    KeyRef key;
    // Every change is committed when its call returns; there is nothing left to write.
    return handles.Require(hKey, 0, key);
}
