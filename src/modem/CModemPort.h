// Opens a modem's port once and gives it the settings the modem expects, so that it takes new parameters.
#pragma once

#include <string>

#include "platform/win32.h"

class CModemPort
{
public:
    // csPortName is the driver key's AttachedTo value, e.g. "COM3".
    static BOOL Reset(const std::string& csPortName);
};
