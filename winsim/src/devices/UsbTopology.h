// The USB tree as the host controller and hub drivers show it, read from the machine's devices: a host
// controller is a PCI device of class 0C03 ("\\.\HCDn", n counting them in enumeration order), a hub is a
// root hub (USB\ROOT_HUB...) or a device of USB class 09, and a hub's ports hold its child devices in
// enumeration order, connected while present. A hub is opened by its symbolic name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceRecord.h"

namespace winsim
{

class Runtime;

class UsbTopology
{
public:
    explicit UsbTopology(Runtime& rt);

    // The present host controller with number n.
    bool Controller(unsigned n, DeviceRecord& controller) const;
    // The controller's present root hub.
    bool RootHub(const DeviceRecord& controller, DeviceRecord& hub) const;
    // A present hub by its symbolic name (any case).
    bool HubByName(const std::string& name, DeviceRecord& hub) const;
    // The hub's ports, one device each (present or not); at least four.
    std::vector<const DeviceRecord*> Ports(const DeviceRecord& hub) const;
    unsigned PortCount(const DeviceRecord& hub) const;

    static bool IsHub(const DeviceRecord& device);
    static bool IsController(const DeviceRecord& device);
    // "USB#ROOT_HUB20#4&2d4c1b3a&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}", as the hub driver names it.
    static std::string HubName(const DeviceRecord& hub);
    // The vendor and product of a device's hardware IDs ("VID_xxxx&PID_yyyy"); false without them.
    static bool VendorProduct(const DeviceRecord& device, uint16_t& vendor, uint16_t& product);

private:
    std::vector<DeviceRecord> m_devices;
};

} // namespace winsim
