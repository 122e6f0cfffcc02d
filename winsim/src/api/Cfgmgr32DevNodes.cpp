// CFGMGR32: devnodes. A DEVINST stands for a device instance for the life of the machine (1 is the root,
// HTREE\ROOT\0); a device that is not present has no devnode (CR_NO_SUCH_DEVINST), except for
// CM_Locate_DevNodeA with CM_LOCATE_DEVNODE_PHANTOM and CM_Get_Device_IDA, which take devices the
// machine has keys for. Only the local machine exists: a machine handle must be NULL.
#include <cstring>

#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/CfgmgrEntry.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceTree.h"
#include "pnp/PendingInstalls.h"
#include "windows.h"
#include "cfgmgr32.h"

using namespace winsim;

namespace
{

// The device behind a DEVINST other than the root: CR_INVALID_DEVNODE for none, CR_NO_SUCH_DEVINST for one
// without a devnode (or, with `phantomToo`, without keys either).
CONFIGRET FindDevice(DeviceTree& tree, DEVINST devinst, bool phantomToo, DeviceRecord& device)
{
    if (!tree.Find(static_cast<uint32_t>(devinst), device))
        return CR_INVALID_DEVNODE;
    if (device.present || (phantomToo && tree.EnumKey(device)))
        return CR_SUCCESS;
    return CR_NO_SUCH_DEVINST;
}

std::string InstanceOf(DeviceTree& tree, DEVINST devinst, CONFIGRET& result)
{
    if (devinst == DeviceTree::kRootDevinst)
    {
        result = CR_SUCCESS;
        return DeviceTree::kRootInstance;
    }
    DeviceRecord device;
    result = FindDevice(tree, devinst, true, device);
    return device.instance;
}

// CM_Get_Child and CM_Get_Sibling: the first present device under `parent` that follows `after` (the
// first of all when `after` is empty).
CONFIGRET NextPresent(DeviceTree& tree, const std::string& parent, const std::string& after, PDEVINST result)
{
    bool passed = after.empty();
    for (const DeviceRecord& child : tree.PresentChildren(parent))
    {
        if (passed)
        {
            *result = child.devinst;
            return CR_SUCCESS;
        }
        passed = child.instance == after;
    }
    return CR_NO_SUCH_DEVNODE;
}

// The arguments CM_Get_Parent, CM_Get_Child and CM_Get_Sibling check, in their order; the answer starts as 0.
CONFIGRET CheckRelativeArguments(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    if (!pdnDevInst)
        return CR_INVALID_POINTER;
    *pdnDevInst = 0;
    if (dnDevInst == 0)
        return CR_INVALID_DEVNODE;
    if (ulFlags != 0)
        return CR_INVALID_FLAG;
    return CR_SUCCESS;
}

} // namespace

CONFIGRET WINAPI CM_Locate_DevNode_ExA(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags, HMACHINE hMachine)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    PendingInstalls::RunDue(*rt);
    if (!pdnDevInst || hMachine)
        return CR_INVALID_POINTER;
    *pdnDevInst = 0;
    if (ulFlags & ~static_cast<ULONG>(CM_LOCATE_DEVNODE_BITS))
        return CR_INVALID_FLAG;
    const std::string id = pDeviceID ? DeviceIds::Upper(pDeviceID) : std::string();
    if (id.empty() || id == DeviceTree::kRootInstance)
    {
        *pdnDevInst = DeviceTree::kRootDevinst;
        return CR_SUCCESS;
    }
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    DeviceRecord device;
    const bool found =
        tree.Find(id, device) && (device.present || ((ulFlags & CM_LOCATE_DEVNODE_PHANTOM) && tree.EnumKey(device)));
    txn.Commit();
    if (!found)
        return CR_NO_SUCH_DEVNODE;
    *pdnDevInst = device.devinst;
    return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Locate_DevNodeA(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    return CM_Locate_DevNode_ExA(pdnDevInst, pDeviceID, ulFlags, nullptr);
}

CONFIGRET WINAPI CM_Get_DevNode_Status_Ex(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst, ULONG ulFlags,
                                          HMACHINE hMachine)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    PendingInstalls::RunDue(*rt);
    if (!pulStatus || !pulProblemNumber || hMachine)
        return CR_INVALID_POINTER;
    *pulStatus = 0;
    *pulProblemNumber = 0;
    if (dnDevInst == 0)
        return CR_INVALID_DEVNODE;
    if (ulFlags != 0)
        return CR_INVALID_FLAG;
    DeviceState state = DeviceStatus::Root(rt->Identity().IsNT());
    if (dnDevInst != DeviceTree::kRootDevinst)
    {
        Transaction txn(rt->GetMachine().GetStore());
        DeviceTree tree(*rt);
        tree.Settle();
        DeviceRecord device;
        const CONFIGRET found = FindDevice(tree, dnDevInst, false, device);
        txn.Commit();
        if (found != CR_SUCCESS)
            return found;
        state = tree.State(device);
    }
    *pulStatus = state.status;
    *pulProblemNumber = state.problem;
    return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_DevNode_Status(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    return CM_Get_DevNode_Status_Ex(pulStatus, pulProblemNumber, dnDevInst, ulFlags, nullptr);
}

CONFIGRET WINAPI CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    if (CONFIGRET checked = CheckRelativeArguments(pdnDevInst, dnDevInst, ulFlags); checked != CR_SUCCESS)
        return checked;
    if (dnDevInst == DeviceTree::kRootDevinst)
        return CR_NO_SUCH_DEVNODE;
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    DeviceRecord device;
    DeviceRecord parent;
    CONFIGRET result = FindDevice(tree, dnDevInst, false, device);
    if (result == CR_SUCCESS)
        *pdnDevInst =
            !device.parent.empty() && tree.Find(device.parent, parent) ? parent.devinst : DeviceTree::kRootDevinst;
    txn.Commit();
    return result;
}

CONFIGRET WINAPI CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    if (CONFIGRET checked = CheckRelativeArguments(pdnDevInst, dnDevInst, ulFlags); checked != CR_SUCCESS)
        return checked;
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    DeviceRecord device;
    CONFIGRET result = dnDevInst == DeviceTree::kRootDevinst ? CR_SUCCESS : FindDevice(tree, dnDevInst, false, device);
    if (result == CR_SUCCESS)
        result = NextPresent(tree, device.instance, {}, pdnDevInst);
    txn.Commit();
    return result;
}

CONFIGRET WINAPI CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    if (CONFIGRET checked = CheckRelativeArguments(pdnDevInst, dnDevInst, ulFlags); checked != CR_SUCCESS)
        return checked;
    if (dnDevInst == DeviceTree::kRootDevinst)
        return CR_NO_SUCH_DEVNODE;
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    DeviceRecord device;
    CONFIGRET result = FindDevice(tree, dnDevInst, false, device);
    if (result == CR_SUCCESS)
        result = NextPresent(tree, device.parent, device.instance, pdnDevInst);
    txn.Commit();
    return result;
}

CONFIGRET WINAPI CM_Get_Device_IDA(DEVINST dnDevInst, PSTR Buffer, ULONG BufferLen, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    if (!Buffer)
        return CR_INVALID_POINTER;
    if (dnDevInst == 0)
        return CR_INVALID_DEVNODE;
    if (ulFlags != 0)
        return CR_INVALID_FLAG;
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    CONFIGRET result = CR_SUCCESS;
    const std::string id = InstanceOf(tree, dnDevInst, result);
    txn.Commit();
    if (result != CR_SUCCESS)
        return result;
    // An ID that fills the buffer exactly comes back without its terminating null, and that is a success.
    if (BufferLen < id.size())
    {
        std::memcpy(Buffer, id.data(), BufferLen);
        return CR_BUFFER_SMALL;
    }
    std::memcpy(Buffer, id.data(), id.size());
    if (BufferLen > id.size())
        Buffer[id.size()] = '\0';
    return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_Device_ID_Size(PULONG pulLen, DEVINST dnDevInst, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    if (!pulLen)
        return CR_INVALID_POINTER;
    *pulLen = 0;
    if (dnDevInst == 0)
        return CR_INVALID_DEVNODE;
    if (ulFlags != 0)
        return CR_INVALID_FLAG;
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    CONFIGRET result = CR_SUCCESS;
    const std::string id = InstanceOf(tree, dnDevInst, result);
    txn.Commit();
    if (result == CR_SUCCESS)
        *pulLen = static_cast<ULONG>(id.size());
    return result;
}
