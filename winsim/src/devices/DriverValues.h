// What installing a driver on a device writes: the class, the values of the driver key
// (Control\Class\{ClassGUID}\NNNN on NT, Services\Class\<Class>\NNNN on Windows 9x) and the service
// that loads the driver (NT only). The profile gives them for drivers installed before the machine's
// story begins; the device installer gives them when it installs one.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

struct DriverValues
{
    std::string className;   // "Modem"
    std::string classGuid;   // "{4D36E96D-E325-11CE-BFC1-08002BE10318}"
    std::string description; // DriverDesc, and the device's DeviceDesc
    std::string provider;
    std::string version;    // "7.12.0.40"
    std::string date;       // "6-1-2007", as Windows writes DriverDate
    std::string infPath;    // "oem3.inf"
    std::string infSection; // "Modem_Install"
    std::string matchingDeviceId;
    std::string mfg;
    std::string service; // empty: no service
    std::string serviceImagePath;
    uint32_t serviceType = 1;  // SERVICE_KERNEL_DRIVER
    uint32_t serviceStart = 3; // SERVICE_DEMAND_START
    uint32_t serviceErrorControl = 1;
};

} // namespace winsim
