// Root-enumerated devices of class "SYSTEM": Plug and Play has no hardware to find for them, so setup
// creates them from the package's INF and installs their driver, and removes them again.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

struct SOFTWARE_DEVICE
{
    std::string csINFFileName;
    std::string csDeviceID;
    std::string csDeviceDesc;
    std::string csDriverValue;
};

class CSoftwareDeviceInstaller
{
public:
    // Installs every entry in order; TRUE if all of them installed.
    BOOL InstallSoftwareDevices(std::vector<SOFTWARE_DEVICE>& devices);
    BOOL InstallRootDevice(const SOFTWARE_DEVICE& device);
    // Removes the SYSTEM devices whose instance's device part is exactly csDeviceID.
    BOOL RemoveRootDevice(const std::string& csDeviceID);

    static constexpr DWORD DEVICE_PAUSE_MS = 2000;

private:
    static std::string ReadDriverValue(const SOFTWARE_DEVICE& device);
    BOOL RegisterWin9xRootDevice(const SOFTWARE_DEVICE& device);
};
