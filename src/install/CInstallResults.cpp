// What became of each device: the reviews after the install, the result table for the wizard, the
// package's INI files and cabinet, the result code for silent callers and the hand-off that cleans up
// after a run that did not end.
#include <cstring>

#include "CInstall.h"
#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "config/CINIFile.h"
#include "device/CCabFile.h"
#include "device/CDevNode.h"
#include "platform/CRegistryKey.h"
#include "platform/StringUtil.h"

namespace
{

const char* const CAB_PATH_KEY = "SOFTWARE\\DVX\\INSTALL_INFO";

bool IsDone(int nStatus)
{
    return nStatus == DEVICE_UPGRADED || nStatus == DEVICE_INSTALLED;
}

bool IsPending(int nStatus)
{
    return nStatus == DEVICE_UPGRADE_PENDING || nStatus == DEVICE_INSTALL_PENDING;
}

// The program's path in quotes when it holds a blank, so that the Run value starts the right file.
std::string QuotedIfBlank(const std::string& csPath)
{
    return csPath.find(' ') == std::string::npos ? csPath : "\"" + csPath + "\"";
}

BOOL HasDriverKey(const std::string& csHardwareID, BOOL bVerify)
{
    CDevNode node;
    node.Initialize(csHardwareID.c_str(), bVerify);
    char szDriver[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szDriver);
    return node.IsBound() && node.GetDeviceRegistryProperty(SPDRP_DRIVER, reinterpret_cast<BYTE*>(szDriver), &dwSize);
}

} // namespace

BOOL CInstall::ReviewUpgradeCompletionStatus()
{
    CTraceScope trace("CInstall::ReviewUpgradeCompletionStatus");
    if (m_bIsNT)
    {
        CStringList cslClasses;
        for (const DEVICE_DATA& data : m_DeviceDataList)
        {
            if (data.SetupStatus != DEVICE_UPGRADED)
                continue;
            TraceLine("Successfully Upgraded [%s] Device\n", data.csClassType.c_str());
            cslClasses.push_back(data.csClassType);
        }
        for (const std::string& csClass : cslClasses)
        {
            for (size_t i = 0; i < m_DeviceDataList.GetCount(); ++i)
            {
                const DEVICE_DATA& data = m_DeviceDataList.GetAt(i);
                if (!EqualsNoCase(data.csClassType, csClass) || data.SetupStatus == DEVICE_UPGRADED)
                    continue;
                TraceLine("Flag as DEVICE_NOT_INSTALLED = %s\n", data.csBusTypeAndDeviceID.c_str());
                SetStatus(i, DEVICE_NOT_INSTALLED);
            }
        }
        bool bAnyPending = false;
        for (const DEVICE_DATA& data : m_DeviceDataList)
            bAnyPending = bAnyPending || IsPending(data.SetupStatus);
        if (!bAnyPending)
            return trace.Return(FALSE);
    }
    TraceLine("Still some unprocessed devices that need to be installed\n");
    return trace.Return(TRUE);
}

BOOL CInstall::TestIfInstalledSuccessfull(const DEVICE_DATA& data)
{
    CTraceScope trace("CInstall::TestIfInstalledSuccessfull");
    CDevNode node;
    node.Initialize(data.csBusTypeAndDeviceID.c_str(), TRUE);
    char szDriver[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szDriver);
    char szDesc[MAX_PATH] = {0};
    DWORD dwDescSize = sizeof(szDesc) - 1;
    if (!node.IsBound() || !node.GetDeviceRegistryProperty(SPDRP_DRIVER, reinterpret_cast<BYTE*>(szDriver), &dwSize) ||
        !node.GetDeviceRegistryProperty(SPDRP_DEVICEDESC, reinterpret_cast<BYTE*>(szDesc), &dwDescSize))
        return trace.Return(FALSE);
    if (m_bIsNT && m_nOSType != OS_WINNT4 && !EqualsNoCase(szDesc, data.csDeviceDesc))
        return trace.Return(FALSE);
    TraceLine("Parent Device Installed = %s, %s\n", data.csDeviceDesc.c_str(), data.csBusTypeAndDeviceID.c_str());
    for (const CHILD_DEVICE& child : data.ChildDevice)
    {
        if (child.csChildBusTypeAndDeviceID.empty())
            continue;
        if (!HasDriverKey(child.csChildBusTypeAndDeviceID, FALSE))
            return trace.Return(FALSE);
        TraceLine("Child Device Installed = %s\n", child.csChildBusTypeAndDeviceID.c_str());
    }
    if (data.csWaveBusTypeAndDeviceID.empty())
        return trace.Return(TRUE);
    if (!HasDriverKey(data.csWaveBusTypeAndDeviceID, FALSE))
        return trace.Return(FALSE);
    TraceLine("Wave Device Installed = %s\n", data.csWaveBusTypeAndDeviceID.c_str());
    return trace.Return(TRUE);
}

BOOL CInstall::ReviewInstallCompletionStatus()
{
    CTraceScope trace("CInstall::ReviewInstallCompletionStatus");
    BOOL bRetVal = FALSE;
    for (size_t i = 0; i < m_DeviceDataList.GetCount(); ++i)
    {
        const DEVICE_DATA data = m_DeviceDataList.GetAt(i);
        if (HasConfig(SETUP_CFG_NO_HARDWARE) || TestIfInstalledSuccessfull(data))
        {
            SetStatus(i, data.SetupStatus == DEVICE_INSTALL_PENDING ? DEVICE_INSTALLED : DEVICE_UPGRADED);
            bRetVal = TRUE;
        }
        else
            SetStatus(i, DEVICE_INSTALL_FAILED);
        TraceLine("csDeviceDesc = %s, SetupStatus = %s\n", data.csDeviceDesc.c_str(),
                  GetSetupStatusName(m_DeviceDataList.GetAt(i).SetupStatus));
    }
    return trace.Return(bRetVal);
}

void CInstall::GetInstallInfo(int eInstallInfo, INSTALL_INFO* pInfo)
{
    CTraceScope trace("CInstall::GetInstallInfo");
    TraceLine("CInstall :: GetInstallInfo : eInstallInfo = %d\n", eInstallInfo);
    if (!pInfo || !m_pSetupParms)
        return;
    pInfo->dwCnt = 0;
    for (INSTALL_INFO_ROW& row : pInfo->rows)
        row.eDeviceStatus = 0;

    if (eInstallInfo == INSTALL_INFO_BEFORE && !m_pSetupParms->csForcedInstallFriendlyName.empty())
    {
        m_pSetupParms->nForcedInstallStatus = 3;
        for (const DEVICE_DATA& data : m_DeviceDataList)
        {
            if (data.SetupStatus == DEVICE_UPGRADE_PENDING)
                m_pSetupParms->nForcedInstallStatus = 1;
        }
        FormatBounded(pInfo->rows[0].szDeviceDesc, INSTALL_INFO_TEXT, "%s",
                      m_pSetupParms->csForcedInstallFriendlyName.c_str());
        pInfo->rows[0].eDeviceStatus =
            m_pSetupParms->nForcedInstallStatus == 1 && !(m_pSetupParms->dwMode & SETUP_MODE_NO_STATUS_UPGRADE)
                ? INSTALL_INFO_WILL_UPGRADE
                : INSTALL_INFO_WILL_INSTALL;
        pInfo->dwCnt = 1;
        return;
    }

    CStringList cslSeen;
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        if (eInstallInfo == INSTALL_INFO_AFTER && HasConfig(SETUP_CFG_SUCCESS_RESULT_ONLY) &&
            data.SetupStatus == DEVICE_INSTALL_FAILED)
            continue;
        DWORD dwRow = INSTALL_INFO_ROWS;
        bool bSeen = false;
        for (const std::string& cs : cslSeen)
            bSeen = bSeen || cs == data.csDeviceDesc;
        if (!bSeen)
        {
            cslSeen.push_back(data.csDeviceDesc);
            // The table holds 100 descriptions; further ones are traced, not written.
            if (pInfo->dwCnt >= INSTALL_INFO_ROWS)
            {
                TraceLine("ERROR : result table full, not shown: %s\n", data.csDeviceDesc.c_str());
                continue;
            }
            dwRow = pInfo->dwCnt++;
            FormatBounded(pInfo->rows[dwRow].szDeviceDesc, INSTALL_INFO_TEXT, "%s", data.csDeviceDesc.c_str());
        }
        else
        {
            for (DWORD n = 0; n < pInfo->dwCnt && dwRow == INSTALL_INFO_ROWS; ++n)
            {
                if (EqualsNoCase(pInfo->rows[n].szDeviceDesc, data.csDeviceDesc))
                    dwRow = n;
            }
            if (dwRow == INSTALL_INFO_ROWS)
                continue;
        }
        INSTALL_INFO_ROW& row = pInfo->rows[dwRow];
        if (eInstallInfo == INSTALL_INFO_BEFORE)
        {
            if (row.eDeviceStatus != INSTALL_INFO_WILL_UPGRADE)
                row.eDeviceStatus = data.SetupStatus == DEVICE_UPGRADE_PENDING &&
                                            !(m_pSetupParms->dwMode & SETUP_MODE_NO_STATUS_UPGRADE)
                                        ? INSTALL_INFO_WILL_UPGRADE
                                        : INSTALL_INFO_WILL_INSTALL;
        }
        else if (row.eDeviceStatus != INSTALL_INFO_INSTALLED)
            row.eDeviceStatus = IsDone(data.SetupStatus) ? INSTALL_INFO_INSTALLED : INSTALL_INFO_FAILED;
        TraceLine("dwCnt = %d, szDeviceDesc = %s, eDeviceStatus = %d\n", static_cast<int>(dwRow), row.szDeviceDesc,
                  static_cast<int>(row.eDeviceStatus));
    }
}

void CInstall::ProcessMiscInstallFiles(BOOL bDeviceINIInstallData)
{
    CTraceScope trace("CInstall::ProcessMiscInstallFiles");
    if (!m_pSetupParms->csPackagePath.empty())
        ProcessMiscInstallFiles1(bDeviceINIInstallData, m_pSetupParms->csPackagePath);
    std::string csExeFolder;
    GetExeFolder(csExeFolder, FALSE);
    ProcessMiscInstallFiles1(bDeviceINIInstallData, csExeFolder);
}

void CInstall::ProcessMiscInstallFiles1(BOOL bDeviceINIInstallData, const std::string& csFilePath)
{
    CTraceScope trace("CInstall::ProcessMiscInstallFiles1");
    TraceLine("bDeviceINIInstallData =  %d, csFilePath = %s\n", bDeviceINIInstallData, csFilePath.c_str());
    CINIFile iniFile(csFilePath.c_str());
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        if (IsDone(data.SetupStatus) && iniFile.InstallINIFiles(data.csDeviceID.c_str(), data.csInstallPath.c_str()))
            SetConfig(SETUP_CFG_FORCE_REBOOT);
    }
    if (bDeviceINIInstallData)
    {
        if (iniFile.InstallMiscINIFiles(&m_DeviceINIInstallData))
            SetConfig(SETUP_CFG_FORCE_REBOOT);
        const std::string& csCab = m_DeviceINIInstallData.csCabFileName;
        const std::string& csDest = m_DeviceINIInstallData.csCabFileDestPath;
        std::string csDestFolder = csDest.substr(0, csDest.empty() ? 0 : csDest.rfind('\\'));
        char szProgramFiles[MAX_PATH] = {0};
        DWORD dwLen = GetEnvironmentVariableA("ProgramFiles", szProgramFiles, MAX_PATH);
        // A destination made from an empty CABFILE entry would be Program Files itself.
        if (!csCab.empty() && !csDest.empty() && dwLen > 0 && dwLen < MAX_PATH &&
            EqualsNoCase(csDestFolder, szProgramFiles))
            TraceLine("ERROR : no cabinet destination below %s\n", szProgramFiles);
        else if (!csCab.empty() && !csDest.empty())
        {
            CFileUtility::CreateFolderPath(csDest + "T.LOG", 0);
            CCabFile().ExtractCabFile(csCab.c_str(), csDest.c_str());
            CRegistryKey key(HKEY_LOCAL_MACHINE, CAB_PATH_KEY);
            if (!key.Create() || !key.WriteString("DeviceCabFilePath", csDestFolder))
                TraceLine("FAILED Registry WriteValue : DeviceCabFilePath = %s\n", csDestFolder.c_str());
        }
    }
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        if (IsDone(data.SetupStatus))
            TraceNotBuilt("CVistaWaveRT::ProcessINIFile");
    }
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        if (IsDone(data.SetupStatus))
            iniFile.DoUninstallStringWA(data.csDeviceID);
    }
}

void CInstall::SetFinalISStatus(BOOL bInstallationStatus)
{
    CTraceScope trace("CInstall::SetFinalISStatus");
    TraceLine("CInstall :: SetFinalISStatus : bInstallationStatus = %d\n", bInstallationStatus);
    if ((HasConfig(SETUP_CFG_NO_HARDWARE) || bInstallationStatus) && m_pnISResultCode)
        *m_pnISResultCode = 0;
}

void CInstall::SetupForRunScenario(const char* pszExeName, const char* pszCommandLine)
{
    CTraceScope trace("CInstall::SetupForRunScenario");
    TraceLine("pszExeName = %s, pszCommandLine = %s\n", pszExeName, pszCommandLine);
    const std::string csTarget = m_csTempPath + "\\" + pszExeName + ".EXE";
    const std::string csCommand = QuotedIfBlank(csTarget) + " " + pszCommandLine;
    const std::string csSelf = GetExePath();
    if (!CFileUtility::CopyAFile(csSelf, csTarget, 0))
        TraceLine("FAILED CopyAFile : Source = %s, Destination = %s\n", csSelf.c_str(), csTarget.c_str());
    CRegistryKey runKey(HKEY_LOCAL_MACHINE, RUN_KEY);
    if (!runKey.Create() || !runKey.WriteString(pszExeName, csCommand))
        TraceLine("FAILED Registry WriteValue : pszExeName = %s, csArg = %s\n", pszExeName, csCommand.c_str());
}

void CInstall::SetupForCleanUpIfAborted()
{
    CTraceScope trace("CInstall::SetupForCleanUpIfAborted");
    SetupForRunScenario(CLEAN_UP_VALUE, CLEAN_UP_SWITCH);
}
