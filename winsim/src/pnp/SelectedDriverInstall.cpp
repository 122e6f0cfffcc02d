#include "SelectedDriverInstall.h"

#include <memory>
#include <string>

#include "DeviceDriverLists.h"
#include "DriverInstaller.h"
#include "PublishedInf.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceInfoSet.h"
#include "devices/DeviceTree.h"

namespace winsim
{

BOOL InstallSelectedDriver(Runtime& rt, HDEVINFO handle, PSP_DEVINFO_DATA data)
{
    std::shared_ptr<DeviceInfoSet> set;
    DeviceInfoSet::Element element;
    set = DeviceInfoSet::FromHandle(rt, handle);
    if (!set)
        return FALSE;
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA) || !set->Find(*data, element))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (rt.Identity().IsNT() && !rt.Identity().administrator)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DeviceDriverLists::State state = DeviceDriverLists::Get(element.id);
    if (!state.selected.Found())
    {
        SetLastError(ERROR_NO_DRIVER_SELECTED);
        return FALSE;
    }
    bool registered = false;
    {
        Transaction txn(rt.GetMachine().GetStore());
        DeviceTree tree(rt);
        tree.Settle();
        DeviceRecord device;
        registered = tree.Find(element.instance, device) && device.present && !tree.IsUnregistered(element.instance);
        txn.Commit();
    }
    if (!registered)
    {
        SetLastError(ERROR_DEVINFO_NOT_REGISTERED);
        return FALSE;
    }
    std::string published;
    bool alreadyThere = false;
    uint32_t error = 0;
    if (!PublishedInf::Publish(rt, state.selected.inf->file.path, published, alreadyThere, error))
    {
        SetLastError(error);
        return FALSE;
    }
    bool reboot = false;
    if (!DriverInstaller(rt).Install(element.instance, state.selected, published.substr(published.rfind('\\') + 1),
                                     reboot, error))
    {
        SetLastError(error);
        return FALSE;
    }
    if (reboot)
    {
        state.params.Flags |= DI_NEEDREBOOT;
        DeviceDriverLists::Put(element.id, state);
    }
    SetLastError(NO_ERROR);
    return TRUE;
}

} // namespace winsim
