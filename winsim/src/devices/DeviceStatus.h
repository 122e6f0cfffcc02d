// What CM_Get_DevNode_Status reports for a devnode: the DN_ flags and the problem number, worked out from
// the device's runtime state at a given time.
#pragma once

#include <cstdint>
#include <string>

#include "DeviceRecord.h"

namespace winsim
{

struct DeviceState
{
    bool present = false;
    uint32_t status = 0;
    uint32_t problem = 0;
};

class DeviceStatus
{
public:
    static DeviceState Of(const DeviceRecord& device, bool isNT, uint64_t now);
    static DeviceState Root(bool isNT);
    // Its driver loaded and runs: the device has a devnode, a driver, no problem, and is not disabled.
    static bool Started(const DeviceRecord& device, uint64_t now);
    // "disabled", "no driver", ...: what the problem number means, for the winsim command.
    static std::string ProblemText(uint32_t problem);
};

} // namespace winsim
