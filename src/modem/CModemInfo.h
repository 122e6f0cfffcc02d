// The modem companion of a device node: keeps the platform's modem entries in step with what a device INI
// changed. The port is opened once so that the modem takes new country parameters, a new description is
// carried to every name the modem is known by, and a wave function the INI dropped goes with its keys.
#pragma once

#include <string>

#include "device/CDevNode.h"
#include "platform/win32.h"

class CModemInfo
{
public:
    CModemInfo() = default;
    CModemInfo(const CModemInfo&) = delete;
    CModemInfo& operator=(const CModemInfo&) = delete;

    // The device node the operations work on; the companion starts afresh.
    void Bind(CDevNode* pDevNode);

    // Each acts only when the INI flags word has its bit.
    BOOL ResetModemPort(DWORD dwINIFlags);
    void RememberDescription(DWORD dwINIFlags);
    // TRUE when the description changed and the names were refreshed: a restart is needed.
    BOOL CompareDescription(DWORD dwINIFlags);
    void RememberWaveID(DWORD dwINIFlags);
    void CheckWaveDevice(DWORD dwINIFlags);

    const std::string& GetRememberedDescription() const { return m_csDescription; }
    const std::string& GetRememberedWaveID() const { return m_csWaveID; }

    static const char* const UNKNOWN;

private:
    std::string ReadDriverString(const char* pszSubKey, const char* pszValue);

    CDevNode* m_pDevNode = nullptr;
    DWORD m_dwPortOpened = 0;
    std::string m_csDescription;
    std::string m_csWaveID;
};
