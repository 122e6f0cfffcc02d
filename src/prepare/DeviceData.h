// One device function found in a package's INF, and what happens to it in this run. Preparation makes the
// records, the file lists complete them, the orchestrations act on them and write back their status.
#pragma once

#include <string>

#include "platform/win32.h"

// SetupStatus: 1 to 6 on the install side, 7 to 9 on the uninstall side.
enum DEVICE_SETUP_STATUS : int
{
    DEVICE_UPGRADE_PENDING = 1,
    DEVICE_UPGRADED = 2,
    DEVICE_INSTALL_PENDING = 3,
    DEVICE_INSTALLED = 4,
    DEVICE_INSTALL_FAILED = 5,
    DEVICE_NOT_INSTALLED = 6,
    DEVICE_UNINSTALL_PENDING = 7,
    DEVICE_UNINSTALL_NOT_PRESENT = 8,
    DEVICE_UNINSTALLING_UNKNOWN_DEVICE = 9,
};

// A device has five child functions at most.
const int MAX_CHILD_DEVICES = 5;

struct CHILD_DEVICE
{
    std::string csChildFileName;
    std::string csChildBusTypeAndDeviceID;
};

struct DEVICE_DATA
{
    std::string csInstallPath;
    std::string csClassType;
    std::string csEnumFileName;
    std::string csBusTypeAndDeviceID;
    std::string csBusType;
    std::string csDeviceID;
    std::string csDeviceDesc;
    CHILD_DEVICE ChildDevice[MAX_CHILD_DEVICES];
    std::string csWaveFileName;
    std::string csWaveBusTypeAndDeviceID;
    int SetupStatus = 0;
};

// The name of a status value ("DEVICE_INSTALLED"), or "UNKNOWN" for another value.
const char* GetSetupStatusName(int nStatus);

// Fills csBusTypeAndDeviceID, csBusType and csDeviceID from an INF hardware ID: bus type before the first
// backslash, device ID after it, both trimmed; "UNKNOWN" bus without a backslash; "ROOT" for an INF of
// class System.
void SplitHardwareID(const std::string& csHardwareID, const std::string& csClassType, DEVICE_DATA& data);
