// One install run: finds the devices to install (preparation phase), then upgrades the present ones,
// installs the rest the old way or through the driver package library, waits for Plug and Play, reviews
// every device, applies the package's INI files and sets the result code. Runs on the progress worker
// thread; the progress counter thread only polls for a plugged-in USB device.
#pragma once

#include <functional>
#include <string>

#include "common/SetupParms.h"
#include "config/DeviceIniInstallData.h"
#include "inf/InfRecords.h"
#include "install/CDIFxInstall.h"
#include "install/InstallInfo.h"
#include "platform/StringList.h"
#include "prepare/CDeviceDataList.h"
#include "prepare/CInstallPath.h"
#include "prepare/CPrepareInstall.h"
#include "ui/CSetupADSL.h"
#include "ui/IProgressEngine.h"

class CInstall : public CSetupADSL, public IInstallEngine
{
public:
    CInstall();
    ~CInstall() override;

    // IInstallEngine: the two phases the progress worker runs.
    BOOL SetupInstallEnviroment(CProgBarNoDoModal* pProgress) override;
    BOOL Install(CProgBarNoDoModal* pProgress) override;
    BOOL InstallNoEnum(CProgBarNoDoModal* pProgress) override;
    void PollForPluggedInDevice() override { PollForPluggedInDeviceResult(); }
    BOOL PollForPluggedInDeviceResult();

    void GetInstallInfo(int eInstallInfo, INSTALL_INFO* pInfo);

    BOOL UninstallInstalledDevices();
    BOOL InstallTheFiles();
    size_t GetCopyFileListFromINF();
    BOOL RunSetupCopyOEMInf();
    BOOL InstallSoftwareDevice();
    BOOL UpdateRootDevice(const DEVICE_DATA& data);
    BOOL ReenumerateSystem();
    BOOL InstallChildDevices(const DEVICE_DATA& data, BOOL* pbRebootRequired);
    BOOL IsUpgradeScenario();
    BOOL PreInstallViaDifxApi(BOOL bDoSystemEnum, BOOL* pbRebootRequired);
    BOOL InstallViaDifxApiWithDeviceNotEnumerated(BOOL* pbRebootRequired);
    void PostInstall();
    void CleanUpFilesAndRegistryAfterInstall();

    // Results and recovery.
    BOOL ReviewUpgradeCompletionStatus();
    BOOL TestIfInstalledSuccessfull(const DEVICE_DATA& data);
    BOOL ReviewInstallCompletionStatus();
    void ProcessMiscInstallFiles(BOOL bDeviceINIInstallData);
    void ProcessMiscInstallFiles1(BOOL bDeviceINIInstallData, const std::string& csFilePath);
    void SetFinalISStatus(BOOL bInstallationStatus);
    void CleanUpFailedInstall();
    void SetupForRunScenario(const char* pszExeName, const char* pszCommandLine);
    void SetupForCleanUpIfAborted();
    void CleanUpAfterCrash();

    // For the run flow and tests: the setup parameters this run works on before a phase has set them.
    void SetSetupParms(SETUP_PARMS* pSetupParms) { m_pSetupParms = pSetupParms; }
    const CDeviceDataList& GetDeviceDataList() const { return m_DeviceDataList; }
    CDeviceDataList& GetDeviceDataList() { return m_DeviceDataList; }

    static const char* const RUN_KEY;
    static const char* const CLEAN_UP_VALUE;
    static const char* const CLEAN_UP_SWITCH;
    // Progress added for each device of the upgrade pass.
    static constexpr int UPGRADE_STEP = 5;
    // INSTALLFLAG_FORCE of the driver update call: install even over a driver as new.
    static constexpr DWORD INSTALL_FLAG_FORCE = 1;

private:
    BOOL RunUpgradePass(BOOL& bRequireReboot);
    BOOL InstallOldWay(BOOL& bRequireReboot);
    // Calls `install` once for each INF the device list names, on NT platforms; TRUE if any call was.
    BOOL ForEachPackageInf(const std::function<BOOL(const char*)>& install);
    void RunUninstallFor(DWORD dwExtraConfig, bool bFailedOnly);
    // The phase's progress context and, through it, the setup parameters; false without them.
    BOOL BindToProgress(CProgBarNoDoModal* pProgress);
    void SetProgress(int nPercent);
    void AddProgress(int nStep);
    void SetConfig(DWORD dwFlag) { m_pSetupParms->dwSetupConfig |= dwFlag; }
    BOOL HasConfig(DWORD dwFlag) const { return (m_pSetupParms->dwSetupConfig & dwFlag) != 0; }
    void SetStatus(size_t nIndex, int nStatus);

    SETUP_PARMS* m_pSetupParms = nullptr;
    int* m_pnISResultCode = nullptr;
    std::string m_csTempPath;
    BOOL m_bIsNT = FALSE;
    DWORD m_nOSType = 0;
    BOOL m_bEnvironmentReady = FALSE;
    // A root device updated in place asked for a restart.
    BOOL m_bRootDeviceReboot = FALSE;
    CStringList m_cslInstallPaths;
    CDeviceDataList m_DeviceDataList;
    DEVICE_INI_INSTALL_DATA m_DeviceINIInstallData;
    CCopyFilesList m_kCopyFilesInfoList;

    CInstallPath m_InstallPath;
    CPrepareInstall m_PrepareInstall;
    CDIFxInstall m_DIFxInstall;
    CProgBarNoDoModal* m_pProgress = nullptr;
};
