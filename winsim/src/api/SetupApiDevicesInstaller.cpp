// SETUPAPI: the device installer's default actions on a device of a set. DIF_PROPERTYCHANGE enables or
// disables it (SetupDiChangeState, with the parameters SetupDiSetClassInstallParamsA gave); the device
// shows the change after a short virtual delay. DIF_REMOVE takes it out of the machine: devnode, Enum key
// and driver key; a device still plugged in comes back without a driver at the next re-enumeration.
// DIF_REGISTERDEVICE registers a device the program created (SetupDiRegisterDeviceInfo); DIF_INSTALLDEVICE
// installs the driver selected for it (pnp/SelectedDriverInstall.h).
// Both need an administrator on NT. Other DIF_ codes have no default action here: ERROR_DI_DO_DEFAULT.
#include <cstring>
#include <vector>

#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceSetAccess.h"
#include "devices/DeviceTree.h"
#include "faults/FaultPoint.h"
#include "pnp/DeviceDriverLists.h"
#include "pnp/SelectedDriverInstall.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

namespace
{

bool MayChangeDevices(Runtime& rt)
{
    if (rt.Identity().IsNT() && !rt.Identity().administrator)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool ValidPropertyChange(const SP_PROPCHANGE_PARAMS& params)
{
    const DWORD scope = params.Scope;
    switch (params.StateChange)
    {
    case DICS_ENABLE:
    case DICS_DISABLE:
    case DICS_PROPCHANGE:
        return scope == DICS_FLAG_GLOBAL || scope == DICS_FLAG_CONFIGSPECIFIC;
    case DICS_START:
    case DICS_STOP:
        return scope == DICS_FLAG_CONFIGSPECIFIC;
    default:
        return false;
    }
}

BOOL ChangeDeviceState(Runtime& rt, HDEVINFO handle, PSP_DEVINFO_DATA data)
{
    Transaction txn(rt.GetMachine().GetStore());
    DeviceTree tree(rt);
    tree.Settle();
    DeviceRef ref;
    if (!DeviceSetAccess::Resolve(rt, tree, handle, data, ref))
        return FALSE;
    std::vector<uint8_t> bytes;
    SP_PROPCHANGE_PARAMS params;
    if (!ref.set->Params(ref.element.id, bytes) || bytes.size() != sizeof(params))
    {
        SetLastError(ERROR_NO_CLASSINSTALL_PARAMS);
        return FALSE;
    }
    std::memcpy(&params, bytes.data(), sizeof(params));
    if (params.ClassInstallHeader.InstallFunction != DIF_PROPERTYCHANGE)
    {
        SetLastError(ERROR_NO_CLASSINSTALL_PARAMS);
        return FALSE;
    }
    if (!MayChangeDevices(rt))
        return FALSE;
    const bool global = params.Scope == DICS_FLAG_GLOBAL;
    bool done = true;
    switch (params.StateChange)
    {
    case DICS_ENABLE:
    case DICS_START:
        done = tree.SetDisabled(ref.Instance(), false, global);
        break;
    case DICS_DISABLE:
    case DICS_STOP:
        done = tree.SetDisabled(ref.Instance(), true, global);
        break;
    default:
        // DICS_PROPCHANGE restarts the device: its state stays as it is.
        break;
    }
    if (!done || !txn.Commit())
    {
        SetLastError(ERROR_REGISTRY_IO_FAILED);
        return FALSE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL RemoveDevice(Runtime& rt, HDEVINFO handle, PSP_DEVINFO_DATA data)
{
    Transaction txn(rt.GetMachine().GetStore());
    DeviceTree tree(rt);
    tree.Settle();
    DeviceRef ref;
    if (!DeviceSetAccess::Resolve(rt, tree, handle, data, ref) || !MayChangeDevices(rt))
        return FALSE;
    if (!tree.Remove(ref.Instance()) || !txn.Commit())
    {
        SetLastError(ERROR_REGISTRY_IO_FAILED);
        return FALSE;
    }
    ref.set->MarkRemoved(ref.element.id);
    SetLastError(NO_ERROR);
    return TRUE;
}

} // namespace

BOOL WINAPI SetupDiSetClassInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                          PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto set = DeviceInfoSet::FromHandle(*rt, DeviceInfoSet);
    if (!set)
        return FALSE;
    uint64_t id = 0;
    if (DeviceInfoData)
    {
        Transaction txn(rt->GetMachine().GetStore());
        DeviceTree tree(*rt);
        DeviceRef ref;
        if (!DeviceSetAccess::Resolve(*rt, tree, DeviceInfoSet, DeviceInfoData, ref))
            return FALSE;
        id = ref.element.id;
    }
    if (!ClassInstallParams)
    {
        if (ClassInstallParamsSize)
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        set->ClearParams(id);
        SetLastError(NO_ERROR);
        return TRUE;
    }
    if (ClassInstallParams->cbSize != sizeof(SP_CLASSINSTALL_HEADER) ||
        ClassInstallParamsSize < sizeof(SP_CLASSINSTALL_HEADER))
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (ClassInstallParams->InstallFunction == DIF_PROPERTYCHANGE)
    {
        if (ClassInstallParamsSize != sizeof(SP_PROPCHANGE_PARAMS))
        {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        if (!ValidPropertyChange(*reinterpret_cast<const SP_PROPCHANGE_PARAMS*>(ClassInstallParams)))
        {
            SetLastError(ERROR_INVALID_FLAGS);
            return FALSE;
        }
    }
    if (ClassInstallParams->InstallFunction == DIF_REMOVE)
    {
        if (ClassInstallParamsSize != sizeof(SP_REMOVEDEVICE_PARAMS))
        {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        const DWORD scope = reinterpret_cast<const SP_REMOVEDEVICE_PARAMS*>(ClassInstallParams)->Scope;
        if (scope != DI_REMOVEDEVICE_GLOBAL && scope != DI_REMOVEDEVICE_CONFIGSPECIFIC)
        {
            SetLastError(ERROR_INVALID_FLAGS);
            return FALSE;
        }
    }
    set->SetParams(id, ClassInstallParams, ClassInstallParamsSize);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiChangeState(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    return ChangeDeviceState(*rt, DeviceInfoSet, DeviceInfoData);
}

BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                      PSP_DEVINFO_DATA DeviceInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!DeviceInfoSet::FromHandle(*rt, DeviceInfoSet))
        return FALSE;
    switch (InstallFunction)
    {
    case DIF_PROPERTYCHANGE:
        return ChangeDeviceState(*rt, DeviceInfoSet, DeviceInfoData);
    case DIF_REMOVE:
        return RemoveDevice(*rt, DeviceInfoSet, DeviceInfoData);
    case DIF_REGISTERDEVICE:
        return SetupDiRegisterDeviceInfo(DeviceInfoSet, DeviceInfoData, 0, nullptr, nullptr, nullptr);
    case DIF_INSTALLDEVICE:
        return InstallSelectedDriver(*rt, DeviceInfoSet, DeviceInfoData);
    default:
        SetLastError(ERROR_DI_DO_DEFAULT);
        return FALSE;
    }
}

BOOL WINAPI SetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto set = DeviceInfoSet::FromHandle(*rt, DeviceInfoSet);
    if (!set)
        return FALSE;
    DeviceInfoSet::Element element;
    if (DeviceInfoData && (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA) || !set->Find(*DeviceInfoData, element)))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (DriverType != SPDIT_CLASSDRIVER && DriverType != SPDIT_COMPATDRIVER)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (element.id)
    {
        DeviceDriverLists::State state = DeviceDriverLists::Get(element.id);
        (DriverType == SPDIT_CLASSDRIVER ? state.classDrivers : state.compatDrivers).clear();
        DeviceDriverLists::Put(element.id, state);
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
