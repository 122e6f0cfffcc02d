// Device INI install: reading an INI's layout and flags, applying it to the device, undoing it later.
#include "config/KINIFile.h"

#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "common/IniFlags.h"
#include "common/PlatformInfo.h"
#include "platform/StringUtil.h"

namespace
{

const DWORD DEVICE_STATE_POLLS = 5;
const DWORD DEVICE_STATE_POLL_MS = 1000;
const size_t MAX_INI_FILES = 500;

bool IsOpenKey(HKEY hKey)
{
    return hKey && hKey != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
}

} // namespace

KINIFile::KINIFile() = default;

KINIFile::~KINIFile() = default;

BOOL KINIFile::CheckIfValidINIFile(DWORD, const char*)
{
    return FALSE;
}

BOOL KINIFile::Initialize(const char* pszDeviceID)
{
    CTraceScope trace("KINIFile::Initialize");
    TraceLine("KINIFile::Initialize : pszDeviceID = %s\n", pszDeviceID ? pszDeviceID : "");
    m_bInitialized = TRUE;
    m_szDriverPath.clear();
    m_devNode.Initialize(pszDeviceID, TRUE);
    m_modemInfo.Bind(&m_devNode);

    char szText[MAX_PATH] = {0};
    DWORD dwSize = MAX_PATH - 1;
    if (m_devNode.GetDeviceRegistryProperty(SPDRP_DRIVER, reinterpret_cast<BYTE*>(szText), &dwSize))
        m_szDriverPath = szText;
    char szClass[MAX_PATH] = {0};
    dwSize = MAX_PATH - 1;
    if (m_devNode.GetDeviceRegistryProperty(SPDRP_CLASS, reinterpret_cast<BYTE*>(szClass), &dwSize))
        m_ClassType = EqualsNoCase(szClass, "MODEM") ? INI_CLASS_MODEM : INI_CLASS_OTHER;
    TraceLine("m_szDriverPath = %s, m_ClassType = %d\n", m_szDriverPath.c_str(), static_cast<int>(m_ClassType));
    return trace.Return(m_devNode.IsBound());
}

BOOL KINIFile::GetInstallSection(std::string& csInstallSection)
{
    char szInstanceId[MAX_PATH] = {0};
    if (!m_devNode.GetDeviceInstanceId(szInstanceId))
        return FALSE;
    return m_inf.GetInstallSectionForID(szInstanceId, csInstallSection);
}

std::string KINIFile::ApplicationSection(const std::string& csInstallSection) const
{
    return EqualsNoCase(csInstallSection, "TASKS") ? std::string("InstallApp") : csInstallSection + ".InstallApp";
}

void KINIFile::ReadFlagsSection(const std::string& csInstallSection, DWORD* pdwFlags)
{
    std::string csFlagsSection =
        EqualsNoCase(csInstallSection, "TASKS") ? std::string("FLAGS") : csInstallSection + ".FLAGS";
    struct FlagKey
    {
        const char* pszKey;
        DWORD dwFlag;
        bool bModemOnly;
    };
    static const FlagKey FLAG_KEYS[] = {
        {"REBOOT", INI_FLAG_REBOOT, false},
        {"SAVE_INI", INI_FLAG_SAVE_INI, false},
        {"RESET_DEVICE", INI_FLAG_RESET_DEVICE, false},
        {"PREINSTALL_FLAG", INI_FLAG_PREINSTALL, false},
        {"CTY_PARMS", INI_FLAG_CTY_PARMS, true},
        {"OVERRIDE_DVEMODEM", INI_FLAG_OVERRIDE_DVEMODEM, true},
    };
    for (const FlagKey& key : FLAG_KEYS)
    {
        std::string csValue;
        if (key.bModemOnly && m_ClassType != INI_CLASS_MODEM)
            continue;
        if (m_inf.GetKeyValue(csFlagsSection.c_str(), key.pszKey, csValue, 1) && EqualsNoCase(Trim(csValue), "1"))
            *pdwFlags |= key.dwFlag;
    }
    m_szForceComPort.clear();
    std::string csPort;
    if (m_inf.GetKeyValue(csFlagsSection.c_str(), "FORCE_COMPORT", csPort, 0))
    {
        *pdwFlags |= INI_FLAG_FORCE_COMPORT;
        if (m_inf.GetKeyValue(csFlagsSection.c_str(), "FORCE_COMPORT", csPort, 1))
            m_szForceComPort = csPort;
    }
}

void KINIFile::ReadRegistryTests(const std::string& csInstallSection, DWORD* pdwFlags)
{
    CAddRegList addReg;
    m_inf.GetRegEntries(csInstallSection, "HKR", CInf::REG_ENTRIES_ADDREG, addReg);
    for (const ADD_REG_INFO& info : addReg)
    {
        // An empty field reads as "EMPTY".
        if (EqualsNoCase(info.kRegKey, "EMPTY") && EqualsNoCase(info.kValueName, "DriverDesc"))
            *pdwFlags |= INI_FLAG_DRIVER_DESC_ADDREG;
    }
    if (m_ClassType != INI_CLASS_MODEM)
        return;
    CAddRegList delReg;
    m_inf.GetRegEntries(csInstallSection, "HKR", CInf::REG_ENTRIES_DELREG, delReg);
    for (const ADD_REG_INFO& info : delReg)
    {
        if (EqualsNoCase(info.kRegKey, "WaveDriver"))
            *pdwFlags |= INI_FLAG_WAVE_DRIVER_DELREG;
    }
}

BOOL KINIFile::GetINIInfo(std::string& csInstallSection, DWORD* pdwFlags)
{
    CTraceScope trace("KINIFile::GetINIInfo");
    if (!pdwFlags)
        return trace.Return(FALSE);
    std::string csKey;
    if (!m_inf.GetKeyValue("Version", "DEVTYPE_INI_FILE", csKey, 0))
    {
        if (!m_inf.GetKeyValue("Version", "DEVTYPE_DVX_INI_FILE", csKey, 0))
        {
            TraceLine("ERROR : %s is not a device INI\n", m_inf.GetINFFileName().c_str());
            return trace.Return(FALSE);
        }
        *pdwFlags |= INI_FLAG_DVX_INI_FILE;
    }
    if (!GetInstallSection(csInstallSection))
        csInstallSection = "TASKS";
    ReadFlagsSection(csInstallSection, pdwFlags);
    ReadRegistryTests(csInstallSection, pdwFlags);
    std::string csApp;
    if (m_inf.GetKeyValue(ApplicationSection(csInstallSection).c_str(), "InstallApp", csApp, 0))
        *pdwFlags |= INI_FLAG_INSTALL_APP;
    TraceLine("pszInstallSection = %s, pdwFlags = %d\n", csInstallSection.c_str(), static_cast<int>(*pdwFlags));
    return trace.Return(TRUE);
}

BOOL KINIFile::ProcessINIFile(const char* pszInstallSection)
{
    CTraceScope trace("KINIFile::ProcessINIFile");
    HKEY hKey = m_devNode.RegOpenClassDeviceKey();
    if (!IsOpenKey(hKey))
    {
        TraceLine("ERROR : the device has no driver key\n");
        return trace.Return(FALSE);
    }
    BOOL bRetVal = m_inf.InstallINFSection(pszInstallSection, hKey);
    m_devNode.CloseClassDeviceKey();
    return trace.Return(bRetVal);
}

int KINIFile::InstallSingleINIFile(const char* pszINIFileName, BOOL* pbRestart, BOOL bWithApps)
{
    if (!m_bInitialized)
        return INI_INSTALL_NOT_DONE;
    std::string csFile = pszINIFileName ? pszINIFileName : "";
    CTraceScope trace("KINIFile::InstallSingleINIFile", "pszINIFileName = %s", csFile.c_str());
    if (!m_inf.Initialize(csFile.c_str()))
    {
        TraceLine("ERROR : cannot open %s, GetLastError() = %d\n", csFile.c_str(),
                  static_cast<int>(m_inf.GetOpenError()));
        return INI_INSTALL_NOT_DONE;
    }
    DWORD dwFlags = 0;
    std::string csSection;
    if (!GetINIInfo(csSection, &dwFlags) || !CheckIfValidINIFile(dwFlags, csFile.c_str()))
    {
        m_inf.CloseINF();
        trace.Return(FALSE);
        return INI_INSTALL_NOT_DONE;
    }

    m_modemInfo.ResetModemPort(dwFlags);
    BOOL bDeviceReset = EnableDisableDevice(dwFlags, FALSE);
    m_modemInfo.RememberDescription(dwFlags);
    m_modemInfo.RememberWaveID(dwFlags);

    int nRetVal = INI_INSTALL_NOT_DONE;
    CStringList createdKeys = FindKeysToBeCreated(csSection);
    if (ProcessINIFile(csSection.c_str()))
    {
        nRetVal = INI_INSTALL_DONE;
        SetupForUninstall(csFile.c_str(), csSection.c_str());
        RecordCreatedKeys(csFile, createdKeys);
        if (bWithApps)
            InstallDefinedApps(csSection.c_str());
    }
    BOOL bRestart = m_modemInfo.CompareDescription(dwFlags);
    m_modemInfo.CheckWaveDevice(dwFlags);
    if (bDeviceReset)
        EnableDisableDevice(dwFlags, TRUE);
    m_inf.CloseINF();
    if (pbRestart)
        *pbRestart = bRestart || (dwFlags & INI_FLAG_REBOOT);
    trace.Return(nRetVal == INI_INSTALL_DONE);
    return nRetVal;
}

BOOL KINIFile::LocateINIFileNames(const char* pszInstallPath, CStringList& list)
{
    CTraceScope trace("KINIFile::LocateINIFileNames");
    std::string csFolder = pszInstallPath ? pszInstallPath : "";
    if (csFolder.empty())
        return trace.Return(FALSE);
    WIN32_FIND_DATAA data = {};
    HANDLE hFind = FindFirstFileA((csFolder + "\\*.INI").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return trace.Return(FALSE);
    do
    {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::string csFile = csFolder + "\\" + data.cFileName;
        TraceLine("szTestFile = %s\n", csFile.c_str());
        list.push_back(csFile);
    } while (list.size() < MAX_INI_FILES && FindNextFileA(hFind, &data));
    FindClose(hFind);
    return trace.Return(!list.empty());
}

BOOL KINIFile::InstallINIFiles(const char* pszINIPath, BOOL* pbRestart)
{
    if (!m_bInitialized)
        return FALSE;
    CTraceScope trace("KINIFile::InstallINIFiles");
    CStringList files;
    LocateINIFileNames(pszINIPath, files);
    BOOL bInstalled = FALSE;
    BOOL bRestart = FALSE;
    for (const std::string& csFile : files)
    {
        BOOL bOneRestart = FALSE;
        if (InstallSingleINIFile(csFile.c_str(), &bOneRestart, FALSE) == INI_INSTALL_DONE)
            bInstalled = TRUE;
        bRestart = bRestart || bOneRestart;
    }
    // Applications start only once every INI of the folder is in.
    if (bInstalled)
    {
        for (const std::string& csFile : files)
            DoInstallAppSectionOnly(csFile.c_str());
    }
    if (pbRestart)
        *pbRestart = bRestart;
    return trace.Return(bInstalled);
}

int KINIFile::DoInstallAppSectionOnly(const char* pszINIFileName)
{
    if (!m_bInitialized)
        return INI_INSTALL_NOT_DONE;
    CTraceScope trace("KINIFile::DoInstallAppSectionOnly");
    DWORD dwFlags = 0;
    std::string csSection;
    if (!m_inf.Initialize(pszINIFileName) || !GetINIInfo(csSection, &dwFlags) ||
        !CheckIfValidINIFile(dwFlags, pszINIFileName))
    {
        m_inf.CloseINF();
        trace.Return(FALSE);
        return INI_INSTALL_NOT_DONE;
    }
    InstallDefinedApps(csSection.c_str());
    m_inf.CloseINF();
    trace.Return(TRUE);
    return INI_INSTALL_DONE;
}

BOOL KINIFile::EnableDisableDevice(DWORD dwFlags, BOOL bEnableFlag)
{
    if (m_bDeviceReset)
        return TRUE;
    if (!(dwFlags & INI_FLAG_RESET_DEVICE))
        return FALSE;
    CTraceScope trace("KINIFile::EnableDisableDevice", "bEnableFlag = %d", bEnableFlag);
    if (!m_devNode.ChangeState(bEnableFlag))
        return trace.Return(FALSE);
    for (DWORD dwPoll = 0; dwPoll < DEVICE_STATE_POLLS && !m_devNode.CheckDeviceState(bEnableFlag); ++dwPoll)
        Sleep(DEVICE_STATE_POLL_MS);
    Sleep(DEVICE_STATE_POLL_MS);
    if (bEnableFlag)
        m_bDeviceReset = TRUE;
    return trace.Return(TRUE);
}

std::string KINIFile::GetSavedINIFolder() const
{
    std::string csTemp;
    // Without a driver key the folder would be the temporary folder itself.
    if (m_szDriverPath.empty() || !GetWindowsTempFolder(csTemp, FALSE))
        return std::string();
    std::string csName;
    for (char c : m_szDriverPath)
    {
        if (c != '\\')
            csName += c;
    }
    return csTemp + csName;
}
