// Removes a modem's old wave device: its device key and its driver key, both with their whole trees.
#pragma once

#include <string>

#include "platform/win32.h"

class CModemWaveRemoval
{
public:
    // csWaveID is the wave device's hardware ID ("MODEMWAVE\...").
    static BOOL Remove(const std::string& csWaveID);
};
