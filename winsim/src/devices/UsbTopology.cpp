#include "UsbTopology.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <strings.h>

#include "DeviceTree.h"
#include "core/Runtime.h"

namespace winsim
{

namespace
{

constexpr unsigned kMinimumPorts = 4;
constexpr const char* kHubInterface = "{f18a0e88-c30c-11d0-8815-00a0c906bed8}";

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool AnyIdContains(const DeviceRecord& device, const char* piece)
{
    for (const auto* ids : {&device.hardwareIds, &device.compatibleIds})
    {
        for (const std::string& id : *ids)
        {
            if (Upper(id).find(piece) != std::string::npos)
                return true;
        }
    }
    return false;
}

bool Hex16(const std::string& text, size_t at, uint16_t& value)
{
    if (at + 4 > text.size())
        return false;
    for (size_t i = at; i < at + 4; ++i)
    {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    value = static_cast<uint16_t>(std::strtoul(text.substr(at, 4).c_str(), nullptr, 16));
    return true;
}

} // namespace

UsbTopology::UsbTopology(Runtime& rt)
{
    Transaction txn(rt.GetMachine().GetStore());
    DeviceTree tree(rt);
    tree.Settle();
    m_devices = tree.Devices();
    txn.Commit();
}

bool UsbTopology::IsController(const DeviceRecord& device)
{
    return Upper(device.instance).rfind("PCI\\", 0) == 0 && AnyIdContains(device, "CC_0C03");
}

bool UsbTopology::IsHub(const DeviceRecord& device)
{
    return Upper(device.instance).rfind("USB\\ROOT_HUB", 0) == 0 || AnyIdContains(device, "USB\\CLASS_09");
}

bool UsbTopology::Controller(unsigned n, DeviceRecord& controller) const
{
    unsigned seen = 0;
    for (const DeviceRecord& device : m_devices)
    {
        if (!IsController(device))
            continue;
        if (seen++ == n)
        {
            controller = device;
            return device.present;
        }
    }
    return false;
}

bool UsbTopology::RootHub(const DeviceRecord& controller, DeviceRecord& hub) const
{
    for (const DeviceRecord& device : m_devices)
    {
        if (device.present && strcasecmp(device.parent.c_str(), controller.instance.c_str()) == 0 && IsHub(device))
        {
            hub = device;
            return true;
        }
    }
    return false;
}

std::string UsbTopology::HubName(const DeviceRecord& hub)
{
    std::string name;
    for (char ch : hub.instance)
        name += ch == '\\' ? '#' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    // The enumerator and device parts keep their case, as the hub driver reports them.
    const size_t second = hub.instance.find('\\', hub.instance.find('\\') + 1);
    if (second != std::string::npos)
    {
        for (size_t i = 0; i < second; ++i)
            name[i] = hub.instance[i] == '\\' ? '#' : hub.instance[i];
    }
    return name + "#" + kHubInterface;
}

bool UsbTopology::HubByName(const std::string& name, DeviceRecord& hub) const
{
    for (const DeviceRecord& device : m_devices)
    {
        if (device.present && IsHub(device) && strcasecmp(HubName(device).c_str(), name.c_str()) == 0)
        {
            hub = device;
            return true;
        }
    }
    return false;
}

std::vector<const DeviceRecord*> UsbTopology::Ports(const DeviceRecord& hub) const
{
    std::vector<const DeviceRecord*> ports;
    for (const DeviceRecord& device : m_devices)
    {
        if (strcasecmp(device.parent.c_str(), hub.instance.c_str()) == 0)
            ports.push_back(&device);
    }
    return ports;
}

unsigned UsbTopology::PortCount(const DeviceRecord& hub) const
{
    return std::clamp(static_cast<unsigned>(Ports(hub).size()), kMinimumPorts, 255u);
}

bool UsbTopology::VendorProduct(const DeviceRecord& device, uint16_t& vendor, uint16_t& product)
{
    for (const std::string& id :
         device.hardwareIds.empty() ? std::vector<std::string>{device.instance} : device.hardwareIds)
    {
        const std::string upper = Upper(id);
        const size_t vid = upper.find("VID_");
        const size_t pid = upper.find("PID_");
        if (vid != std::string::npos && pid != std::string::npos && Hex16(upper, vid + 4, vendor) &&
            Hex16(upper, pid + 4, product))
            return true;
    }
    return false;
}

} // namespace winsim
