// One device as a profile describes it: a [Device.N] section of machine.ini (see docs/winsim.md, Devices).
// The hardware (IDs, bus, parent, whether and when it is plugged in), how the machine has it installed
// (class, driver values) and how later installs on it behave.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DriverValues.h"

namespace winsim
{

struct ProfileDevice
{
    std::string instance; // upper-case
    std::vector<std::string> hardwareIds;
    std::vector<std::string> compatibleIds;
    std::string description; // DeviceDesc
    std::string busDescription;
    std::string friendlyName;
    std::string mfg;
    std::string className;
    std::string classGuid;
    std::string parent; // upper-case instance ID; empty for a device of the root
    bool present = true;
    bool disabled = false;
    bool exposed = false;
    std::optional<uint64_t> plugAtMs; // after the machine's start
    DriverValues driver;
    uint32_t installDelayMs = 0;
    bool installFails = false;
    bool needsReboot = false;

    // One name=value line of the section; false with `what` when it is malformed.
    bool Set(const std::string& key, const std::string& value, std::string& what);
    // The section as a whole; false with `what` when something is missing or contradicts.
    bool Check(std::string& what) const;
    // A driver was installed on the device: DriverDesc is given.
    bool HasDriver() const { return !driver.description.empty(); }
};

} // namespace winsim
