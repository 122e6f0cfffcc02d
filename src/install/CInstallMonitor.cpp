#include "CInstallMonitor.h"

#include <set>
#include <string>

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "devapi/KDeviceApi.h"
#include "device/CDevNode.h"
#include "install/CQuietPeriod.h"
#include "platform/CScopedHandle.h"
#include "common/TimedPause.h"

namespace
{

// Plug and Play's answer while install events are pending.
const DWORD EVENTS_PENDING = WAIT_TIMEOUT;

const char* const START_EVENT = "DVXPNPManagerWaitToStart";
const char* const WAIT_EVENT = "DVXWaitForInstallCompletion";

} // namespace

CInstallMonitor::CInstallMonitor() : m_bIsNT(IsNTPlatform()) {}

DWORD CInstallMonitor::GetNumOfUniqueDeviceDescToBeInstalled()
{
    CTraceScope trace("CInstallMonitor::GetNumOfUniqueDeviceDescToBeInstalled");
    std::set<std::string> seen;
    DWORD dwRetVal = 0;
    if (m_pkDeviceDataList)
    {
        for (const DEVICE_DATA& data : *m_pkDeviceDataList)
        {
            if (seen.insert(data.csDeviceDesc).second)
                ++dwRetVal;
        }
    }
    TraceLine("CInstallMonitor :: GetNumOfUniqueDeviceDescToBeInstalled : dwRetVal = %d", static_cast<int>(dwRetVal));
    return dwRetVal;
}

DWORD CInstallMonitor::CheckRegistryForInstallation()
{
    CTraceScope trace("CInstallMonitor::CheckRegistryForInstallation");
    DWORD dwRetVal = 0;
    if (!m_pkDeviceDataList)
        return dwRetVal;
    for (const DEVICE_DATA& data : *m_pkDeviceDataList)
    {
        CDevNode parent(data.csBusTypeAndDeviceID.c_str(), TRUE);
        if (!parent.HasDriverKey() || (m_bIsNT && !parent.CheckDeviceState(TRUE)))
            continue;
        TraceLine("Found Parent DevNode = %s\n", data.csBusTypeAndDeviceID.c_str());
        BOOL bCounts = TRUE;
        for (const CHILD_DEVICE& child : data.ChildDevice)
        {
            if (child.csChildBusTypeAndDeviceID.empty())
                continue;
            CDevNode node(child.csChildBusTypeAndDeviceID.c_str(), FALSE);
            if (!node.HasDriverKey())
            {
                bCounts = FALSE;
                break;
            }
            TraceLine("Found Child DevNode = %s\n", child.csChildBusTypeAndDeviceID.c_str());
        }
        if (!bCounts)
            continue;
        if (!data.csWaveBusTypeAndDeviceID.empty())
        {
            CDevNode wave(data.csWaveBusTypeAndDeviceID.c_str(), FALSE);
            if (!wave.HasDriverKey())
                continue;
            TraceLine("Found Wave DevNode = %s\n", data.csWaveBusTypeAndDeviceID.c_str());
        }
        TraceLine("Found Device\n");
        ++dwRetVal;
    }
    TraceLine("CInstallMonitor :: CheckRegistryForInstallation : dwRetVal = %d\n", static_cast<int>(dwRetVal));
    return dwRetVal;
}

BOOL CInstallMonitor::WaitForPnPManagerToStart()
{
    for (DWORD dwPoll = 0; dwPoll < STARTUP_POLLS; ++dwPoll)
    {
        PauseOnEvent(START_EVENT, STARTUP_PAUSE_MS);
        if (KDeviceApi* pApi = GetDeviceApi(); pApi && pApi->KCMP_WaitNoPendingInstallEvents(0) == EVENTS_PENDING)
        {
            TraceLine("PNP Manager Started\n");
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CInstallMonitor::WaitForInstallCompletion(const CDeviceDataList* pkDeviceDataList, DWORD dwTimeLimit,
                                               DWORD dwUserDefineEnumDeviceToInstall, BOOL bAfterOldWayInstall)
{
    CTraceScope trace("CInstallMonitor::WaitForInstallCompletion");
    m_pkDeviceDataList = pkDeviceDataList;
    m_dwTimeLimit = dwTimeLimit;
    m_dwUserDefineEnumDeviceToInstall = dwUserDefineEnumDeviceToInstall;
    BOOL bRetVal = FALSE;

    // After the old-way install Plug and Play must first be seen at work; if it never is, nothing will come.
    if (m_bIsNT && bAfterOldWayInstall && !WaitForPnPManagerToStart())
    {
        TraceLine("CInstallMonitor :: WaitForInstallCompletion : bRetVal = %d\n", bRetVal);
        return trace.Return(bRetVal);
    }

    const DWORD dwUnique = GetNumOfUniqueDeviceDescToBeInstalled();
    const DWORD dwCount = m_pkDeviceDataList ? static_cast<DWORD>(m_pkDeviceDataList->GetCount()) : 0;
    TraceLine("m_dwUserDefineEnumDeviceToInstall = %d\n", static_cast<int>(m_dwUserDefineEnumDeviceToInstall));
    TraceLine("m_pkDeviceDataList->GetCount() = %d\n", static_cast<int>(dwCount));
    TraceLine("dwNumOfUniqueDeviceDescToBeInstalled = %d\n", static_cast<int>(dwUnique));

    DWORD dwElapsed = 0;
    CQuietPeriod idle(IDLE_LIMIT_MS);
    for (;;)
    {
        PauseOnEvent(WAIT_EVENT, POLL_MS);
        const DWORD dwInstalled = CheckRegistryForInstallation();
        if (dwInstalled == dwUnique || dwInstalled == dwCount || dwInstalled >= m_dwUserDefineEnumDeviceToInstall)
        {
            TraceLine("Install Completed : All Device Installed\n");
            PauseOnEvent(WAIT_EVENT, FINAL_PAUSE_MS);
            bRetVal = TRUE;
            break;
        }
        dwElapsed += POLL_MS;
        if (dwElapsed > m_dwTimeLimit)
        {
            TraceLine("Install Completed : Time out\n");
            PauseOnEvent(WAIT_EVENT, FINAL_PAUSE_MS);
            break;
        }
        if (!m_bIsNT)
            continue;
        if (idle.Poll(CQuietPeriod::InstallEventsPending(), POLL_MS))
        {
            TraceLine("Install Completed : No PNP Manager activity\n");
            bRetVal = TRUE;
            break;
        }
    }
    TraceLine("CInstallMonitor :: WaitForInstallCompletion : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}

BOOL CInstallMonitor::WaitForInstallCompletionAfterNoEnumReboot(const CDeviceDataList* pkDeviceDataList)
{
    CTraceScope trace("CInstallMonitor::WaitForInstallCompletionAfterNoEnumReboot");
    m_pkDeviceDataList = pkDeviceDataList;
    DWORD dwElapsed = 0;
    CQuietPeriod idle(IDLE_LIMIT_MS);
    BOOL bRetVal = FALSE;
    for (;;)
    {
        PauseOnEvent(WAIT_EVENT, AFTER_REBOOT_POLL_MS);
        if (CheckRegistryForInstallation() != 0)
        {
            TraceLine("Install Completed : All Device Installed\n");
            PauseOnEvent(WAIT_EVENT, FINAL_PAUSE_MS);
            bRetVal = TRUE;
            break;
        }
        dwElapsed += AFTER_REBOOT_POLL_MS;
        if (dwElapsed > AFTER_REBOOT_LIMIT_MS)
        {
            TraceLine("Install Completed : Time Out\n");
            break;
        }
        if (!m_bIsNT)
            continue;
        if (idle.Poll(CQuietPeriod::InstallEventsPending(), AFTER_REBOOT_POLL_MS))
        {
            TraceLine("Install Completed : No PNP Manager activity\n");
            break;
        }
    }
    TraceLine("CInstallMonitor :: WaitForInstallCompletionAfterNoEnumReboot : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}
