// How long the Plug and Play manager has stayed quiet across polls: the first quiet poll starts the count,
// a poll with install events pending resets it. The completion waits and the driver package install's
// quiet wait all end on it.
#pragma once

#include "devapi/KDeviceApi.h"
#include "platform/win32.h"

class CQuietPeriod
{
public:
    explicit CQuietPeriod(DWORD dwLimitMs) : m_dwLimitMs(dwLimitMs) {}

    // Whether Plug and Play reports install events still to be handled.
    static BOOL InstallEventsPending()
    {
        KDeviceApi* pApi = GetDeviceApi();
        return pApi && pApi->KCMP_WaitNoPendingInstallEvents(0) != 0;
    }

    // Records a poll dwStepMs after the previous one; true once the quiet time exceeds the limit.
    BOOL Poll(BOOL bEventsPending, DWORD dwStepMs)
    {
        if (bEventsPending)
        {
            m_bQuiet = FALSE;
            return FALSE;
        }
        if (!m_bQuiet)
        {
            m_bQuiet = TRUE;
            m_dwQuietMs = 0;
            return FALSE;
        }
        m_dwQuietMs += dwStepMs;
        return m_dwQuietMs > m_dwLimitMs;
    }

private:
    DWORD m_dwLimitMs;
    BOOL m_bQuiet = FALSE;
    DWORD m_dwQuietMs = 0;
};
