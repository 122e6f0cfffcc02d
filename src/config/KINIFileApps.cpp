// Companion applications of device INIs: started, checked, registered with the device, and uninstalled
// with it; plus the workarounds for InstallShield installers that are already on the machine.
#include <cstdlib>

#include "common/CTraceScope.h"
#include "common/IniFlags.h"
#include "common/ProcessStopper.h"
#include "config/KINIAudio.h"
#include "config/KINIFile.h"
#include "config/ProfileSection.h"
#include "platform/CRegistryKey.h"
#include "platform/RegistrySubKeys.h"
#include "platform/StringUtil.h"

namespace
{

const DWORD DEFAULT_APP_WAIT_MS = 10000;
const DWORD AFTER_AUDIO_PAUSE_MS = 2000;
const int MAX_APP_LINES = 500;
const size_t MAX_UNINSTALL_STRING_CHARS = 520;
const char* CURRENT_VERSION = "Software\\Microsoft\\Windows\\CurrentVersion";

// The folder of the program (with a trailing backslash): its own folder when the path is absolute,
// else that folder relative to the INI's.
std::string ProgramFolder(const std::string& csINIFolder, const std::string& csProgram)
{
    size_t nSlash = csProgram.find_last_of('\\');
    std::string csPart = nSlash == std::string::npos ? std::string() : csProgram.substr(0, nSlash + 1);
    if (csProgram.find(':') != std::string::npos)
        return csPart;
    return csINIFolder + "\\" + csPart;
}

std::string InstallShieldInfoFolder(const std::string& csProgramFolder)
{
    std::string csGuid;
    GetSectionValue(csProgramFolder + "SETUP.INI", "Startup", "ProductGUID", csGuid);
    std::string csProgramFiles;
    if (csGuid.empty() ||
        !CRegistryKey(HKEY_LOCAL_MACHINE, CURRENT_VERSION).ReadString("ProgramFilesDir", csProgramFiles))
        return std::string();
    return csProgramFiles + "\\InstallShield Installation Information\\{" + csGuid + "}";
}

// The file named after a result-file switch: up to the next "/", else the next "-", else the end.
std::string ResultFileFromSwitch(const std::string& csCmdline)
{
    for (const char* pszSwitch : {"/F2", "-F2", "/f2", "-f2"})
    {
        size_t nPos = csCmdline.find(pszSwitch);
        if (nPos == std::string::npos)
            continue;
        std::string csRest = csCmdline.substr(nPos + 3);
        size_t nEnd = csRest.find('/');
        if (nEnd == std::string::npos)
            nEnd = csRest.find('-');
        std::string csName = csRest.substr(0, nEnd);
        std::string csUnquoted;
        for (char c : csName)
        {
            if (c != '"')
                csUnquoted += c;
        }
        return Trim(csUnquoted);
    }
    return std::string();
}

} // namespace

void KINIFile::InstallDefinedApps(const char* pszInstallSection)
{
    CTraceScope trace("KINIFile::InstallDefinedApps");
    std::string csAppSection = ApplicationSection(pszInstallSection ? pszInstallSection : "");
    for (int n = 0; n < MAX_APP_LINES; ++n)
    {
        std::string csProgram;
        if (!m_inf.GetNthKeyField(csAppSection, "InstallApp", 0, 1, n, csProgram))
            break;
        InstallOneApp(csAppSection, n);
    }
}

void KINIFile::InstallOneApp(const std::string& csAppSection, int nOccurrence)
{
    std::string csFields[8];
    for (DWORD dwField = 1; dwField <= 7; ++dwField)
        m_inf.GetNthKeyField(csAppSection, "InstallApp", 0, dwField, nOccurrence, csFields[dwField]);
    const std::string& csProgram = csFields[1];
    std::string csQuoted = csProgram.find(':') != std::string::npos
                               ? "\"" + csProgram + "\""
                               : "\"" + m_inf.GetINFPath() + "\\" + csProgram + "\"";
    std::string csCmdline = csQuoted + csFields[2];
    DWORD dwFlags = static_cast<DWORD>(std::strtoul(csFields[3].c_str(), nullptr, 10));
    DWORD dwWait = csFields[7].empty() ? DEFAULT_APP_WAIT_MS
                                       : static_cast<DWORD>(std::strtoul(csFields[7].c_str(), nullptr, 10)) * 1000;

    std::string csRepairArg;
    if (ISRepairWA(csProgram.c_str(), csRepairArg))
        csCmdline = csQuoted + csRepairArg;

    if (dwFlags & INSTALL_APP_WAIT_FOR_AUDIO)
    {
        if (!KINIAudio::WaitUntilNorvalisAudioDeviceRunning(dwWait))
        {
            TraceLine("ERROR : no audio device, %s not started\n", csProgram.c_str());
            return;
        }
        Sleep(AFTER_AUDIO_PAUSE_MS);
    }
    if (!StartAnApp(csCmdline.c_str(), dwFlags) || !CheckAppInstallStatus(csProgram.c_str(), csCmdline.c_str()))
        return;
    if (!(dwFlags & INSTALL_APP_REGISTER_WITH_DEVICE) || csFields[4].empty())
        return;
    ISRemoveWA(csProgram.c_str());
    for (const char* pszRoot : {UNINSTALL_ROOT, UNINSTALL_ROOT_WOW64})
        SetupUninstallAppWithDevice(pszRoot, csFields[4], csFields[5], csFields[6], dwFlags);
}

BOOL KINIFile::StartAnApp(const char* pszCmdline, DWORD dwFlags)
{
    CTraceScope trace("KINIFile::StartAnApp");
    std::string csCmdline = pszCmdline ? pszCmdline : "";
    TraceLine("pszCmdline = %s, dwFlags = %d\n", csCmdline.c_str(), static_cast<int>(dwFlags));
    if (csCmdline.empty())
        return trace.Return(FALSE);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, csCmdline.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    {
        TraceLine("FAILED CreateProcess : GetLastError() = %d\n", static_cast<int>(GetLastError()));
        return trace.Return(FALSE);
    }
    if (!(dwFlags & INSTALL_APP_NO_WAIT))
        WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return trace.Return(TRUE);
}

BOOL KINIFile::CheckAppInstallStatus(const char* pszRootPath, const char* pszCmdline)
{
    CTraceScope trace("KINIFile::CheckAppInstallStatus");
    std::string csCode = "0";
    std::string csLog = ProgramFolder(m_inf.GetINFPath(), pszRootPath ? pszRootPath : "") + "SETUP.LOG";
    if (!GetSectionValue(csLog, "ResponseResult", "ResultCode", csCode))
    {
        std::string csSwitchFile = ResultFileFromSwitch(pszCmdline ? pszCmdline : "");
        if (!csSwitchFile.empty())
            GetSectionValue(csSwitchFile, "ResponseResult", "ResultCode", csCode);
    }
    TraceLine("KINIFile::CheckAppInstallStatus : szRessultCode = %s\n", csCode.c_str());
    return trace.Return(csCode == "0");
}

void KINIFile::SetupUninstallAppWithDevice(const char* pszRegUninstallPath, const std::string& csDisplayName,
                                           const std::string& csUninstallArgs, const std::string& csProcessName,
                                           DWORD dwFlags)
{
    CTraceScope trace("KINIFile::SetupUninstallAppWithDevice", "%s : %s", pszRegUninstallPath, csDisplayName.c_str());
    std::string csRoot = pszRegUninstallPath ? pszRegUninstallPath : "";
    for (const std::string& csSub : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, csRoot))
    {
        CRegistryKey entry(HKEY_LOCAL_MACHINE, csRoot + "\\" + csSub);
        std::string csName;
        if (!entry.ReadString("DisplayName", csName) || !EqualsNoCase(csName, csDisplayName))
            continue;
        if (!csUninstallArgs.empty())
        {
            std::string csUninstall;
            entry.ReadString("UninstallString", csUninstall);
            entry.WriteString("UninstallString", csUninstall + " " + csUninstallArgs);
        }
        if (!csProcessName.empty())
            entry.WriteString("ProcessName", csProcessName);
        entry.WriteString("CorrespondingDevice", m_szDriverPath);
        if (dwFlags & INSTALL_APP_HIDE_ARP_ENTRY)
            entry.DeleteValue("DisplayName");
    }
}

BOOL KINIFile::UninstallAppsInstalledByINIFile(const char* pszRegUninstallPath, DWORD* pdwFlags)
{
    CTraceScope trace("KINIFile::UninstallAppsInstalledByINIFile");
    std::string csRoot = pszRegUninstallPath ? pszRegUninstallPath : "";
    BOOL bRetVal = FALSE;
    if (m_szDriverPath.empty())
        return trace.Return(FALSE);
    for (const std::string& csSub : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, csRoot))
    {
        CRegistryKey entry(HKEY_LOCAL_MACHINE, csRoot + "\\" + csSub);
        std::string csDevice;
        std::string csUninstall;
        if (!entry.ReadString("CorrespondingDevice", csDevice) || !EqualsNoCase(csDevice, m_szDriverPath))
            continue;
        TraceLine("CorrespondingDevice = %s\n", csDevice.c_str());
        if (!entry.ReadString("UninstallString", csUninstall) || csUninstall.empty() ||
            csUninstall.size() > MAX_UNINSTALL_STRING_CHARS)
            continue;
        TraceLine("UninstallString = %s\n", csUninstall.c_str());
        std::string csValue;
        if (entry.ReadString("DisplayName", csValue) && pdwFlags)
            *pdwFlags |= INI_FLAG_APP_HAD_ARP_ENTRY;
        if (entry.ReadString("ProcessName", csValue) && !csValue.empty())
            KillThisGuy(csValue);
        if (StartAnApp(csUninstall.c_str(), 0))
        {
            entry.DeleteKey();
            bRetVal = TRUE;
        }
    }
    return trace.Return(bRetVal);
}

BOOL KINIFile::ISWAIsFileExist(const char* pszFileNamePath)
{
    return pszFileNamePath && GetFileAttributesA(pszFileNamePath) != INVALID_FILE_ATTRIBUTES;
}

BOOL KINIFile::ISRepairWA(const char* pszRootPath, std::string& csCmdArg)
{
    std::string csFolder = ProgramFolder(m_inf.GetINFPath(), pszRootPath ? pszRootPath : "");
    std::string csInfo = InstallShieldInfoFolder(csFolder);
    if (csInfo.empty() || !ISWAIsFileExist(csInfo.c_str()))
        return FALSE;
    for (const char* pszName : {"SetupRepair.iss", "SetupRepare.iss"})
    {
        std::string csResponse = csFolder + pszName;
        if (ISWAIsFileExist(csResponse.c_str()))
        {
            csCmdArg = Format(" /F1%c%s%c", '"', csResponse.c_str(), '"');
            TraceLine("pszCmdArg = %s\n", csCmdArg.c_str());
            return TRUE;
        }
    }
    return FALSE;
}

void KINIFile::ISRemoveWA(const char* pszRootPath)
{
    std::string csFolder = ProgramFolder(m_inf.GetINFPath(), pszRootPath ? pszRootPath : "");
    std::string csInfo = InstallShieldInfoFolder(csFolder);
    if (csInfo.empty())
        return;
    for (const char* pszName : {"SetupRemove.iss", "Uninstsetup.iss"})
    {
        std::string csResponse = csFolder + pszName;
        if (ISWAIsFileExist(csResponse.c_str()))
        {
            CopyFileA(csResponse.c_str(), (csInfo + "\\Setup.iss").c_str(), FALSE);
            return;
        }
    }
}
