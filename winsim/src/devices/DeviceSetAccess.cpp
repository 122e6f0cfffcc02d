#include "DeviceSetAccess.h"

#include "DeviceIds.h"

namespace winsim
{

bool DeviceSetAccess::Resolve(Runtime& rt, DeviceTree& tree, HDEVINFO handle, const SP_DEVINFO_DATA* data,
                              DeviceRef& ref)
{
    ref.set = DeviceInfoSet::FromHandle(rt, handle);
    if (!ref.set)
        return false;
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA) || !ref.set->Find(*data, ref.element))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // A device whose keys went (removed through another set, say) is no device any more either.
    ref.enumKey = ref.element.removed ? 0 : tree.Registry().FindEnumKey(ref.element.instance, ref.element.enumKey);
    if (!ref.enumKey)
    {
        SetLastError(ERROR_NO_SUCH_DEVINST);
        return false;
    }
    if (ref.enumKey != ref.element.enumKey)
        ref.set->SetEnumKey(ref.element.id, ref.enumKey);
    return true;
}

GUID DeviceSetAccess::ClassOf(DeviceTree& tree, int64_t enumKey)
{
    std::string text;
    GUID guid = DeviceIds::NullGuid();
    if (!tree.Registry().ReadString(enumKey, "ClassGUID", text) || !DeviceIds::ParseGuid(text, guid))
        return DeviceIds::NullGuid();
    return guid;
}

} // namespace winsim
