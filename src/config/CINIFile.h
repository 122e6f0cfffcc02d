// The package's configuration INIs beside Setup.exe: extra switches, INI-based setup parameters, device
// sections with install folders, cabinets, country files and companion applications. Installs and
// uninstalls device INIs through its base, accepting only the package's own INIs.
#pragma once

#include <string>

#include "common/SetupParms.h"
#include "config/DeviceIniInstallData.h"
#include "config/KINIFile.h"
#include "platform/StringList.h"
#include "platform/win32.h"

class CINIFile : public KINIFile
{
public:
    // Searches the running program's folder.
    CINIFile();
    // Searches pszINIPath when it is not empty.
    explicit CINIFile(const char* pszINIPath);

    void GetDVXSetupCfgParms(std::string& csCmdLine, SETUP_PARMS* pSetupParms);
    void GetFileCfgParms(SETUP_PARMS* pSetupParms);
    // Gives the path of a numbered copy of the INI that holds device sections; the caller hands it to
    // GetDeviceSpecificInstallInfo for each candidate and deletes it with DeleteNumberedCopy.
    BOOL GetDefinedDeviceIDS(CStringList& deviceIDs, std::string& csINIFileName);
    // The numbered copy is deleted once a candidate matched; after a last candidate that did not match, the
    // caller deletes it.
    BOOL GetDeviceSpecificInstallInfo(std::string& csINIFileName, const std::string& csDeviceID,
                                      SETUP_PARMS* pSetupParms, DEVICE_INI_INSTALL_DATA* pData);
    static void DeleteNumberedCopy(const std::string& csINIFileName);
    BOOL GetOemStyleInstallPath(std::string& csInstallPath);
    BOOL GetOSInstallPath(std::string& csInstallPath);
    BOOL IsOemSytleINIFileExist();
    void SetupOSTag(const char* pszPrefix, const char* pszSeparator, std::string& csResult) const;

    BOOL CheckIfValidINIFile(DWORD dwFlags, const char* pszINIFileName) override;
    BOOL InstallSingleINIFile(const char* pszDeviceID, const char* pszINIFileName, DWORD* pdwINIFlags);
    BOOL InstallINIFiles(const char* pszDeviceID, const char* pszINIPath);
    BOOL InstallMiscINIFiles(DEVICE_INI_INSTALL_DATA* pData);
    DWORD UninstallINIFiles(const char* pszDeviceID);
    void DoUninstallStringWA(const std::string& csDeviceID);

    // Numbers the repeated [DEVICE] headers of a configuration INI in a copy in the temporary folder.
    BOOL FixINIFileWA1(std::string& csINIFileName);
    BOOL SetupHomolFile(DEVICE_INI_INSTALL_DATA* pData);
    BOOL SetupInstallAppFile(DEVICE_INI_INSTALL_DATA* pData);

    const std::string& GetINIPath() const { return m_szINIPath; }
    void SetINIFlags(DWORD dwFlags) { m_dwINIFlags = dwFlags; }

private:
    // Full upper-case paths of the "*.INI" files of m_szINIPath, in search order.
    CStringList FindConfigINIs() const;
    void ReadDeviceSection(const std::string& csINIFileName, const std::string& csSection,
                           DEVICE_INI_INSTALL_DATA* pData);
    // A fresh "<temp>\SETUP<time>\<name>" path whose folders exist.
    static std::string MakeGeneratedFilePath(const std::string& csName);
    static void DeleteGeneratedFile(const std::string& csPath);

    DWORD m_nOSType = 0;
    std::string m_szINIPath;
    DWORD m_dwINIFlags = 0;
    SETUP_PARMS* m_pSetupParms = nullptr;
};
