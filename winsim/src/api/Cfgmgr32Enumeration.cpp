// CFGMGR32: re-enumeration and pending installs. CM_Reenumerate_DevNode finds again what the buses below a
// devnode have: removed devices that are still plugged in come back, without a driver, as new hardware.
// CMP_WaitNoPendingInstallEvents waits in virtual time until no install activity is pending (see
// devices/DeviceTree.h); the driver installs a re-enumeration queued run once due (pnp/PendingInstalls.h).
#include <algorithm>

#include "core/Clock.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/CfgmgrEntry.h"
#include "devices/DeviceTree.h"
#include "pnp/PendingInstalls.h"
#include "windows.h"
#include "cfgmgr32.h"

using namespace winsim;

CONFIGRET WINAPI CM_Reenumerate_DevNode_Ex(DEVINST dnDevInst, ULONG ulFlags, HMACHINE hMachine)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    if (hMachine)
        return CR_INVALID_POINTER;
    if (dnDevInst == 0)
        return CR_INVALID_DEVNODE;
    if (ulFlags & ~static_cast<ULONG>(CM_REENUMERATE_BITS))
        return CR_INVALID_FLAG;
    if (rt->Identity().IsNT() && !rt->Identity().administrator)
        return CR_ACCESS_DENIED;
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    if (dnDevInst != DeviceTree::kRootDevinst)
    {
        DeviceRecord device;
        if (!tree.Find(static_cast<uint32_t>(dnDevInst), device))
            return CR_INVALID_DEVNODE;
        if (!device.present)
            return CR_NO_SUCH_DEVINST;
    }
    if (!tree.Reenumerate(static_cast<uint32_t>(dnDevInst)) || !txn.Commit())
        return CR_FAILURE;
    // Driverless devices for which a published INF has a driver get it, after their install delay.
    PendingInstalls::QueueBelow(*rt, static_cast<uint32_t>(dnDevInst));
    return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Reenumerate_DevNode(DEVINST dnDevInst, ULONG ulFlags)
{
    WINSIM_FAULT_POINT_CONFIGRET(rt);
    return CM_Reenumerate_DevNode_Ex(dnDevInst, ulFlags, nullptr);
}

DWORD WINAPI CMP_WaitNoPendingInstallEvents(DWORD dwTimeout)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, WAIT_FAILED);
    Clock& clock = rt->GetClock();
    const uint64_t deadline = dwTimeout == INFINITE ? Clock::kForever : clock.NowMs() + dwTimeout;
    for (;;)
    {
        PendingInstalls::RunDue(*rt);
        uint64_t pendingUntil = 0;
        {
            Transaction txn(rt->GetMachine().GetStore());
            DeviceTree tree(*rt);
            tree.Settle();
            pendingUntil = tree.PendingUntil();
            txn.Commit();
        }
        if (pendingUntil == 0)
            return WAIT_OBJECT_0;
        if (clock.NowMs() >= deadline)
            return WAIT_TIMEOUT;
        // Pending work only ends with time; the loop looks again for work that arrived meanwhile.
        clock.WaitUntil([] { return false; }, std::min(pendingUntil, deadline), false);
    }
}
