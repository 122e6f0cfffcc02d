// Waits for Plug and Play to finish installing the drivers the run made available: counts the devices of
// the device data list that have drivers for themselves and all their functions, and stops when the
// expected devices are there, when the Plug and Play manager has been idle for a while (NT family only),
// or when the time limit runs out.
#pragma once

#include "platform/win32.h"
#include "prepare/CDeviceDataList.h"

class CInstallMonitor
{
public:
    CInstallMonitor();

    BOOL WaitForInstallCompletion(const CDeviceDataList* pkDeviceDataList, DWORD dwTimeLimit,
                                  DWORD dwUserDefineEnumDeviceToInstall, BOOL bAfterOldWayInstall);
    BOOL WaitForInstallCompletionAfterNoEnumReboot(const CDeviceDataList* pkDeviceDataList);
    DWORD CheckRegistryForInstallation();
    DWORD GetNumOfUniqueDeviceDescToBeInstalled();

    // Polling periods and limits, in milliseconds.
    static constexpr DWORD STARTUP_PAUSE_MS = 3000;
    static constexpr DWORD STARTUP_POLLS = 5;
    static constexpr DWORD POLL_MS = 2100;
    static constexpr DWORD FINAL_PAUSE_MS = 3000;
    static constexpr DWORD IDLE_LIMIT_MS = 10000;
    static constexpr DWORD AFTER_REBOOT_POLL_MS = 4100;
    static constexpr DWORD AFTER_REBOOT_LIMIT_MS = 200000;

private:
    // Whether Plug and Play reports install events pending (a zero-time-out poll).
    BOOL WaitForPnPManagerToStart();

    BOOL m_bIsNT = FALSE;
    const CDeviceDataList* m_pkDeviceDataList = nullptr;
    DWORD m_dwTimeLimit = 0;
    DWORD m_dwUserDefineEnumDeviceToInstall = 239;
};
