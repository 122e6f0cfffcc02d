// Device INI files: small INF-syntax files that change an installed device after its driver is in place.
// Installs them for one device, keeps a reversed copy of each so that uninstall can undo it, and runs,
// registers and later uninstalls the companion applications they name.
#pragma once

#include <string>

#include "device/CDevNode.h"
#include "inf/CInf.h"
#include "modem/CModemInfo.h"
#include "platform/StringList.h"
#include "platform/win32.h"

class KINIFile
{
public:
    KINIFile();
    virtual ~KINIFile();
    KINIFile(const KINIFile&) = delete;
    KINIFile& operator=(const KINIFile&) = delete;

    // Binds the object to the present device with this hardware ID (or a piece of it).
    BOOL Initialize(const char* pszDeviceID);
    // For the open INI: its install section and the flags it asks for (OR-ed into *pdwFlags).
    BOOL GetINIInfo(std::string& csInstallSection, DWORD* pdwFlags);
    BOOL GetInstallSection(std::string& csInstallSection);
    BOOL ProcessINIFile(const char* pszInstallSection);
    // INI_INSTALL_DONE when installed, INI_INSTALL_NOT_DONE otherwise.
    int InstallSingleINIFile(const char* pszINIFileName, BOOL* pbRestart, BOOL bWithApps);
    BOOL InstallINIFiles(const char* pszINIPath, BOOL* pbRestart);
    int DoInstallAppSectionOnly(const char* pszINIFileName);
    // OR of the flags of the saved INIs, plus INI_FLAG_APP_HAD_ARP_ENTRY for an application with an entry.
    DWORD UninstallINIFiles();
    BOOL LocateINIFileNames(const char* pszInstallPath, CStringList& list);
    void SetupForUninstall(const char* pszINIFileName, const char* pszInstallSection);

    void InstallDefinedApps(const char* pszInstallSection);
    BOOL StartAnApp(const char* pszCmdline, DWORD dwFlags);
    BOOL CheckAppInstallStatus(const char* pszRootPath, const char* pszCmdline);
    void SetupUninstallAppWithDevice(const char* pszRegUninstallPath, const std::string& csDisplayName,
                                     const std::string& csUninstallArgs, const std::string& csProcessName,
                                     DWORD dwFlags);
    BOOL UninstallAppsInstalledByINIFile(const char* pszRegUninstallPath, DWORD* pdwFlags);
    BOOL ISRepairWA(const char* pszRootPath, std::string& csCmdArg);
    void ISRemoveWA(const char* pszRootPath);
    BOOL ISWAIsFileExist(const char* pszFileNamePath);
    BOOL EnableDisableDevice(DWORD dwFlags, BOOL bEnableFlag);

    // Whether this object accepts the INI; a plain KINIFile accepts none.
    virtual BOOL CheckIfValidINIFile(DWORD dwFlags, const char* pszINIFileName);

    const std::string& GetDriverPath() const { return m_szDriverPath; }
    DWORD GetClassType() const { return m_ClassType; }
    const std::string& GetForceComPort() const { return m_szForceComPort; }
    // Where the reversed copies of the device's INIs are kept.
    std::string GetSavedINIFolder() const;

protected:
    CModemInfo m_modemInfo;
    CDevNode m_devNode;
    CInf m_inf;
    BOOL m_bInitialized = FALSE;
    BOOL m_bDeviceReset = FALSE;
    std::string m_szDriverPath;
    DWORD m_ClassType = 0;
    std::string m_szForceComPort;

private:
    void ReadFlagsSection(const std::string& csInstallSection, DWORD* pdwFlags);
    void ReadRegistryTests(const std::string& csInstallSection, DWORD* pdwFlags);
    // The registry keys the install section's AddReg lines name that do not exist yet.
    CStringList FindKeysToBeCreated(const std::string& csInstallSection);
    void RecordCreatedKeys(const std::string& csSavedCopy, const CStringList& keys);
    void DeleteRecordedKeys(const std::string& csSavedCopy);
    std::string ApplicationSection(const std::string& csInstallSection) const;
    void InstallOneApp(const std::string& csAppSection, int nOccurrence);
};
