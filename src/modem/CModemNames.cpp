#include "modem/CModemNames.h"

#include <vector>

#include "common/CTraceScope.h"
#include "platform/CRegistryKey.h"
#include "platform/RegistrySubKeys.h"

namespace
{

const char* DEVICE_SPECIFIC = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Unimodem\\DeviceSpecific\\";
const char* TAPI_UNIMODEM = "SOFTWARE\\Microsoft\\Ras\\Tapi Devices\\Unimodem";
const char* UNINSTALL = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* SERVICES = "SYSTEM\\CurrentControlSet\\Services";
const char* ENUM_PCI = "System\\CurrentControlSet\\Enum\\PCI";
const DWORD VALUE_DATA_BYTES = 1000;
const DWORD KEY_GONE_CHECKS = 100;
const DWORD KEY_GONE_PAUSE_MS = 100;
const int MAX_MOVE_DEPTH = 32;

BOOL CopyValues(HKEY hSource, HKEY hTarget)
{
    BOOL bRetVal = TRUE;
    for (DWORD dwIndex = 0;; ++dwIndex)
    {
        char szName[MAX_PATH + 1] = {0};
        DWORD dwNameChars = MAX_PATH;
        BYTE data[VALUE_DATA_BYTES] = {0};
        DWORD dwDataBytes = VALUE_DATA_BYTES;
        DWORD dwType = 0;
        LONG lResult = RegEnumValueA(hSource, dwIndex, szName, &dwNameChars, nullptr, &dwType, data, &dwDataBytes);
        if (lResult == ERROR_NO_MORE_ITEMS)
            break;
        if (lResult != ERROR_SUCCESS)
        {
            bRetVal = FALSE;
            continue;
        }
        if (RegSetValueExA(hTarget, szName, 0, dwType, data, dwDataBytes) != ERROR_SUCCESS)
            bRetVal = FALSE;
    }
    return bRetVal;
}

BOOL CopyTree(const std::string& csSource, const std::string& csTarget, int nDepth)
{
    if (nDepth > MAX_MOVE_DEPTH)
        return FALSE;
    HKEY hSource = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, csSource.c_str(), 0, KEY_READ, &hSource) != ERROR_SUCCESS)
        return FALSE;
    HKEY hTarget = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, csTarget.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hTarget,
                        nullptr) != ERROR_SUCCESS)
    {
        RegCloseKey(hSource);
        return FALSE;
    }
    BOOL bRetVal = CopyValues(hSource, hTarget);
    RegCloseKey(hTarget);
    RegCloseKey(hSource);
    for (const std::string& csSub : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, csSource))
    {
        if (!CopyTree(csSource + "\\" + csSub, csTarget + "\\" + csSub, nDepth + 1))
            bRetVal = FALSE;
    }
    return bRetVal;
}

std::string ReadString(const std::string& csPath, const char* pszValue)
{
    std::string csValue;
    CRegistryKey(HKEY_LOCAL_MACHINE, csPath).ReadString(pszValue, csValue);
    return csValue;
}

} // namespace

BOOL CModemNames::MoveKey(const std::string& csSource, const std::string& csTarget)
{
    CTraceScope trace("CModemNames::MoveKey", "%s -> %s", csSource.c_str(), csTarget.c_str());
    if (csSource == csTarget || !CRegistryKey(HKEY_LOCAL_MACHINE, csSource).Exists())
        return trace.Return(FALSE);
    // The source goes only once every value and subkey has arrived.
    if (!CopyTree(csSource, csTarget, 0))
        return trace.Return(FALSE);
    CRegistryKey source(HKEY_LOCAL_MACHINE, csSource);
    source.DeleteKey();
    for (DWORD dwCheck = 0; dwCheck < KEY_GONE_CHECKS && source.Exists(); ++dwCheck)
        Sleep(KEY_GONE_PAUSE_MS);
    return trace.Return(!source.Exists());
}

std::string CModemNames::ReadDriverValue(const char* pszValue)
{
    char szValue[MAX_PATH] = {0};
    DWORD dwSize = MAX_PATH - 1;
    if (!m_devNode.ReadDriverKeyValue(pszValue, reinterpret_cast<BYTE*>(szValue), &dwSize))
        return std::string();
    szValue[MAX_PATH - 1] = '\0';
    return szValue;
}

void CModemNames::WriteDriverValue(const char* pszValue, const std::string& csData)
{
    m_devNode.WriteDriverKeyValue(pszValue, REG_SZ, reinterpret_cast<const BYTE*>(csData.c_str()),
                                  static_cast<DWORD>(csData.size() + 1));
}

void CModemNames::Refresh(const std::string& csNew, const std::string& csOld)
{
    CTraceScope trace("CModemNames::Refresh", "csNew = %s, csOld = %s", csNew.c_str(), csOld.c_str());
    char szWindows[MAX_PATH] = {0};
    if (GetWindowsDirectoryA(szWindows, MAX_PATH))
        WriteDriverValue("LoggingPath", std::string(szWindows) + "\\ModemLog_" + csNew + ".txt");

    std::string csManufacturer = ReadDriverValue("Manufacturer");
    std::string csProvider = ReadDriverValue("ProviderName");
    if (!csManufacturer.empty() && !csProvider.empty())
    {
        std::string csSuffix = "::" + csManufacturer + "::" + csProvider;
        WriteDriverValue("ResponsesKeyName", csNew + csSuffix);
        MoveKey(DEVICE_SPECIFIC + csOld + csSuffix, DEVICE_SPECIFIC + csNew + csSuffix);
    }

    CRegistryKey(HKEY_LOCAL_MACHINE, TAPI_UNIMODEM).WriteString("Friendly Name", csNew);

    for (const std::string& csSub : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, UNINSTALL))
    {
        CRegistryKey entry(HKEY_LOCAL_MACHINE, std::string(UNINSTALL) + "\\" + csSub);
        std::string csName;
        if (entry.ReadString("DisplayName", csName) && csName == csOld)
        {
            entry.WriteString("DisplayName", csNew);
            break;
        }
    }

    for (const std::string& csSub : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, SERVICES, 5000))
    {
        std::string csPath = std::string(SERVICES) + "\\" + csSub;
        if (ReadString(csPath, "DriverDesc") != csOld)
            continue;
        CRegistryKey service(HKEY_LOCAL_MACHINE, csPath);
        for (const char* pszValue : {"DriverDesc", "FriendlyName", "Model"})
            service.WriteString(pszValue, csNew);
        break;
    }

    // Device keys deny writes until their access list is reset, as on the platform.
    for (const std::string& csDevice : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, ENUM_PCI))
    {
        std::string csDevicePath = std::string(ENUM_PCI) + "\\" + csDevice;
        for (const std::string& csInstance : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, csDevicePath))
        {
            std::string csPath = csDevicePath + "\\" + csInstance;
            if (ReadString(csPath, "DeviceDesc") != csOld)
                continue;
            CRegistryKey::ResetAccess(HKEY_LOCAL_MACHINE, csPath);
            CRegistryKey device(HKEY_LOCAL_MACHINE, csPath);
            device.WriteString("DeviceDesc", csNew);
            device.WriteString("FriendlyName", csNew);
            return;
        }
    }
}
