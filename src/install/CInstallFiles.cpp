// The old way of installing: the package's INFs made known to the system, root devices created, the
// device tree re-enumerated, and the wait for Plug and Play to finish.
#include "CInstall.h"
#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "devapi/KDeviceApi.h"
#include "install/CInstallMonitor.h"
#include "install/CSoftwareDeviceInstaller.h"
#include "platform/StringUtil.h"

size_t CInstall::GetCopyFileListFromINF()
{
    CTraceScope trace("CInstall::GetCopyFileListFromINF");
    m_kCopyFilesInfoList.clear();
    m_PrepareInstall.GetCopyFileListFromINF(m_DeviceDataList, m_kCopyFilesInfoList);
    for (const COPY_FILES_INFO& entry : m_kCopyFilesInfoList)
    {
        if (EqualsNoCase(entry.kFileName, "QXPORT.SYS"))
            SetConfig(SETUP_CFG_QXPORT_IN_COPY_LIST);
    }
    TraceLine("CInstall :: GetCopyFileListFromINF : m_kCopyFilesInfoList.GetCount() = %d\n",
              static_cast<int>(m_kCopyFilesInfoList.size()));
    return m_kCopyFilesInfoList.size();
}

BOOL CInstall::InstallTheFiles()
{
    CTraceScope trace("CInstall::InstallTheFiles");
    GetCopyFileListFromINF();
    if (m_bIsNT)
    {
        BOOL bReboot = FALSE;
        BOOL bRetVal = PreInstallViaDifxApi(FALSE, &bReboot);
        if (!bRetVal)
            bRetVal = RunSetupCopyOEMInf();
        return trace.Return(bRetVal);
    }
    for (const COPY_FILES_INFO& entry : m_kCopyFilesInfoList)
    {
        BOOL bCopied = CFileUtility::CopyAFile(entry.kSourceFile, entry.kDestinationFile, entry.dwCopyFlags);
        TraceLine("%s CopyFile : Source = %s, Destination = %s, DestFlags = %X\n", bCopied ? "SUCCESS" : "FAILED",
                  entry.kSourceFile.c_str(), entry.kDestinationFile.c_str(), static_cast<unsigned>(entry.dwCopyFlags));
    }
    if (!HasConfig(SETUP_CFG_NO_HARDWARE))
        TraceNotBuilt("CInstall98WA1::DoWA, CInstall98WA3::DoWA");
    return trace.Return(TRUE);
}

BOOL CInstall::RunSetupCopyOEMInf()
{
    CTraceScope trace("CInstall::RunSetupCopyOEMInf");
    KDeviceApi* pApi = GetDeviceApi();
    BOOL bRetVal = FALSE;
    for (COPY_FILES_INFO& entry : m_kCopyFilesInfoList)
    {
        if (!pApi || entry.kSourceFile.find(".INF") == std::string::npos)
            continue;
        char szOEMINFFileName[MAX_PATH] = {0};
        if (pApi->KSetupCopyOEMInf(entry.kSourceFile.c_str(), nullptr, SPOST_PATH, 0, szOEMINFFileName, MAX_PATH,
                                   nullptr, nullptr))
        {
            entry.kOEMInfName = szOEMINFFileName;
            TraceLine("szOEMINFFileName = %s\n", szOEMINFFileName);
            bRetVal = TRUE;
        }
        else
            TraceLine("FAILED KSetupCopyOEMInf : kSourceFile = %s, GetLastError() = %d\n", entry.kSourceFile.c_str(),
                      static_cast<int>(GetLastError()));
    }
    return trace.Return(bRetVal);
}

BOOL CInstall::InstallSoftwareDevice()
{
    CTraceScope trace("CInstall::InstallSoftwareDevice");
    BOOL bNonInstalledDevices = FALSE;
    std::vector<SOFTWARE_DEVICE> devices;
    for (const DEVICE_DATA& data : m_DeviceDataList)
    {
        if (!EqualsNoCase(data.csClassType, "SYSTEM"))
        {
            if (data.SetupStatus == DEVICE_UPGRADE_PENDING || data.SetupStatus == DEVICE_INSTALL_PENDING)
                bNonInstalledDevices = TRUE;
            continue;
        }
        TraceLine("csINFFileName = %s, csDeviceDesc = %s, csDeviceID = %s\n", data.csEnumFileName.c_str(),
                  data.csDeviceDesc.c_str(), data.csDeviceID.c_str());
        // A root device that a previous run created is still there: a second one would run the same
        // service twice, so its driver is updated in place.
        if (data.SetupStatus == DEVICE_UPGRADE_PENDING)
        {
            UpdateRootDevice(data);
            continue;
        }
        devices.push_back({data.csEnumFileName, data.csDeviceID, data.csDeviceDesc, std::string()});
    }
    CSoftwareDeviceInstaller().InstallSoftwareDevices(devices);
    TraceLine("CInstall :: InstallSoftwareDevice : bNonInstalledDevices = %d\n", bNonInstalledDevices);
    return trace.Return(bNonInstalledDevices);
}

BOOL CInstall::UpdateRootDevice(const DEVICE_DATA& data)
{
    CTraceScope trace("CInstall::UpdateRootDevice");
    TraceLine("Attempting to update %s - %s\n", data.csBusTypeAndDeviceID.c_str(), data.csEnumFileName.c_str());
    KDeviceApi* pApi = GetDeviceApi();
    BOOL bReboot = FALSE;
    if (!pApi ||
        pApi->KUpdateDriverForPlugAndPlayDevices(nullptr, data.csBusTypeAndDeviceID.c_str(),
                                                 data.csEnumFileName.c_str(), INSTALL_FLAG_FORCE, &bReboot) != 1)
    {
        TraceLine("FAILED : KUpdateDriverForPlugAndPlayDevices call Failed : GetLastError() = %X\n",
                  static_cast<unsigned>(GetLastError()));
        return trace.Return(FALSE);
    }
    if (bReboot)
    {
        m_bRootDeviceReboot = TRUE;
        TraceLine("bRequireReboot = TRUE : Setting for Reboot\n");
    }
    return trace.Return(TRUE);
}

BOOL CInstall::ReenumerateSystem()
{
    CTraceScope trace("CInstall::ReenumerateSystem");
    KDeviceApi* pApi = GetDeviceApi();
    DEVINST dnRoot = 0;
    if (!pApi || pApi->KCM_Locate_DevInst(&dnRoot, nullptr, 0) != CR_SUCCESS)
    {
        TraceLine("FAILED KCM_Locate_DevInst\n");
        return trace.Return(FALSE);
    }
    if (pApi->KCM_Reenumerate_DevInst(dnRoot, 0) != CR_SUCCESS)
    {
        TraceLine("FAILED KCM_Reenumerate_DevInst\n");
        return trace.Return(FALSE);
    }
    return trace.Return(TRUE);
}

void CInstall::PostInstall()
{
    CTraceScope trace("CInstall::PostInstall");
    if (!HasConfig(SETUP_CFG_SKIP_INSTALL_WAIT))
        CInstallMonitor().WaitForInstallCompletion(&m_DeviceDataList, m_pSetupParms->dwWaitTimeout,
                                                   m_pSetupParms->dwUserDefineEnumDeviceToInstall, TRUE);
    CleanUpFilesAndRegistryAfterInstall();
    if (!m_bIsNT)
        TraceNotBuilt("CInstall98WA2::DoWA, CInstall98WA1::PostWA");
}

void CInstall::CleanUpFilesAndRegistryAfterInstall()
{
    CTraceScope trace("CInstall::CleanUpFilesAndRegistryAfterInstall");
    // Only an empty folder goes: a previous run's saved files stay.
    RemoveDirectoryA((m_csTempPath + "\\PREV").c_str());
}
