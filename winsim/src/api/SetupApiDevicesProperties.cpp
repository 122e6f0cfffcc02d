// SETUPAPI: what a device's keys say. Properties are the values of its Enum key, returned as stored: on
// Windows 9x HardwareID and CompatibleIDs are one comma-separated REG_SZ and ConfigFlags is REG_BINARY.
// SetupDiOpenDevRegKey opens `Device Parameters` (DIREG_DEV; the device key itself on Windows 9x) or the
// driver key (DIREG_DRV) with the access asked for, checked as RegOpenKeyExA checks it.
#include <cstdio>
#include <cstring>

#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceProperties.h"
#include "devices/DeviceSetAccess.h"
#include "devices/DeviceTree.h"
#include "faults/FaultPoint.h"
#include "registry/RegistryHandles.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

namespace
{

// The key a config-specific open names: the current hardware profile's copy of the device's keys.
int64_t ConfigSpecificKey(DeviceTree& tree, const DeviceRef& ref, DWORD hwProfile, DWORD keyType)
{
    char profile[16];
    std::snprintf(profile, sizeof(profile), "%04u", static_cast<unsigned>(hwProfile));
    const bool nt = tree.IsNT();
    const std::string base = nt ? std::string("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\") +
                                      (hwProfile ? profile : "Current") + "\\System\\CurrentControlSet"
                                : std::string("HKEY_LOCAL_MACHINE\\Config\\") + (hwProfile ? profile : "0001");
    if (keyType == DIREG_DEV)
        return tree.Registry().Registry().FindKey(base + "\\Enum\\" + ref.Instance());
    std::string driver;
    if (!tree.Registry().ReadString(ref.enumKey, "Driver", driver) || driver.empty())
        return 0;
    return tree.Registry().Registry().FindKey(base + (nt ? "\\Control\\Class\\" : "\\Services\\Class\\") + driver);
}

} // namespace

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                              PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                              DWORD PropertyBufferSize, PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    // Reads only: no transaction of its own, so that a program walking every device's properties is fast.
    DeviceTree tree(*rt);
    DeviceRef ref;
    if (!DeviceSetAccess::Resolve(*rt, tree, DeviceInfoSet, DeviceInfoData, ref))
        return FALSE;
    if (PropertyBufferSize && !PropertyBuffer)
    {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    if (Property >= SPDRP_MAXIMUM_PROPERTY)
    {
        SetLastError(ERROR_INVALID_REG_PROPERTY);
        return FALSE;
    }
    RegValue value;
    if (Property == SPDRP_ENUMERATOR_NAME)
    {
        const std::string enumerator = DeviceIds::Enumerator(ref.Instance());
        value.type = REG_SZ;
        value.data.assign(enumerator.begin(), enumerator.end());
        value.data.push_back(0);
    }
    else
    {
        const DeviceProperty* entry = DeviceProperties::Find(Property);
        const char* name = entry ? entry->valueName : nullptr;
        if (!name || !tree.Registry().Registry().QueryValue(ref.enumKey, name, value))
        {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
    }
    const DWORD size = static_cast<DWORD>(value.data.size());
    if (PropertyRegDataType)
        *PropertyRegDataType = value.type;
    if (RequiredSize)
        *RequiredSize = size;
    if (PropertyBufferSize < size)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (size)
        std::memcpy(PropertyBuffer, value.data.data(), size);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, PSTR DeviceInstanceId,
                                        DWORD DeviceInstanceIdSize, PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    DeviceRef ref;
    if (!DeviceSetAccess::Resolve(*rt, tree, DeviceInfoSet, DeviceInfoData, ref))
        return FALSE;
    txn.Commit();
    if (!DeviceInstanceId && DeviceInstanceIdSize)
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    const DWORD size = static_cast<DWORD>(ref.Instance().size() + 1);
    if (RequiredSize)
        *RequiredSize = size;
    if (DeviceInstanceIdSize < size)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(DeviceInstanceId, ref.Instance().c_str(), size);
    SetLastError(NO_ERROR);
    return TRUE;
}

HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope, DWORD HwProfile,
                                 DWORD KeyType, REGSAM samDesired)
{
    const HKEY failed = reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    WINSIM_FAULT_POINT_ATTACHED(rt, failed);
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    DeviceRef ref;
    if (!DeviceSetAccess::Resolve(*rt, tree, DeviceInfoSet, DeviceInfoData, ref))
        return failed;
    if ((Scope != DICS_FLAG_GLOBAL && Scope != DICS_FLAG_CONFIGSPECIFIC) ||
        (KeyType != DIREG_DEV && KeyType != DIREG_DRV))
    {
        SetLastError(ERROR_INVALID_FLAGS);
        return failed;
    }
    // A device created through the set has no keys but its own until it is registered.
    if (ref.element.created && tree.IsUnregistered(ref.Instance()))
    {
        SetLastError(ERROR_DEVINFO_NOT_REGISTERED);
        return failed;
    }
    int64_t key = 0;
    if (Scope == DICS_FLAG_CONFIGSPECIFIC)
        key = ConfigSpecificKey(tree, ref, HwProfile, KeyType);
    else if (KeyType == DIREG_DEV)
        key = tree.Registry().DeviceParametersKey(ref.enumKey);
    else
        key = tree.Registry().FindDriverKey(ref.enumKey);
    txn.Commit();
    if (!key)
    {
        SetLastError(ERROR_KEY_DOES_NOT_EXIST);
        return failed;
    }
    HKEY result = nullptr;
    const LONG rc = RegistryHandles(*rt).Open(key, true, samDesired, &result);
    if (rc != ERROR_SUCCESS)
    {
        SetLastError(static_cast<DWORD>(rc));
        return failed;
    }
    SetLastError(NO_ERROR);
    return result;
}
