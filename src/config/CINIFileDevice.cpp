// Device sections of configuration INIs: numbering the repeated [DEVICE] headers, the device IDs they
// define, and what they say about the device that matched.
#include <cstdlib>

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "config/CINIFile.h"
#include "config/ProfileSection.h"
#include "platform/CRegistryKey.h"
#include "platform/CTextFile.h"
#include "platform/StringUtil.h"

namespace
{

const size_t FIX_LINE_CHARS = 258;
const int MAX_DEVICE_SECTIONS = 500;

std::string DeviceSectionName(int n)
{
    return Format("%s%d", "DEVICE", n);
}

// The tagged key's value, or else the plain key's.
BOOL GetTaggedValue(const std::string& csFile, const std::string& csSection, const std::string& csTaggedKey,
                    const std::string& csKey, std::string& csValue)
{
    return GetSectionValue(csFile, csSection, csTaggedKey, csValue) ||
           GetSectionValue(csFile, csSection, csKey, csValue);
}

} // namespace

BOOL CINIFile::FixINIFileWA1(std::string& csINIFileName)
{
    CTraceScope trace("CINIFile::FixINIFileWA1");
    std::string csTemp;
    if (!GetWindowsTempFolder(csTemp, TRUE))
        return trace.Return(FALSE);
    size_t nSlash = csINIFileName.find_last_of('\\');
    std::string csCopy = csTemp + (nSlash == std::string::npos ? csINIFileName : csINIFileName.substr(nSlash + 1));
    if (EqualsNoCase(csCopy, csINIFileName))
        return trace.Return(FALSE);
    CTextFile source;
    CTextFile copy;
    if (!source.OpenRead(csINIFileName.c_str()) || !copy.Create(csCopy.c_str()))
        return trace.Return(FALSE);
    std::string csLine;
    int nDevice = 0;
    while (source.ReadLine(csLine, FIX_LINE_CHARS))
    {
        if (ToUpper(Trim(csLine)).rfind("[DEVICE]", 0) == 0)
            copy.Write(Format("[%s%d]\n", "DEVICE", nDevice++));
        else
            copy.Write(csLine + "\n");
    }
    csINIFileName = csCopy;
    TraceLine("pcsINIFileName = %s\n", csINIFileName.c_str());
    return trace.Return(TRUE);
}

void CINIFile::DeleteNumberedCopy(const std::string& csINIFileName)
{
    if (!csINIFileName.empty())
        DeleteFileA(csINIFileName.c_str());
}

BOOL CINIFile::GetDefinedDeviceIDS(CStringList& deviceIDs, std::string& csINIFileName)
{
    CTraceScope trace("CINIFile::GetDefinedDeviceIDS");
    for (const std::string& csINI : FindConfigINIs())
    {
        std::string csCopy = csINI;
        if (!FixINIFileWA1(csCopy))
            continue;
        size_t nBefore = deviceIDs.size();
        std::string csID;
        for (int n = 0; n < MAX_DEVICE_SECTIONS && GetSectionValue(csCopy, DeviceSectionName(n), "DEVICEID", csID); ++n)
        {
            if (!csID.empty())
                deviceIDs.push_back(ToUpper(csID));
        }
        if (deviceIDs.size() > nBefore)
        {
            csINIFileName = csCopy;
            TraceLine("pcsINIFileName = %s\n", csINIFileName.c_str());
            return trace.Return(TRUE);
        }
        DeleteNumberedCopy(csCopy);
    }
    return trace.Return(FALSE);
}

BOOL CINIFile::IsOemSytleINIFileExist()
{
    CTraceScope trace("CINIFile::IsOemSytleINIFileExist");
    BOOL bFound = FALSE;
    for (const std::string& csINI : FindConfigINIs())
    {
        std::string csCopy = csINI;
        if (!FixINIFileWA1(csCopy))
            continue;
        std::string csID;
        if (GetSectionValue(csCopy, Format("%s0", "DEVICE"), "DEVICEID", csID))
            bFound = TRUE;
        DeleteNumberedCopy(csCopy);
    }
    return trace.Return(bFound);
}

BOOL CINIFile::GetDeviceSpecificInstallInfo(std::string& csINIFileName, const std::string& csDeviceID,
                                            SETUP_PARMS* pSetupParms, DEVICE_INI_INSTALL_DATA* pData)
{
    CTraceScope trace("CINIFile::GetDeviceSpecificInstallInfo");
    m_pSetupParms = pSetupParms;
    if (!pData || csDeviceID.empty())
        return trace.Return(FALSE);
    std::string csWanted = ToUpper(csDeviceID);
    for (int n = 0; n < MAX_DEVICE_SECTIONS; ++n)
    {
        std::string csSection = DeviceSectionName(n);
        std::string csValue;
        if (!GetSectionValue(csINIFileName, csSection, "DEVICEID", csValue))
            break;
        std::string csUpper = ToUpper(csValue);
        if (csUpper.empty() ||
            (csUpper.find(csWanted) == std::string::npos && csWanted.find(csUpper) == std::string::npos))
            continue;
        pData->csDeviceID = csDeviceID;
        ReadDeviceSection(csINIFileName, csSection, pData);
        // The search is over: the copy goes. Without a match it stays for the caller's next candidate.
        DeleteNumberedCopy(csINIFileName);
        return trace.Return(TRUE);
    }
    return trace.Return(FALSE);
}

void CINIFile::ReadDeviceSection(const std::string& csINIFileName, const std::string& csSection,
                                 DEVICE_INI_INSTALL_DATA* pData)
{
    std::string csFolder = m_szINIPath.substr(0, m_szINIPath.size() - (m_szINIPath.empty() ? 0 : 1));
    std::string csDriver;
    SetupOSTag("DRIVER", "_", csDriver);

    // An INSTALL_PATH left empty means "no device-specific setup": the package folder itself would be the
    // running program's own, which would start itself again.
    std::string csValue;
    if (GetSectionValue(csINIFileName, csSection, "INSTALL_PATH", csValue))
    {
        if (!csValue.empty())
            pData->csDeviceInstallPath = csValue;
    }
    else if (GetSectionValue(csINIFileName, csDriver, "INSTALL_PATH", csValue) && !csValue.empty())
        pData->csDeviceInstallPath = csFolder + csValue;

    if (GetSectionValue(csINIFileName, csDriver, "NW_SETUP", csValue) && !csValue.empty())
        pData->csNWInstallSetupExe = csFolder + csValue;
    if (GetSectionValue(csINIFileName, csDriver, "OCP_SETUP", csValue) && !csValue.empty())
        pData->csOCPInstallSetupExe = csFolder + csValue;
    if (GetSectionValue(csINIFileName, csDriver, "FRIENDLY_NAME", csValue))
        pData->csInstallFriendlyName = csValue;

    std::string csTagged;
    SetupOSTag("CABFILE", ".", csTagged);
    if (GetTaggedValue(csINIFileName, csSection, csTagged, "CABFILE", csValue))
    {
        size_t nComma = csValue.find(',');
        if (nComma != std::string::npos)
        {
            pData->csCabFileName = csFolder + "\\" + Trim(csValue.substr(0, nComma));
            std::string csProgramFiles;
            CRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion")
                .ReadString("ProgramFilesDir", csProgramFiles);
            if (csProgramFiles.size() >= MAX_PATH)
                csProgramFiles.resize(MAX_PATH - 1);
            pData->csCabFileDestPath = csProgramFiles + Trim(csValue.substr(nComma + 1)) + "\\";
        }
    }

    SetupOSTag("HOMOLFILE", ".", csTagged);
    if (GetTaggedValue(csINIFileName, csSection, csTagged, "HOMOLFILE", csValue))
    {
        size_t nComma = csValue.find(',');
        pData->csHomolFileName = Trim(csValue.substr(0, nComma));
        if (nComma != std::string::npos)
            pData->nHomolFileType = static_cast<int>(std::strtol(csValue.c_str() + nComma + 1, nullptr, 10));
    }

    SetupOSTag("INSTALL_PATH", "_", csTagged);
    if (GetSectionValue(csINIFileName, csSection, csTagged, csValue) && !csValue.empty())
        pData->csDeviceInstallPath = csFolder + csValue;

    TraceLine("pDeviceINIInstallData->csDeviceInstallPath = %s\n", pData->csDeviceInstallPath.c_str());
    TraceLine("pDeviceINIInstallData->csNWInstallSetupExe = %s\n", pData->csNWInstallSetupExe.c_str());
    TraceLine("pDeviceINIInstallData->csOCPInstallSetupExe = %s\n", pData->csOCPInstallSetupExe.c_str());
    TraceLine("pDeviceINIInstallData->csInstallFriendlyName = %s\n", pData->csInstallFriendlyName.c_str());
    TraceLine("pDeviceINIInstallData->csCabFileName = %s\n", pData->csCabFileName.c_str());
    TraceLine("pDeviceINIInstallData->csCabFileDestPath = %s\n", pData->csCabFileDestPath.c_str());

    SetupHomolFile(pData);
    TraceLine("pDeviceINIInstallData->csHomolFileName = %s\n", pData->csHomolFileName.c_str());
    SetupInstallAppFile(pData);
}
