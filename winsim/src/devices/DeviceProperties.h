// The device registry properties (SPDRP_*) that the Enum key keeps: the value behind each, how its data is
// shaped, and whether a program may set it. One table for SetupDiGetDeviceRegistryPropertyA and
// SetupDiSetDeviceRegistryPropertyA.
#pragma once

#include <cstdint>

namespace winsim
{

enum class PropertyForm
{
    Text,
    Ids,
    Flags,
    Number
};

struct DeviceProperty
{
    uint32_t property;
    const char* valueName;
    PropertyForm form;
    // CLASS follows CLASSGUID, DRIVER and SERVICE are the installer's, and the others are what the bus or the
    // PnP manager reports: a program may set only these.
    bool settable;
};

class DeviceProperties
{
public:
    // The property's entry, or null for a property the Enum key does not keep.
    static const DeviceProperty* Find(uint32_t property);
};

} // namespace winsim
