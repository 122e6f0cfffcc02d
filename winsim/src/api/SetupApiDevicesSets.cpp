// SETUPAPI: device information sets. A set lists devices in enumeration order (the profile's order), as
// their Enum keys say they are: of a class or all classes, of one enumerator, present or phantoms too.
#include <memory>
#include <string>
#include <vector>

#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceInfoSet.h"
#include "devices/DeviceSetAccess.h"
#include "devices/DeviceTree.h"
#include "pnp/DeviceDriverLists.h"
#include "pnp/PendingInstalls.h"
#include "faults/FaultPoint.h"
#include "files/NameCase.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND /*hwndParent*/, DWORD Flags)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_HANDLE_VALUE);
    PendingInstalls::RunDue(*rt);
    if (!(Flags & DIGCF_ALLCLASSES) && !ClassGuid)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const bool allClasses = (Flags & DIGCF_ALLCLASSES) != 0;
    const bool interfaces = (Flags & DIGCF_DEVICEINTERFACE) != 0;
    auto set = std::make_shared<DeviceInfoSet>(allClasses || interfaces ? DeviceIds::NullGuid() : *ClassGuid);
    // No device of winsim registers interfaces: a set of interfaces is always empty.
    if (!interfaces)
    {
        Transaction txn(rt->GetMachine().GetStore());
        DeviceTree tree(*rt);
        tree.Settle();
        const std::string filter = Enumerator ? Enumerator : "";
        if (!filter.empty() && !tree.Registry().HasEnumBranch(filter))
        {
            txn.Commit();
            SetLastError(ERROR_INVALID_DATA);
            return INVALID_HANDLE_VALUE;
        }
        for (DeviceRecord& device : tree.Devices())
        {
            if ((!filter.empty() && !DeviceIds::MatchesEnumerator(device.instance, filter)) ||
                ((Flags & DIGCF_PRESENT) && !device.present))
                continue;
            const int64_t key = tree.EnumKey(device);
            if (!key)
                continue;
            const GUID deviceClass = DeviceSetAccess::ClassOf(tree, key);
            if (allClasses || DeviceIds::SameGuid(deviceClass, *ClassGuid))
                set->Add(device.devinst, device.instance, deviceClass, key);
        }
        txn.Commit();
    }
    SetLastError(NO_ERROR);
    return rt->Handles().Insert(set);
}

HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID* ClassGuid, HWND /*hwndParent*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_HANDLE_VALUE);
    auto set = std::make_shared<DeviceInfoSet>(ClassGuid ? *ClassGuid : DeviceIds::NullGuid());
    SetLastError(NO_ERROR);
    return rt->Handles().Insert(set);
}

BOOL WINAPI SetupDiOpenDeviceInfoA(HDEVINFO DeviceInfoSet, PCSTR DeviceInstanceId, HWND /*hwndParent*/, DWORD OpenFlags,
                                   PSP_DEVINFO_DATA DeviceInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto set = DeviceInfoSet::FromHandle(*rt, DeviceInfoSet);
    if (!set)
        return FALSE;
    if (!DeviceInstanceId)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (OpenFlags & ~static_cast<DWORD>(DIOD_INHERIT_CLASSDRVS | DIOD_CANCEL_REMOVE))
    {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    if (DeviceInfoData && DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    DeviceRecord device;
    // A device a program created and has not registered is no device to open yet.
    const int64_t key =
        tree.Find(DeviceInstanceId, device) && !tree.IsUnregistered(device.instance) ? tree.EnumKey(device) : 0;
    const GUID deviceClass = key ? DeviceSetAccess::ClassOf(tree, key) : DeviceIds::NullGuid();
    txn.Commit();
    if (!key)
    {
        SetLastError(ERROR_NO_SUCH_DEVINST);
        return FALSE;
    }
    if (!DeviceIds::SameGuid(set->ClassGuid(), DeviceIds::NullGuid()) &&
        !DeviceIds::SameGuid(set->ClassGuid(), deviceClass))
    {
        SetLastError(ERROR_CLASS_MISMATCH);
        return FALSE;
    }
    const DeviceInfoSet::Element element = set->Add(device.devinst, device.instance, deviceClass, key);
    if (DeviceInfoData)
        DeviceInfoSet::Fill(element, *DeviceInfoData);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!DeviceInfoData)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto set = DeviceInfoSet::FromHandle(*rt, DeviceInfoSet);
    if (!set)
        return FALSE;
    if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    DeviceInfoSet::Element element;
    if (!set->At(MemberIndex, element))
    {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    DeviceInfoSet::Fill(element, *DeviceInfoData);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto set = DeviceInfoSet::FromHandle(*rt, DeviceInfoSet);
    if (!set)
        return FALSE;
    // Devices the set created and nobody registered go with it.
    const std::vector<std::string> created = set->Created();
    if (!created.empty())
    {
        Transaction txn(rt->GetMachine().GetStore());
        DeviceTree tree(*rt);
        tree.DropUnregistered(created);
        txn.Commit();
    }
    // Driver lists and install parameters go with the set.
    DeviceDriverLists::Forget(DeviceDriverLists::SetKey(DeviceInfoSet));
    DeviceInfoSet::Element element;
    for (size_t i = 0; set->At(i, element); ++i)
        DeviceDriverLists::Forget(element.id);
    rt->Handles().Close(DeviceInfoSet);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInfoListDetailA(HDEVINFO DeviceInfoSet,
                                            PSP_DEVINFO_LIST_DETAIL_DATA_A DeviceInfoSetDetailData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto set = DeviceInfoSet::FromHandle(*rt, DeviceInfoSet);
    if (!set)
        return FALSE;
    if (!DeviceInfoSetDetailData)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (DeviceInfoSetDetailData->cbSize != sizeof(SP_DEVINFO_LIST_DETAIL_DATA_A))
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    DeviceInfoSetDetailData->ClassGuid = set->ClassGuid();
    DeviceInfoSetDetailData->RemoteMachineHandle = nullptr;
    DeviceInfoSetDetailData->RemoteMachineName[0] = '\0';
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiClassGuidsFromNameA(PCSTR ClassName, LPGUID ClassGuidList, DWORD ClassGuidListSize,
                                       PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!ClassName || (ClassGuidListSize && !ClassGuidList))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<GUID> found;
    {
        Transaction txn(rt->GetMachine().GetStore());
        DeviceTree tree(*rt);
        for (const DeviceClass& entry : tree.Registry().Classes())
        {
            GUID guid;
            if (NameCase::Equal(entry.name, ClassName) && DeviceIds::ParseGuid(entry.guid, guid))
                found.push_back(guid);
        }
    }
    if (RequiredSize)
        *RequiredSize = static_cast<DWORD>(found.size());
    for (size_t i = 0; i < found.size() && i < ClassGuidListSize; ++i)
        ClassGuidList[i] = found[i];
    if (found.size() > ClassGuidListSize)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
