// An open USB host controller ("\\.\HCDn") or hub ("\\.\" and its symbolic name), and the IOCTLs its driver
// answers: the root hub's name (controllers), and the hub's node information, a port's connection
// information and the name of a hub on a port (hubs). Answers come from the machine's devices at the time
// of the call, so a device plugged in later shows on its port.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/KernelObject.h"

namespace winsim
{

class Runtime;
class UsbTopology;
struct DeviceRecord;

class UsbNodeFile : public KernelObject
{
public:
    UsbNodeFile(bool controller, std::string instance) : m_controller(controller), m_instance(std::move(instance)) {}
    ObjectKind Kind() const override { return ObjectKind::Other; }

    // Opens a USB device path: true when `path` names one (then `node` is it, or null with `error`).
    static bool Open(Runtime& rt, const std::string& path, std::shared_ptr<UsbNodeFile>& node, uint32_t& error);

    // One IOCTL: the Win32 error (0 on success) and the bytes written to the output buffer.
    uint32_t Control(Runtime& rt, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& returned) const;

private:
    uint32_t RootHubName(const UsbTopology& usb, void* out, uint32_t outSize, uint32_t& returned) const;
    uint32_t NodeInformation(const UsbTopology& usb, void* out, uint32_t outSize, uint32_t& returned) const;
    uint32_t ConnectionInformation(const UsbTopology& usb, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                   uint32_t& returned) const;
    uint32_t ConnectionName(const UsbTopology& usb, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                            uint32_t& returned) const;
    // The port an IOCTL's input names (its 1-based index) and the device present on it, or null: the Win32
    // error of a hub that is gone or an index past its ports, else 0.
    uint32_t PortOf(const UsbTopology& usb, const void* in, uint32_t& index, const DeviceRecord*& port) const;

    const bool m_controller;
    const std::string m_instance;
};

} // namespace winsim
