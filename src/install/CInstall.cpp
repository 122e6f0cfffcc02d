#include "CInstall.h"

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "device/CDevNode.h"
#include "platform/CRegistryKey.h"
#include "platform/StringUtil.h"
#include "ui/CProgBarNoDoModal.h"
#include "workarounds/CInstall2KWA2.h"

const char* const CInstall::RUN_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const CInstall::CLEAN_UP_VALUE = "DVXCU2";
const char* const CInstall::CLEAN_UP_SWITCH = "-CLEAN_UP_AFTER_CRASH";

CInstall::CInstall()
{
    CTraceScope trace("CInstall::CInstall");
    m_bIsNT = IsNTPlatform();
    m_nOSType = GetOSType();
    GetWindowsTempFolder(m_csTempPath, TRUE);
    if (!m_csTempPath.empty() && m_csTempPath.back() == '\\')
        m_csTempPath.pop_back();
    TraceLine("m_csTempPath = %s\n", m_csTempPath.c_str());
}

CInstall::~CInstall()
{
    // The clean-up hand-off is meant only for a run that does not get here.
    CTraceScope trace("CInstall::~CInstall");
    if (!CRegistryKey(HKEY_LOCAL_MACHINE, RUN_KEY).DeleteValue(CLEAN_UP_VALUE))
        TraceLine("FAILED DeleteValue: ValueName = %s\n", CLEAN_UP_VALUE);
}

void CInstall::SetProgress(int nPercent)
{
    if (m_pProgress)
        m_pProgress->SetProgress(nPercent);
}

void CInstall::AddProgress(int nStep)
{
    if (m_pProgress)
        m_pProgress->AddProgress(nStep);
}

void CInstall::SetStatus(size_t nIndex, int nStatus)
{
    DEVICE_DATA data = m_DeviceDataList.GetAt(nIndex);
    data.SetupStatus = nStatus;
    m_DeviceDataList.SetAt(nIndex, data);
}

BOOL CInstall::SetupInstallEnviroment(CProgBarNoDoModal* pProgress)
{
    CTraceScope trace("CInstall::SetupInstallEnviroment");
    if (m_bEnvironmentReady)
        return trace.Return(TRUE);
    m_pProgress = pProgress;
    SetProgress(0);
    if (pProgress)
        m_pSetupParms = pProgress->GetSetupParms();
    m_bEnvironmentReady = TRUE;
    if (!m_pSetupParms)
        return trace.Return(FALSE);

    CInstall2KWA2().DoBubbleTipWA();
    SetProgress(10);
    m_PrepareInstall.GetDeviceINIBasedInstallParms(m_pSetupParms, &m_DeviceINIInstallData);
    m_InstallPath.GetInstallPaths(*m_pSetupParms, m_cslInstallPaths);
    m_DIFxInstall.Initialize(m_pSetupParms->csEncodedDIFxFileName);
    SetProgress(20);
    TraceNotBuilt("CInstallHDAudioBus::InstallHDAudioController");
    SetProgress(30);
    m_PrepareInstall.CollectInstallDeviceInfo(m_cslInstallPaths, m_pSetupParms, m_DeviceDataList);
    SetProgress(40);
    SetProgress(50);
    m_DeviceDataList.DumpForInstall();

    BOOL bRetVal = FALSE;
    if (m_DeviceDataList.IsEmpty())
        m_pSetupParms->csDeviceName = m_PrepareInstall.GetDeviceClass();
    else
    {
        SetProgress(60);
        if (m_bIsNT)
            TraceNotBuilt("CAudioInstallWA1::DoWA");
        bool bQualified = false;
        bool bPresent = false;
        for (const DEVICE_DATA& data : m_DeviceDataList)
        {
            if ((data.SetupStatus != DEVICE_UPGRADE_PENDING && data.SetupStatus != DEVICE_INSTALL_PENDING) ||
                !EqualsNoCase(data.csClassType, "NET") || !EqualsNoCase(data.csBusType, "USB"))
                continue;
            bQualified = true;
            if (IsUSBDevicePluggedIn(data.csDeviceID))
            {
                bPresent = true;
                break;
            }
        }
        if (bQualified && !bPresent)
        {
            SetConfig(SETUP_CFG_REQUEST_USER_TO_PLUGIN_USB_DEVICE);
            TraceLine("Setting for REQUEST_USER_TO_PLUGIN_USB_DEVICE scenario\n");
        }
        SetProgress(70);
        bRetVal = TRUE;
    }
    SetProgress(90);
    return trace.Return(bRetVal);
}

BOOL CInstall::BindToProgress(CProgBarNoDoModal* pProgress)
{
    m_pProgress = pProgress;
    if (pProgress)
        m_pSetupParms = pProgress->GetSetupParms();
    if (!m_pSetupParms)
        return FALSE;
    m_pnISResultCode = m_pSetupParms->pnISResultCode;
    SetProgress(0);
    return TRUE;
}

BOOL CInstall::Install(CProgBarNoDoModal* pProgress)
{
    CTraceScope trace("CInstall::Install");
    if (!BindToProgress(pProgress))
        return trace.Return(FALSE);
    BOOL bRequireReboot = FALSE;
    BOOL bInstallStatus = FALSE;

    TraceNotBuilt("CVistaCertWA::Run");
    if (m_bIsNT && m_nOSType != OS_WINNT4)
        m_PrepareInstall.SetupRegInstallSource(m_DeviceDataList);

    if (HasConfig(SETUP_CFG_NO_HARDWARE))
    {
        UninstallInstalledDevices();
        if (InstallTheFiles())
        {
            bInstallStatus = ReviewInstallCompletionStatus();
            if (bInstallStatus && !HasConfig(SETUP_CFG_PRE))
                TraceNotBuilt("CInstallNoEnum::SetupInstallNoEnum");
        }
    }
    else
    {
        m_PrepareInstall.KillAnyProcessDefinedInINF(m_cslInstallPaths);
        if (m_nOSType == OS_WINNT4)
            TraceNotBuilt("CSetupNT4::DoInstall");
        else
        {
            TraceNotBuilt("CInstallVideo::StopMCE");
            if (IsUpgradeScenario() && !HasConfig(SETUP_CFG_REQUEST_USER_TO_PLUGIN_USB_DEVICE) &&
                !HasConfig(SETUP_CFG_UBI))
                RunUpgradePass(bRequireReboot);
            if (ReviewUpgradeCompletionStatus())
                InstallOldWay(bRequireReboot);
        }
        bInstallStatus = ReviewInstallCompletionStatus();
        if (bInstallStatus)
        {
            ProcessMiscInstallFiles(m_DeviceINIInstallData.bDeviceINIInstallData);
            if (m_nOSType == OS_WINNT4)
                TraceNotBuilt("CSetupNT4::PostInstall");
        }
        else
            CleanUpFailedInstall();
    }

    SetFinalISStatus(bInstallStatus);
    if ((bRequireReboot && !HasConfig(SETUP_CFG_NO_REBOOT)) || HasConfig(SETUP_CFG_FORCE_REBOOT))
        SetConfig(SETUP_CFG_REBOOT_REQUIRED);
    SetProgress(90);
    return trace.Return(bInstallStatus);
}

BOOL CInstall::InstallOldWay(BOOL& bRequireReboot)
{
    CTraceScope trace("CInstall::InstallOldWay");
    SetupForCleanUpIfAborted();
    TraceNotBuilt("CInstallWA1::DoWA");
    SetProgress(20);
    m_PrepareInstall.SetupInstallParms();
    UninstallInstalledDevices();
    SetProgress(30);
    BOOL bDifxReboot = FALSE;
    if (InstallViaDifxApiWithDeviceNotEnumerated(&bDifxReboot))
        bRequireReboot = bDifxReboot;
    else
    {
        TraceLine("Installing devices the old fashion way\n");
        if (!InstallTheFiles())
            SetConfig(SETUP_CFG_SKIP_INSTALL_WAIT);
        else
        {
            SetProgress(40);
            const BOOL bNonInstalledDevices = InstallSoftwareDevice();
            if (m_bRootDeviceReboot)
                bRequireReboot = TRUE;
            if (!bNonInstalledDevices && m_bIsNT)
            {
                SetConfig(SETUP_CFG_SKIP_INSTALL_WAIT);
                ReenumerateSystem();
            }
            else
            {
                if (HasConfig(SETUP_CFG_REQUEST_USER_TO_PLUGIN_USB_DEVICE))
                {
                    ADSL_PROMPT prompt;
                    if (m_DeviceDataList.GetCount() == 1)
                        prompt.csTitle = m_DeviceDataList.GetAt(0).csDeviceDesc;
                    prompt.hInstance = m_pSetupParms->hInstance;
                    prompt.dwSetupConfig = m_pSetupParms->dwSetupConfig;
                    if (!DisplayPlugInUSBDeviceDlg(prompt))
                        SetConfig(SETUP_CFG_SKIP_INSTALL_WAIT);
                }
                ReenumerateSystem();
            }
        }
    }
    PostInstall();
    SetProgress(80);
    return trace.Return(TRUE);
}

BOOL CInstall::InstallNoEnum(CProgBarNoDoModal* pProgress)
{
    CTraceScope trace("CInstall::InstallNoEnum");
    if (!BindToProgress(pProgress))
        return trace.Return(FALSE);
    // The deferred install continues a run after a restart; its engine comes with a later build.
    TraceNotBuilt("CInstallNoEnum::Run");
    SetProgress(90);
    return trace.Return(FALSE);
}

BOOL CInstall::PollForPluggedInDeviceResult()
{
    if (!IsPromptShowing())
        return FALSE;
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        if (IsUSBDevicePluggedIn(data.csDeviceID))
        {
            SetDeviceGotPluggedIn();
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CInstall::IsUpgradeScenario()
{
    CTraceScope trace("CInstall::IsUpgradeScenario");
    if (!m_bIsNT)
        return trace.Return(FALSE);
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        CDevNode node;
        if (node.FindDevNode(data.csBusTypeAndDeviceID.c_str(), TRUE))
            return trace.Return(TRUE);
    }
    return trace.Return(FALSE);
}

void CInstall::CleanUpAfterCrash()
{
    CTraceScope trace("CInstall::CleanUpAfterCrash");
}
