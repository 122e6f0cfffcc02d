// Turns a vendor-and-device PCI hardware ID from an INF into the most specific hardware ID of the present
// device (the longest, with subsystem and revision), so that a driver update targets the device itself.
#pragma once

#include <string>

#include "platform/win32.h"

class CInstall2KWA4
{
public:
    // True with the longer ID in csResult; IDs without "VEN_" or with "&SUBSYS_" are declined untouched.
    BOOL DoWA(const std::string& csDeviceID, std::string& csResult);
};
