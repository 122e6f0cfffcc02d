// The machine's serial ports: which exist, who holds each, and what programs set on them. A port is
// opened as "\\.\COMn" (or "COMn"), exclusively, as serial.sys allows it; a profile can make a port refuse
// its first opens as though another program held it, or leave it out.
//
//   [SerialPorts]
//   COM3=present
//   COM4=busy 2        ; the first two opens fail with ERROR_ACCESS_DENIED
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim
{

class Runtime;
class Store;

struct SerialPortState
{
    std::string name;
    uint32_t busyOpens = 0;
    uint32_t opens = 0;
    uint32_t openPid = 0;
    DCB dcb{};
    COMMTIMEOUTS timeouts{};
    uint32_t inQueue = 0;
    uint32_t outQueue = 0;
    bool dtr = false;
    bool rts = false;
};

class SerialPorts
{
public:
    // The port name a CreateFileA path stands for ("COM3" for "\\.\com3"); empty for other paths.
    static std::string PortName(const char* path);
    // Opens the port for the running program; INVALID_HANDLE_VALUE with the last error set.
    static HANDLE Open(Runtime& rt, const std::string& port, DWORD disposition);
    // The port behind a handle of the running program; false with ERROR_INVALID_HANDLE.
    static bool Find(Runtime& rt, HANDLE handle, SerialPortState& state);
    static bool Save(Runtime& rt, const SerialPortState& state);

    // Profile lines of [SerialPorts]; false with `what` for a malformed one.
    static bool AddFromProfile(Store& store, const std::string& name, const std::string& value, std::string& what);
    static std::vector<SerialPortState> All(Store& store);
    // The settings a port has before any program set it.
    static DCB DefaultDcb();
};

} // namespace winsim
