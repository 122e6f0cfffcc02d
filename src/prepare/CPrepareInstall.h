// Install preparation: which devices of the package to install or upgrade (the package's INFs against the
// devices present and the hardware-detection library), and the machine made ready for it: installation
// sources, applications the INFs name stopped, the in-box modem INFs that would compete with the package
// parked outside the INF folder for the run and put back when the object goes (also by the next run when
// one was killed), and device-INI based install parameters.
#pragma once

#include <string>

#include "common/SetupParms.h"
#include "inf/InfRecords.h"
#include "platform/StringList.h"
#include "prepare/CDVXDLL.h"
#include "prepare/CDeviceDataList.h"

struct DEVICE_INI_INSTALL_DATA;

class CPrepareInstall : public CDVXDLL
{
public:
    CPrepareInstall();
    ~CPrepareInstall() override;

    void CollectInstallDeviceInfo(const CStringList& installPaths, SETUP_PARMS* pSetupParms, CDeviceDataList& out);
    size_t GetDeviceDataInfo(const std::string& csTestFile, CDeviceDataList& list);
    size_t CheckDeviceInstallStatus(const SETUP_PARMS* pSetupParms, BOOL bReadPhysicalHW,
                                    const CDeviceDataList& infDevices, CDeviceDataList& out);
    BOOL TestIfHardwareExist(const char* pszDeviceID, BOOL bReadPhysicalHW, BOOL bSetTRUEIfNoDVXDLL,
                             const CStringList* pAllIDs, const char* pszFolder);
    BOOL TestIfParentInstalled(const std::string& csDeviceID);
    void SetupRegInstallSource(const CDeviceDataList& list);
    void KillAnyProcessDefinedInINF(const CStringList& installPaths);
    void GetCopyFileListFromINF(const CDeviceDataList& list, CCopyFilesList& out);
    void SetupInstallParms();
    void RestoreOriginalParms();
    void CopyInBuildInfFileToTemp();
    void CopyInBuildInfBackToLocation();
    void PrepareInstallWin98();
    void PrepareInstallWin2K();
    BOOL GetDeviceINIBasedInstallParms(SETUP_PARMS* pSetupParms, DEVICE_INI_INSTALL_DATA* pData);
    BOOL GetDeviceINIBasedInstallParms1(const std::string& csFolder, SETUP_PARMS* pSetupParms,
                                        DEVICE_INI_INSTALL_DATA* pData);
    BOOL GetDeviceSpecificInstallPath(std::string* pcsInstallPath);

    const std::string& GetDeviceClass() const { return m_csDeviceClass; }

    // The in-box INFs parked for the run, in this order.
    static const int IN_BOX_INF_COUNT = 6;
    static const char IN_BOX_INFS[IN_BOX_INF_COUNT][20];
    // The parking folder under the Windows TEMP folder.
    static const char* const PARKING_FOLDER;

private:
    // The parking folder's full path, without a trailing backslash.
    static std::string ParkingFolder();
    static std::string InfFolder();

    // The hardware IDs (upper case) of the devices present, read once while the device list is built: an
    // ID that none of them contains has no device node, and needs no search of the device tree.
    void ReadPresentHardwareIDs();
    bool MayBePresent(const std::string& csDeviceID) const;

    std::string m_csDeviceClass;
    DWORD m_nOSType = 0;
    CStringList m_presentIDs;
    bool m_bPresentIDsRead = false;
};
