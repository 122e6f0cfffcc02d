// Machine control entry point for plugging devices in and out, declared in winsim/winsim.h.
#include "DeviceTree.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "winsim/winsim.h"

namespace winsim
{

bool SetDevicePlugged(const std::string& instanceId, bool plugged)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return false;
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    return tree.Plug(instanceId, plugged) && txn.Commit();
}

} // namespace winsim
