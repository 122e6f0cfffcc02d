// Carries a modem's new description to every name the platform knows it by: its log file, its responses
// key, the TAPI device name, its Add/Remove Programs entry, its service and its device key.
#pragma once

#include <string>

#include "device/CDevNode.h"
#include "platform/win32.h"

class CModemNames
{
public:
    explicit CModemNames(CDevNode& devNode) : m_devNode(devNode) {}

    void Refresh(const std::string& csNew, const std::string& csOld);

    // Moves a key of HKEY_LOCAL_MACHINE with its values and subkeys, then waits until the source is gone.
    static BOOL MoveKey(const std::string& csSource, const std::string& csTarget);

private:
    std::string ReadDriverValue(const char* pszValue);
    void WriteDriverValue(const char* pszValue, const std::string& csData);

    CDevNode& m_devNode;
};
