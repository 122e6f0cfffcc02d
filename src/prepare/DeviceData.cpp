#include "DeviceData.h"

#include "platform/StringUtil.h"

const char* GetSetupStatusName(int nStatus)
{
    static const char* const names[] = {
        "DEVICE_UPGRADE_PENDING",
        "DEVICE_UPGRADED",
        "DEVICE_INSTALL_PENDING",
        "DEVICE_INSTALLED",
        "DEVICE_INSTALL_FAILED",
        "DEVICE_NOT_INSTALLED",
        "DEVICE_UNINSTALL_PENDING",
        "DEVICE_UNINSTALL_NOT_PRESENT",
        "DEVICE_UNINSTALLING_UNKNOWN_DEVICE",
    };
    if (nStatus < DEVICE_UPGRADE_PENDING || nStatus > DEVICE_UNINSTALLING_UNKNOWN_DEVICE)
        return "UNKNOWN";
    return names[nStatus - DEVICE_UPGRADE_PENDING];
}

void SplitHardwareID(const std::string& csHardwareID, const std::string& csClassType, DEVICE_DATA& data)
{
    data.csBusTypeAndDeviceID = csHardwareID;
    size_t nSlash = csHardwareID.find('\\');
    if (nSlash == std::string::npos)
    {
        data.csBusType = "UNKNOWN";
        data.csDeviceID = csHardwareID;
    }
    else
    {
        data.csBusType = Trim(csHardwareID.substr(0, nSlash));
        data.csDeviceID = Trim(csHardwareID.substr(nSlash + 1));
    }
    if (EqualsNoCase(csClassType, "SYSTEM"))
        data.csBusType = "ROOT";
}
