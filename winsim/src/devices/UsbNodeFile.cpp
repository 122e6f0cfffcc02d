#include "UsbNodeFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "UsbTopology.h"
#include "core/Runtime.h"
#include "usbioctl.h"
#include "windows.h"

namespace winsim
{

namespace
{

// ERROR_DEV_NOT_EXIST: the device went away while it was open.
constexpr uint32_t kDeviceGone = 55;
constexpr size_t kConnectionFixedSize = offsetof(USB_NODE_CONNECTION_INFORMATION, PipeList);

// Writes a name as UTF-16 at `at` within the output buffer, as much as fits.
void PutName(const std::string& name, void* out, uint32_t outSize, size_t at)
{
    auto* bytes = static_cast<uint8_t*>(out);
    for (size_t i = 0; i <= name.size(); ++i)
    {
        const size_t offset = at + 2 * i;
        if (offset + 2 > outSize)
            break;
        const uint16_t ch = i < name.size() ? static_cast<unsigned char>(name[i]) : 0;
        bytes[offset] = static_cast<uint8_t>(ch & 0xFF);
        bytes[offset + 1] = static_cast<uint8_t>(ch >> 8);
    }
}

bool FindDevice(const UsbTopology& usb, const std::string& instance, bool controller, DeviceRecord& device)
{
    for (unsigned n = 0; controller && n < 64; ++n)
    {
        if (usb.Controller(n, device) && device.instance == instance)
            return true;
    }
    DeviceRecord named;
    named.instance = instance;
    return !controller && usb.HubByName(UsbTopology::HubName(named), device);
}

} // namespace

bool UsbNodeFile::Open(Runtime& rt, const std::string& path, std::shared_ptr<UsbNodeFile>& node, uint32_t& error)
{
    if (path.size() < 5 || path.compare(0, 4, "\\\\.\\") != 0)
        return false;
    const std::string name = path.substr(4);
    UsbTopology usb(rt);
    DeviceRecord device;
    if (strncasecmp(name.c_str(), "HCD", 3) == 0 && name.size() > 3)
    {
        char* end = nullptr;
        const unsigned long n = std::strtoul(name.c_str() + 3, &end, 10);
        if (*end != '\0')
            return false;
        if (!usb.Controller(static_cast<unsigned>(n), device))
        {
            error = ERROR_FILE_NOT_FOUND;
            return true;
        }
        node = std::make_shared<UsbNodeFile>(true, device.instance);
        return true;
    }
    if (strncasecmp(name.c_str(), "USB#", 4) != 0)
        return false;
    if (!usb.HubByName(name, device))
    {
        error = ERROR_FILE_NOT_FOUND;
        return true;
    }
    node = std::make_shared<UsbNodeFile>(false, device.instance);
    return true;
}

uint32_t UsbNodeFile::Control(Runtime& rt, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                              uint32_t& returned) const
{
    returned = 0;
    // One look at the devices per call: the answer is the tree as it is now.
    const UsbTopology usb(rt);
    if (m_controller)
        return code == IOCTL_USB_GET_ROOT_HUB_NAME ? RootHubName(usb, out, outSize, returned) : ERROR_INVALID_FUNCTION;
    switch (code)
    {
    case IOCTL_USB_GET_NODE_INFORMATION:
        return NodeInformation(usb, out, outSize, returned);
    case IOCTL_USB_GET_NODE_CONNECTION_INFORMATION:
        return ConnectionInformation(usb, in, inSize, out, outSize, returned);
    case IOCTL_USB_GET_NODE_CONNECTION_NAME:
        return ConnectionName(usb, in, inSize, out, outSize, returned);
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

uint32_t UsbNodeFile::RootHubName(const UsbTopology& usb, void* out, uint32_t outSize, uint32_t& returned) const
{
    if (!out || outSize < sizeof(USB_ROOT_HUB_NAME))
        return ERROR_INSUFFICIENT_BUFFER;
    DeviceRecord controller;
    DeviceRecord hub;
    if (!FindDevice(usb, m_instance, true, controller) || !usb.RootHub(controller, hub))
        return kDeviceGone;
    const std::string name = UsbTopology::HubName(hub);
    const uint32_t actual = static_cast<uint32_t>(offsetof(USB_ROOT_HUB_NAME, RootHubName) + 2 * (name.size() + 1));
    std::memset(out, 0, outSize);
    std::memcpy(out, &actual, sizeof(actual));
    // A buffer too small for the name gets its size and as much as fits (the caller asks again).
    PutName(name, out, outSize, offsetof(USB_ROOT_HUB_NAME, RootHubName));
    returned = std::min(outSize, actual);
    return 0;
}

uint32_t UsbNodeFile::NodeInformation(const UsbTopology& usb, void* out, uint32_t outSize, uint32_t& returned) const
{
    if (!out || outSize < sizeof(USB_NODE_INFORMATION))
        return ERROR_INSUFFICIENT_BUFFER;
    DeviceRecord hub;
    if (!FindDevice(usb, m_instance, false, hub))
        return kDeviceGone;
    USB_NODE_INFORMATION info{};
    info.NodeType = UsbHub;
    info.u.HubInformation.HubDescriptor.bDescriptorLength = 9;
    info.u.HubInformation.HubDescriptor.bDescriptorType = 0x29;
    info.u.HubInformation.HubDescriptor.bNumberOfPorts = static_cast<UCHAR>(usb.PortCount(hub));
    info.u.HubInformation.HubIsBusPowered = 0;
    std::memcpy(out, &info, sizeof(info));
    returned = sizeof(info);
    return 0;
}

uint32_t UsbNodeFile::PortOf(const UsbTopology& usb, const void* in, uint32_t& index, const DeviceRecord*& port) const
{
    std::memcpy(&index, in, sizeof(index));
    DeviceRecord hub;
    if (!FindDevice(usb, m_instance, false, hub))
        return kDeviceGone;
    if (index == 0 || index > usb.PortCount(hub))
        return ERROR_INVALID_PARAMETER;
    const auto ports = usb.Ports(hub);
    port = index <= ports.size() && ports[index - 1]->present ? ports[index - 1] : nullptr;
    return 0;
}

uint32_t UsbNodeFile::ConnectionInformation(const UsbTopology& usb, const void* in, uint32_t inSize, void* out,
                                            uint32_t outSize, uint32_t& returned) const
{
    if (!in || !out || inSize < sizeof(ULONG) || outSize < kConnectionFixedSize)
        return ERROR_INSUFFICIENT_BUFFER;
    uint32_t index = 0;
    const DeviceRecord* port = nullptr;
    if (const uint32_t error = PortOf(usb, in, index, port))
        return error;
    USB_NODE_CONNECTION_INFORMATION info{};
    info.ConnectionIndex = index;
    info.ConnectionStatus = NoDeviceConnected;
    if (port)
    {
        const DeviceRecord& device = *port;
        info.ConnectionStatus = DeviceConnected;
        info.DeviceIsHub = UsbTopology::IsHub(device) ? 1 : 0;
        info.DeviceAddress = static_cast<USHORT>(index + 1);
        info.CurrentConfigurationValue = 1;
        info.DeviceDescriptor.bLength = sizeof(USB_DEVICE_DESCRIPTOR);
        info.DeviceDescriptor.bDescriptorType = 1;
        info.DeviceDescriptor.bcdUSB = 0x0200;
        info.DeviceDescriptor.bDeviceClass = info.DeviceIsHub ? 9 : 0xFF;
        info.DeviceDescriptor.bMaxPacketSize0 = 64;
        info.DeviceDescriptor.bNumConfigurations = 1;
        UsbTopology::VendorProduct(device, info.DeviceDescriptor.idVendor, info.DeviceDescriptor.idProduct);
    }
    std::memset(out, 0, outSize);
    std::memcpy(out, &info, kConnectionFixedSize);
    returned = static_cast<uint32_t>(kConnectionFixedSize);
    return 0;
}

uint32_t UsbNodeFile::ConnectionName(const UsbTopology& usb, const void* in, uint32_t inSize, void* out,
                                     uint32_t outSize, uint32_t& returned) const
{
    if (!in || !out || inSize < sizeof(ULONG) || outSize < sizeof(USB_NODE_CONNECTION_NAME))
        return ERROR_INSUFFICIENT_BUFFER;
    uint32_t index = 0;
    const DeviceRecord* port = nullptr;
    if (const uint32_t error = PortOf(usb, in, index, port))
        return error;
    // Only a hub on the port has a name; for anything else the name is empty.
    std::string name;
    if (port && UsbTopology::IsHub(*port))
        name = UsbTopology::HubName(*port);
    const uint32_t actual = static_cast<uint32_t>(offsetof(USB_NODE_CONNECTION_NAME, NodeName) + 2 * (name.size() + 1));
    std::memset(out, 0, outSize);
    std::memcpy(out, &index, sizeof(index));
    std::memcpy(static_cast<uint8_t*>(out) + offsetof(USB_NODE_CONNECTION_NAME, ActualLength), &actual, sizeof(actual));
    PutName(name, out, outSize, offsetof(USB_NODE_CONNECTION_NAME, NodeName));
    returned = std::min(outSize, actual);
    return 0;
}

} // namespace winsim
