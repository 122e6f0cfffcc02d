// One device of the machine as the device tree keeps it (a row of the devices table, see core/Schema.h):
// the hardware, and the runtime state of its devnode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace winsim
{

struct DeviceRecord
{
    uint32_t devinst = 0;
    int64_t seq = 0;
    std::string instance;
    std::string parent; // empty: the root
    std::vector<std::string> hardwareIds;
    std::vector<std::string> compatibleIds;
    std::string description;
    std::string busDescription;
    bool exposed = false;
    bool plugged = true;
    std::optional<uint64_t> plugAt;
    bool present = false;
    bool removed = false;
    bool driver = false;
    bool disabled = false;
    bool wasDisabled = false;
    uint64_t changeAt = 0;
    uint32_t problem = 0;
    uint64_t pendingUntil = 0;
    int64_t enumKey = 0;
    uint32_t installDelayMs = 0;
    bool installFails = false;
    bool needsReboot = false;

    // Whether the device shows as disabled at `now`: a change asked for shows once its time has come.
    bool DisabledAt(uint64_t now) const { return changeAt == 0 || now >= changeAt ? disabled : wasDisabled; }
};

} // namespace winsim
