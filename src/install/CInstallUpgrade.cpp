// The upgrade pass over present devices, their child functions, and the driver package library's
// installs of whole INFs.
#include <algorithm>

#include "CInstall.h"
#include "common/CTraceScope.h"
#include "devapi/KDeviceApi.h"
#include "install/CInstallMonitor.h"
#include "platform/StringUtil.h"
#include "workarounds/CInstall2KWA4.h"
#include "workarounds/CInstallWA2.h"

namespace
{

BOOL UpdateDriver(const std::string& csHardwareID, const std::string& csINF, BOOL* pbReboot)
{
    KDeviceApi* pApi = GetDeviceApi();
    if (!pApi)
        return FALSE;
    return pApi->KUpdateDriverForPlugAndPlayDevices(nullptr, csHardwareID.c_str(), csINF.c_str(),
                                                    CInstall::INSTALL_FLAG_FORCE, pbReboot);
}

bool Contains(const CStringList& list, const std::string& csText)
{
    return std::any_of(list.begin(), list.end(), [&](const std::string& cs) { return EqualsNoCase(cs, csText); });
}

} // namespace

BOOL CInstall::RunUpgradePass(BOOL& bRequireReboot)
{
    CTraceScope trace("CInstall::RunUpgradePass");
    CInstallWA2 pnpWindowWatch;
    pnpWindowWatch.StartClosePNPWindowThread();
    CStringList cslHandled;
    BOOL bAnyAttempted = FALSE;

    for (size_t i = 0; i < m_DeviceDataList.GetCount(); ++i)
    {
        const DEVICE_DATA data = m_DeviceDataList.GetAt(i);
        const std::string& csINF = data.csEnumFileName;
        // Only the answer is needed: the library's path would not fit in the INF's text.
        if (Contains(cslHandled, csINF) && m_DIFxInstall.IsDifxCase(nullptr))
            continue;
        if (EqualsNoCase(data.csClassType, "SYSTEM"))
            continue;

        std::string csHardwareID;
        if (!CInstall2KWA4().DoWA(data.csBusTypeAndDeviceID, csHardwareID))
            csHardwareID = data.csBusTypeAndDeviceID;
        TraceLine("Attempting to install %s - %s\n", csHardwareID.c_str(), csINF.c_str());
        BOOL bReboot = FALSE;
        bool bInstalled = m_DIFxInstall.InstallViaDifxApi(csINF.c_str(), &bReboot) == 1;
        bool bTryChildren = bInstalled;
        if (!bInstalled)
        {
            BOOL bResult = UpdateDriver(csHardwareID, csINF, &bReboot);
            if (bResult == 1)
            {
                TraceLine("SUCCESS : KUpdateDriverForPlugAndPlayDevices\n");
                bInstalled = true;
                bTryChildren = true;
            }
            else
            {
                TraceLine("FAILED : KUpdateDriverForPlugAndPlayDevices call Failed : GetLastError() = %X\n",
                          static_cast<unsigned>(GetLastError()));
                if (bResult == 0)
                {
                    AddProgress(UPGRADE_STEP);
                    continue;
                }
                bTryChildren = true;
            }
        }
        if (bInstalled && bReboot)
        {
            bRequireReboot = TRUE;
            TraceLine("bRequireReboot = TRUE : Setting for Reboot\n");
        }
        if (bTryChildren && InstallChildDevices(data, &bReboot) && bReboot)
            bRequireReboot = TRUE;
        bAnyAttempted = TRUE;
        cslHandled.push_back(csINF);
        SetStatus(i, DEVICE_UPGRADED);
        AddProgress(UPGRADE_STEP);
    }

    if (bAnyAttempted)
        CInstallMonitor().WaitForInstallCompletion(&m_DeviceDataList, m_pSetupParms->dwWaitTimeout,
                                                   m_pSetupParms->dwUserDefineEnumDeviceToInstall, FALSE);
    pnpWindowWatch.EndClosePNPWindowThread();
    return trace.Return(bAnyAttempted);
}

BOOL CInstall::InstallChildDevices(const DEVICE_DATA& data, BOOL* pbRebootRequired)
{
    CTraceScope trace("CInstall::InstallChildDevices");
    BOOL bRetVal = FALSE;
    for (const CHILD_DEVICE& child : data.ChildDevice)
    {
        if (child.csChildFileName.empty())
            continue;
        TraceLine("Attempting to install %s : %s\n", child.csChildBusTypeAndDeviceID.c_str(),
                  child.csChildFileName.c_str());
        BOOL bReboot = FALSE;
        BOOL bOk = m_DIFxInstall.InstallViaDifxApi(child.csChildFileName.c_str(), &bReboot);
        if (!bOk)
            bOk = UpdateDriver(child.csChildBusTypeAndDeviceID, child.csChildFileName, &bReboot);
        if (bOk)
        {
            if (bReboot && pbRebootRequired)
                *pbRebootRequired = TRUE;
            bRetVal = TRUE;
            TraceLine("Succedded in installing child device\n");
        }
        else
            TraceLine("Failed to install child device : GetLastError() = %d\n", static_cast<int>(GetLastError()));
    }
    return trace.Return(bRetVal);
}

BOOL CInstall::ForEachPackageInf(const std::function<BOOL(const char*)>& install)
{
    if (!m_bIsNT)
        return FALSE;
    CStringList cslHandled;
    BOOL bRetVal = FALSE;
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        if (Contains(cslHandled, data.csEnumFileName))
            continue;
        if (install(data.csEnumFileName.c_str()))
            bRetVal = TRUE;
        cslHandled.push_back(data.csEnumFileName);
    }
    return bRetVal;
}

BOOL CInstall::PreInstallViaDifxApi(BOOL bDoSystemEnum, BOOL* pbRebootRequired)
{
    CTraceScope trace("CInstall::PreInstallViaDifxApi");
    return trace.Return(
        ForEachPackageInf([&](const char* pszINF)
                          { return m_DIFxInstall.PreInstallViaDifxApi(pszINF, bDoSystemEnum, pbRebootRequired); }));
}

BOOL CInstall::InstallViaDifxApiWithDeviceNotEnumerated(BOOL* pbRebootRequired)
{
    CTraceScope trace("CInstall::InstallViaDifxApiWithDeviceNotEnumerated");
    return trace.Return(ForEachPackageInf(
        [&](const char* pszINF)
        { return m_DIFxInstall.InstallViaDifxApiWithDeviceNotEnumerated(pszINF, pbRebootRequired); }));
}

BOOL CInstall::UninstallInstalledDevices()
{
    CTraceScope trace("CInstall::UninstallInstalledDevices");
    RunUninstallFor(SETUP_CFG_UNINSTALL_FROM_INSTALL, false);
    return trace.Return(TRUE);
}

void CInstall::CleanUpFailedInstall()
{
    CTraceScope trace("CInstall::CleanUpFailedInstall");
    RunUninstallFor(SETUP_CFG_UNINSTALL_FROM_INSTALL | SETUP_CFG_FAILED_INSTALL_CLEANUP, true);
}

// Each selected device is handed to the uninstall orchestration on a private copy of the parameters.
void CInstall::RunUninstallFor(DWORD dwExtraConfig, bool bFailedOnly)
{
    SETUP_PARMS copy = *m_pSetupParms;
    copy.dwSetupConfig |= dwExtraConfig;
    const size_t nCount = m_DeviceDataList.GetCount();
    for (size_t i = 0; i < nCount; ++i)
    {
        const DEVICE_DATA& data = m_DeviceDataList.GetAt(i);
        bool bSelected = bFailedOnly ? data.SetupStatus == DEVICE_INSTALL_FAILED
                                     : data.SetupStatus == DEVICE_UPGRADE_PENDING || !m_bIsNT;
        if (!bSelected)
            continue;
        copy.csUninstallINF = data.csDeviceID;
        copy.csUninstallDevice = data.csBusType;
        copy.csUninstallClass = data.csClassType;
        TraceLine("csDeviceID = %s, csBusType = %s, csClassType = %s\n", data.csDeviceID.c_str(),
                  data.csBusType.c_str(), data.csClassType.c_str());
        if (i + 1 == nCount)
            copy.dwSetupConfig |= SETUP_CFG_LAST_DEVICE;
        // The uninstall orchestration comes with a later build: nothing to hand the device to yet.
        TraceNotBuilt("CUninstall::Uninstall");
    }
}
