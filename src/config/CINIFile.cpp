// Configuration INI: construction, the platform tag, the switches and parameters it adds, and the device
// INI installs it runs through its base.
#include "config/CINIFile.h"

#include "common/CTraceScope.h"
#include "common/IniFlags.h"
#include "common/PlatformInfo.h"
#include "config/ProfileSection.h"
#include "inf/CInf.h"
#include "platform/CRegistryKey.h"
#include "platform/RegistrySubKeys.h"
#include "platform/StringUtil.h"

namespace
{

const size_t MAX_CONFIG_IN_IS = 500;
const char* RUN_FROM_TEMP = "-RUNFROMTEMP";
// The bit of the caller's flags word that reports a needed restart.
const DWORD RESTART_NEEDED_FLAG = 0x2;

// The rows of the [DVXSetupCfg] table that add switches; the value of such a line is not looked at.
struct SwitchKey
{
    const char* pszKey;
    const char* pszSwitch;
};
const SwitchKey SWITCH_KEYS[] = {
    {"DisableSplashScreenDlgBox", "-S1"},      {"DisableInitialInstallProgBar", "-S2"},
    {"DisableInitialUninstallProgBar", "-S2"}, {"DisableInitialInstallDlgBox", "-S3"},
    {"DisableInitialUninstallDlgBox", "-S3"},  {"DisableInstallProgBar", "-S4"},
    {"DisableFinalInstallDlgBox", "-S5"},      {"DisableFinalUninstallDlgBox", "-S5"},
    {"EnableStandardProgBar", "-PB0"},         {"EnableBusyProgBar", "-PB1"},
    {"DisableStatusUpgrade", "-GDSU"},         {"DisplaySuccessResultOnly", "-GDSO"},
};

std::string WithoutQuotes(const std::string& csText)
{
    std::string csResult;
    for (char c : csText)
    {
        if (c != '"')
            csResult += c;
    }
    return csResult;
}

std::string ExeFolderWithoutBackslash()
{
    std::string csFolder;
    GetExeFolder(csFolder, TRUE);
    return csFolder;
}

// F + value, with a backslash between them unless the value brings one.
std::string JoinInstallPath(const std::string& csFolder, const std::string& csValue)
{
    return (!csValue.empty() && csValue[0] == '\\') ? csFolder + csValue : csFolder + "\\" + csValue;
}

} // namespace

CINIFile::CINIFile() : CINIFile(nullptr) {}

CINIFile::CINIFile(const char* pszINIPath)
{
    m_nOSType = GetOSType();
    if (pszINIPath && *pszINIPath)
        m_szINIPath = pszINIPath;
    else
        GetExeFolder(m_szINIPath, FALSE);
    if (!m_szINIPath.empty() && m_szINIPath.back() != '\\')
        m_szINIPath += '\\';
    TraceLine("m_szINIPath = %s\n", m_szINIPath.c_str());
}

CStringList CINIFile::FindConfigINIs() const
{
    CStringList files;
    WIN32_FIND_DATAA data = {};
    HANDLE hFind = FindFirstFileA((m_szINIPath + "*.INI").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return files;
    do
    {
        std::string csName = data.cFileName;
        if (csName == "." || csName == ".." || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        files.push_back(ToUpper(m_szINIPath + csName));
    } while (files.size() < MAX_CONFIG_IN_IS && FindNextFileA(hFind, &data));
    FindClose(hFind);
    return files;
}

void CINIFile::SetupOSTag(const char* pszPrefix, const char* pszSeparator, std::string& csResult) const
{
    static const char* const TAGS[] = {"",   "95",   "98",         "98",           "ME",    "NT",     "2K",
                                       "XP", "XP64", "2003SERVER", "2003SERVER64", "VISTA", "VISTA64"};
    const char* pszTag = m_nOSType < sizeof(TAGS) / sizeof(TAGS[0]) ? TAGS[m_nOSType] : "";
    csResult = std::string(pszPrefix ? pszPrefix : "") + (pszSeparator ? pszSeparator : "") + pszTag;
    TraceLine("CINIFile::SetupOSTag : pcsOSSectionTag = %s\n", csResult.c_str());
}

void CINIFile::GetDVXSetupCfgParms(std::string& csCmdLine, SETUP_PARMS* pSetupParms)
{
    CTraceScope trace("CINIFile::GetDVXSetupCfgParms");
    std::string csAdded;
    for (const std::string& csINI : FindConfigINIs())
    {
        CIniEntryList entries;
        if (!GetSectionEntries(csINI, "DVXSetupCfg", entries))
            continue;
        for (const INI_ENTRY& entry : entries)
        {
            const std::string& csKey = entry.ksParm0;
            const std::string& csValue = entry.ksParm1;
            if (EqualsNoCase(csKey, "COMMAND_LINE"))
                csAdded += csValue;
            for (const SwitchKey& row : SWITCH_KEYS)
            {
                if (EqualsNoCase(csKey, row.pszKey))
                    csAdded += row.pszSwitch;
            }
            if (!pSetupParms)
                continue;
            if (EqualsNoCase(csKey, "RLMInstallPathAC97"))
                pSetupParms->csRlmInstallPathAC97 = ToUpper(m_szINIPath + csValue + "\\");
            else if (EqualsNoCase(csKey, "RLPInstallPathAC97"))
                pSetupParms->csRlpInstallPathAC97 = ToUpper(m_szINIPath + csValue + "\\");
            else if (EqualsNoCase(csKey, "HDAudioBusQFEName"))
                pSetupParms->csHDAudioBusQFEName = ToUpper(csValue);
            else if (EqualsNoCase(csKey, "HDAudioBusDriverName"))
                pSetupParms->csHDAudioBusDriverName = ToUpper(csValue);
            else if (EqualsNoCase(csKey, "NvlsCrossCert"))
                pSetupParms->csCertFileName = csValue;
        }
    }
    if (csAdded.empty())
        return;
    csAdded = ToUpper(Trim(WithoutQuotes(csAdded)));
    TraceLine("CINIFile::GetDVXSetupCfgParms : csCmdLine = %s\n", csAdded.c_str());
    csCmdLine += csAdded;
}

void CINIFile::GetFileCfgParms(SETUP_PARMS* pSetupParms)
{
    CTraceScope trace("CINIFile::GetFileCfgParms");
    if (!pSetupParms)
        return;
    const char* pszDifxKey = IsNative64Bit() ? "Difx64FileName" : "Difx32FileName";
    for (const std::string& csINI : FindConfigINIs())
    {
        CIniEntryList entries;
        if (!GetSectionEntries(csINI, "FileCfg", entries))
            continue;
        for (const INI_ENTRY& entry : entries)
        {
            if (EqualsNoCase(entry.ksParm0, "Setup64FileName"))
            {
                pSetupParms->csSetup64FileName = entry.ksParm1;
                TraceLine("pSetupParms->csSetup64FileName = %s\n", entry.ksParm1.c_str());
            }
            else if (EqualsNoCase(entry.ksParm0, pszDifxKey))
            {
                pSetupParms->csEncodedDIFxFileName = entry.ksParm1;
                TraceLine("FileCfgParms->csEncodedDIFxFileName = %s\n", entry.ksParm1.c_str());
            }
        }
    }
}

BOOL CINIFile::CheckIfValidINIFile(DWORD dwFlags, const char*)
{
    return (dwFlags & INI_FLAG_DVX_INI_FILE) || (m_dwINIFlags & 0x1);
}

BOOL CINIFile::InstallSingleINIFile(const char* pszDeviceID, const char* pszINIFileName, DWORD* pdwINIFlags)
{
    CTraceScope trace("CINIFile::InstallSingleINIFile");
    m_dwINIFlags = pdwINIFlags ? *pdwINIFlags : 0;
    Initialize(pszDeviceID);
    BOOL bRestart = FALSE;
    if (KINIFile::InstallSingleINIFile(pszINIFileName, &bRestart, TRUE) != INI_INSTALL_DONE)
        return trace.Return(FALSE);
    if (bRestart && pdwINIFlags)
        *pdwINIFlags |= RESTART_NEEDED_FLAG;
    return trace.Return(TRUE);
}

BOOL CINIFile::InstallINIFiles(const char* pszDeviceID, const char* pszINIPath)
{
    CTraceScope trace("CINIFile::InstallINIFiles");
    Initialize(pszDeviceID);
    BOOL bRestart = FALSE;
    KINIFile::InstallINIFiles(pszINIPath, &bRestart);
    TraceLine("CINIFile::InstallINIFiles : bRebootRequired = %d\n", bRestart);
    return trace.Return(bRestart);
}

DWORD CINIFile::UninstallINIFiles(const char* pszDeviceID)
{
    CTraceScope trace("CINIFile::UninstallINIFiles");
    // Only the package's own INIs are undone.
    m_dwINIFlags = 4;
    Initialize(pszDeviceID);
    return KINIFile::UninstallINIFiles();
}

void CINIFile::DoUninstallStringWA(const std::string& csDeviceID)
{
    CTraceScope trace("CINIFile::DoUninstallStringWA");
    CDevNode devNode(csDeviceID.c_str(), TRUE);
    char szDriverPath[MAX_PATH] = {0};
    DWORD dwSize = MAX_PATH - 1;
    if (!devNode.GetDeviceRegistryProperty(SPDRP_DRIVER, reinterpret_cast<BYTE*>(szDriverPath), &dwSize) ||
        !szDriverPath[0])
        return;
    TraceLine("szDriverPath = %s\n", szDriverPath);
    for (const char* pszRoot : {UNINSTALL_ROOT, UNINSTALL_ROOT_WOW64})
    {
        for (const std::string& csSub : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, pszRoot))
        {
            TraceLine("ksSubKey = %s\n", csSub.c_str());
            CRegistryKey entry(HKEY_LOCAL_MACHINE, std::string(pszRoot) + "\\" + csSub);
            std::string csDevice;
            std::string csUninstall;
            if (!entry.ReadString("CorrespondingDevice", csDevice) || !EqualsNoCase(csDevice, szDriverPath) ||
                !entry.ReadString("UninstallString", csUninstall))
                continue;
            size_t nPos = ToUpper(csUninstall).find(RUN_FROM_TEMP);
            if (nPos == std::string::npos)
                continue;
            std::string csAfter = csUninstall;
            csAfter.erase(nPos, std::string(RUN_FROM_TEMP).size());
            if (entry.WriteString("UninstallString", csAfter))
            {
                TraceLine("Before : %s\n", csUninstall.c_str());
                TraceLine("After  : %s\n", csAfter.c_str());
            }
        }
    }
}

BOOL CINIFile::GetOemStyleInstallPath(std::string& csInstallPath)
{
    CTraceScope trace("CINIFile::GetOemStyleInstallPath");
    std::string csFolder = ExeFolderWithoutBackslash();
    std::string csSection;
    SetupOSTag("DRIVER", "_", csSection);
    CINIFile exeFolder(csFolder.c_str());
    for (const std::string& csINI : exeFolder.FindConfigINIs())
    {
        std::string csValue;
        if (!GetSectionValue(csINI, csSection, "INSTALL_PATH", csValue))
            continue;
        csInstallPath = JoinInstallPath(csFolder, csValue);
        TraceLine("*pcsInstallPath = %s\n", csInstallPath.c_str());
        return trace.Return(TRUE);
    }
    return trace.Return(FALSE);
}

BOOL CINIFile::GetOSInstallPath(std::string& csInstallPath)
{
    CTraceScope trace("CINIFile::GetOSInstallPath");
    std::string csKey;
    if (m_nOSType == OS_NONE || m_nOSType == OS_WIN95)
        csKey = "NONE";
    else if (m_nOSType == OS_WIN98SE)
        csKey = "WIN98";
    else
        SetupOSTag("WIN", "", csKey);
    std::string csFolder = ExeFolderWithoutBackslash();
    CINIFile exeFolder(csFolder.c_str());
    for (const std::string& csINI : exeFolder.FindConfigINIs())
    {
        CInf ini;
        std::string csValue;
        if (!ini.Initialize(csINI.c_str()) || !ini.GetKeyValue("Version", "DEVTYPE_DVX_INI_FILE", csValue, 0) ||
            !ini.GetKeyValue("INSTALL_PATH", csKey.c_str(), csValue, 1))
            continue;
        csInstallPath = JoinInstallPath(csFolder, csValue);
        TraceLine("*pcsInstallPath = %s\n", csInstallPath.c_str());
        return trace.Return(TRUE);
    }
    return trace.Return(FALSE);
}
