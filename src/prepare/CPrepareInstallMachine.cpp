// Install preparation: the machine made ready for the install (installation sources, applications
// stopped, in-box INFs parked and put back) and device-INI based install parameters.
#include <vector>

#include "CPrepareInstall.h"

#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "common/ProcessStopper.h"
#include "config/CINIFile.h"
#include "inf/CInf.h"
#include "platform/CScopedHandle.h"
#include "platform/StringUtil.h"
#include "prepare/FileSearch.h"

const char CPrepareInstall::IN_BOX_INFS[IN_BOX_INF_COUNT][20] = {"WDMMDMPC.INF", "MDMRPCI.INF",  "MDMRPCIW.INF",
                                                                 "MDMGEN.INF",   "MDMNVSFT.INF", "MDMNVSF2.INF"};
const char* const CPrepareInstall::PARKING_FOLDER = "DVX_INBUILD_INF";

namespace
{

const char* SETUP_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
const char* SOURCES_VALUE = "Installation Sources";

std::string FileNamePart(const std::string& csPath)
{
    const size_t nSlash = csPath.find_last_of('\\');
    return nSlash == std::string::npos ? csPath : csPath.substr(nSlash + 1);
}

// The strings of a REG_MULTI_SZ value.
CStringList MultiStrings(const std::vector<char>& data)
{
    CStringList strings;
    size_t nStart = 0;
    for (size_t n = 0; n < data.size(); ++n)
    {
        if (data[n] != '\0')
            continue;
        if (n > nStart)
            strings.push_back(std::string(data.data() + nStart, n - nStart));
        nStart = n + 1;
    }
    return strings;
}

} // namespace

std::string CPrepareInstall::InfFolder()
{
    char sz[MAX_PATH] = {0};
    UINT n = GetWindowsDirectoryA(sz, MAX_PATH);
    return (n > 0 && n < MAX_PATH ? std::string(sz) : std::string()) + "\\INF";
}

std::string CPrepareInstall::ParkingFolder()
{
    std::string csTemp;
    GetWindowsTempFolder(csTemp, FALSE);
    return csTemp + PARKING_FOLDER;
}

void CPrepareInstall::SetupRegInstallSource(const CDeviceDataList& list)
{
    CTraceScope trace("CPrepareInstall::SetupRegInstallSource");
    CStringList seen;
    for (const DEVICE_DATA& data : list)
    {
        bool bSeen = false;
        for (const std::string& csPath : seen)
            bSeen = bSeen || csPath == data.csInstallPath;
        if (bSeen)
            continue;
        seen.push_back(data.csInstallPath);

        CScopedRegKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETUP_KEY, 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS)
            continue;
        DWORD dwType = 0;
        DWORD dwSize = 0;
        std::vector<char> old;
        if (RegQueryValueExA(key.Get(), SOURCES_VALUE, nullptr, &dwType, nullptr, &dwSize) == ERROR_SUCCESS)
        {
            old.assign(dwSize, '\0');
            if (dwSize && RegQueryValueExA(key.Get(), SOURCES_VALUE, nullptr, &dwType,
                                           reinterpret_cast<BYTE*>(old.data()), &dwSize) != ERROR_SUCCESS)
                continue;
            old.resize(dwSize);
        }
        // Other programs read this list: a path it holds already is not added again.
        bool bListed = false;
        for (const std::string& csSource : MultiStrings(old))
            bListed = bListed || EqualsNoCase(csSource, data.csInstallPath);
        if (bListed)
        {
            TraceLine("Install Source path %s already listed\n", data.csInstallPath.c_str());
            continue;
        }
        std::vector<char> value(data.csInstallPath.begin(), data.csInstallPath.end());
        value.push_back('\0');
        if (old.empty())
            value.push_back('\0');
        else
            value.insert(value.end(), old.begin(), old.end());
        if (RegSetValueExA(key.Get(), SOURCES_VALUE, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value.data()),
                           static_cast<DWORD>(value.size())) == ERROR_SUCCESS)
            TraceLine("Install Source path set to %s\n", data.csInstallPath.c_str());
    }
}

void CPrepareInstall::KillAnyProcessDefinedInINF(const CStringList& installPaths)
{
    CTraceScope trace("CPrepareInstall::KillAnyProcessDefinedInINF");
    CStringList apps;
    for (const std::string& csPath : installPaths)
    {
        for (const std::string& csFile : FindFiles(csPath + "*.INF"))
        {
            CInf inf;
            if (inf.Initialize(csFile.c_str()))
                inf.GetKillAppsList(apps);
        }
    }
    for (const std::string& csApp : apps)
        KillThisGuy(csApp);
}

void CPrepareInstall::SetupInstallParms()
{
    CTraceScope trace("CPrepareInstall::SetupInstallParms");
    if (IsNTPlatform())
        PrepareInstallWin2K();
    else
        PrepareInstallWin98();
    CopyInBuildInfFileToTemp();
}

void CPrepareInstall::PrepareInstallWin98()
{
    CTraceScope trace("CPrepareInstall::PrepareInstallWin98");
    // The driver index is rebuilt from the INF folder.
    CFileUtility::DeleteAFile(InfFolder() + "\\DRVIDX.BIN", 0);
    CFileUtility::DeleteAFile(InfFolder() + "\\DRVDATA.BIN", 0);
}

void CPrepareInstall::PrepareInstallWin2K()
{
    CTraceScope trace("CPrepareInstall::PrepareInstallWin2K");
}

void CPrepareInstall::RestoreOriginalParms()
{
    CTraceScope trace("CPrepareInstall::RestoreOriginalParms");
    CopyInBuildInfBackToLocation();
}

void CPrepareInstall::CopyInBuildInfFileToTemp()
{
    CTraceScope trace("CPrepareInstall::CopyInBuildInfFileToTemp");
    std::string csTemp;
    GetWindowsTempFolder(csTemp, TRUE);
    const std::string csParking = ParkingFolder();
    CreateDirectoryA(csParking.c_str(), nullptr);
    const std::string csInf = InfFolder();
    for (const char* pszExtension : {".INF", ".PNF"})
    {
        for (const char* pszName : IN_BOX_INFS)
        {
            std::string csName = pszName;
            csName.replace(csName.size() - 4, 4, pszExtension);
            const std::string csSource = csInf + "\\" + csName;
            const std::string csDest = csParking + "\\" + csName;
            // Copied first, deleted after: a run that stops in between leaves the file in the INF folder.
            if (!CFileUtility::CopyAFile(csSource, csDest, 0))
                TraceLine("FAILED CopyAFile : Source = %s, Destination = %s\n", csSource.c_str(), csDest.c_str());
            else if (!CFileUtility::DeleteAFile(csSource, 0))
                TraceLine("FAILED DeleteAFile : Source = %s\n", csSource.c_str());
        }
    }
}

void CPrepareInstall::CopyInBuildInfBackToLocation()
{
    CTraceScope trace("CPrepareInstall::CopyInBuildInfBackToLocation");
    const std::string csParking = ParkingFolder();
    const std::string csInf = InfFolder();
    for (const std::string& csParked : FindFiles(csParking + "\\*.*"))
    {
        const std::string csDest = csInf + "\\" + FileNamePart(csParked);
        // A file still in the INF folder was never deleted there: the parked copy may be incomplete.
        if (CFileUtility::IsFile(csDest))
            TraceLine("%s is in place : parked copy dropped\n", csDest.c_str());
        else if (!CFileUtility::CopyAFile(csParked, csDest, 0))
        {
            TraceLine("FAILED CopyAFile : Source = %s, Destination = %s\n", csParked.c_str(), csDest.c_str());
            continue;
        }
        if (!CFileUtility::DeleteAFile(csParked, 0))
            TraceLine("FAILED DeleteAFile : Source = %s\n", csParked.c_str());
    }
    RemoveDirectoryA(csParking.c_str());
}

BOOL CPrepareInstall::GetDeviceINIBasedInstallParms(SETUP_PARMS* pSetupParms, DEVICE_INI_INSTALL_DATA* pData)
{
    CTraceScope trace("CPrepareInstall::GetDeviceINIBasedInstallParms");
    std::string csFolder = pSetupParms ? pSetupParms->csPackagePath : std::string();
    if (csFolder.empty())
        GetExeFolder(csFolder, FALSE);
    return trace.Return(GetDeviceINIBasedInstallParms1(csFolder, pSetupParms, pData));
}

BOOL CPrepareInstall::GetDeviceINIBasedInstallParms1(const std::string& csFolder, SETUP_PARMS* pSetupParms,
                                                     DEVICE_INI_INSTALL_DATA* pData)
{
    CTraceScope trace("CPrepareInstall::GetDeviceINIBasedInstallParms1", "csFolder = %s", csFolder.c_str());
    if (!pData)
        return trace.Return(FALSE);
    pData->bDeviceINIInstallData = FALSE;
    CINIFile iniFile(csFolder.c_str());
    CStringList ids;
    std::string csINIFileName;
    if (!iniFile.GetDefinedDeviceIDS(ids, csINIFileName))
        return trace.Return(FALSE);
    std::string csExeFolder;
    GetExeFolder(csExeFolder, FALSE);
    // First the library beside the INIs with what the system lists, then the program's own library asked
    // to read the hardware itself.
    for (int nPass = 0; nPass < 2 && !pData->bDeviceINIInstallData; ++nPass)
    {
        const BOOL bReadPhysicalHW = nPass == 1;
        const std::string& csLibrary = nPass == 0 ? csFolder : csExeFolder;
        for (const std::string& csID : ids)
        {
            if (TestIfHardwareExist(csID.c_str(), bReadPhysicalHW, FALSE, &ids, csLibrary.c_str()) &&
                iniFile.GetDeviceSpecificInstallInfo(csINIFileName, csID, pSetupParms, pData))
            {
                pData->bDeviceINIInstallData = TRUE;
                break;
            }
        }
    }
    if (!pData->bDeviceINIInstallData)
    {
        // Kept for every candidate so far; a match has deleted it already.
        CINIFile::DeleteNumberedCopy(csINIFileName);
        return trace.Return(FALSE);
    }
    TraceLine("pDeviceINIInstallData->csDeviceID = %s\n", pData->csDeviceID.c_str());
    TraceLine("pDeviceINIInstallData->csCabFileName = %s\n", pData->csCabFileName.c_str());
    TraceLine("pDeviceINIInstallData->csCabFileDestPath = %s\n", pData->csCabFileDestPath.c_str());
    TraceLine("pDeviceINIInstallData->csHomolFileName = %s\n", pData->csHomolFileName.c_str());
    TraceLine("pDeviceINIInstallData->csNWInstallSetupExe = %s\n", pData->csNWInstallSetupExe.c_str());
    TraceLine("pDeviceINIInstallData->csOCPInstallSetupExe = %s\n", pData->csOCPInstallSetupExe.c_str());
    TraceLine("pDeviceINIInstallData->csInstallAppFile = %s\n", pData->csInstallAppFile.c_str());
    if (pSetupParms)
    {
        pSetupParms->csForcedInstallFriendlyName = pData->csInstallFriendlyName;
        pSetupParms->csForcedInstallPath = pData->csDeviceInstallPath;
        TraceLine("pSetupParms->csForcedInstallFriendlyName = %s\n", pSetupParms->csForcedInstallFriendlyName.c_str());
        TraceLine("pSetupParms->csForcedInstallPath = %s\n", pSetupParms->csForcedInstallPath.c_str());
    }
    return trace.Return(TRUE);
}

BOOL CPrepareInstall::GetDeviceSpecificInstallPath(std::string* pcsInstallPath)
{
    CTraceScope trace("CPrepareInstall::GetDeviceSpecificInstallPath");
    std::string csFolder;
    GetExeFolder(csFolder, FALSE);
    SETUP_PARMS scratch;
    DEVICE_INI_INSTALL_DATA scratchData;
    if (!pcsInstallPath || !GetDeviceINIBasedInstallParms1(csFolder, &scratch, &scratchData))
        return trace.Return(FALSE);
    // The device INI's install folder, relative to the program's folder.
    std::string csPath = csFolder.substr(0, csFolder.size() - 1);
    const std::string& csDevicePath = scratch.csForcedInstallPath;
    csPath += (!csDevicePath.empty() && csDevicePath[0] == '\\' ? "" : "\\") + csDevicePath;
    *pcsInstallPath = csPath;
    TraceLine("pcsInstallPath = %s\n", pcsInstallPath->c_str());
    return trace.Return(TRUE);
}
