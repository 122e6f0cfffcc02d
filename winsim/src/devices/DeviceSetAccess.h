// What the SETUPAPI device functions share: the set and device an HDEVINFO and an SP_DEVINFO_DATA name,
// looked up with the errors Windows gives, and a device's class as its Enum key records it.
#pragma once

#include <cstdint>
#include <memory>

#include "DeviceInfoSet.h"
#include "DeviceTree.h"

namespace winsim
{

struct DeviceRef
{
    std::shared_ptr<DeviceInfoSet> set;
    DeviceInfoSet::Element element;
    int64_t enumKey = 0;

    const std::string& Instance() const { return element.instance; }
};

class DeviceSetAccess
{
public:
    // ERROR_INVALID_HANDLE for a handle that is no set; ERROR_INVALID_PARAMETER for data that is missing,
    // of the wrong size or not from this set; ERROR_NO_SUCH_DEVINST for a device that is gone (removed).
    static bool Resolve(Runtime& rt, DeviceTree& tree, HDEVINFO handle, const SP_DEVINFO_DATA* data, DeviceRef& ref);
    // The ClassGUID value of the device's key; GUID_NULL when it has none (a device without a driver).
    static GUID ClassOf(DeviceTree& tree, int64_t enumKey);
};

} // namespace winsim
