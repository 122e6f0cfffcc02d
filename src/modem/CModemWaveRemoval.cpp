#include "modem/CModemWaveRemoval.h"

#include "common/CTraceScope.h"
#include "platform/CRegistryKey.h"
#include "platform/RegistrySubKeys.h"
#include "platform/StringUtil.h"

namespace
{

const char* ENUM_MODEM_WAVE = "System\\CurrentControlSet\\Enum\\MODEMWAVE";
const char* CLASS = "System\\CurrentControlSet\\Control\\Class\\";

// The first ID of a HardwareID value (a multi-string on NT, a plain string on Windows 9x).
std::string ReadFirstHardwareID(const std::string& csPath)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, csPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return std::string();
    char szValue[MAX_PATH + 2] = {0};
    DWORD dwSize = MAX_PATH;
    LONG lResult = RegQueryValueExA(hKey, "HardwareID", nullptr, nullptr, reinterpret_cast<BYTE*>(szValue), &dwSize);
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS ? std::string(szValue) : std::string();
}

} // namespace

BOOL CModemWaveRemoval::Remove(const std::string& csWaveID)
{
    CTraceScope trace("CModemWaveRemoval::Remove", "csWaveID = %s", csWaveID.c_str());
    for (const std::string& csDevice : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, ENUM_MODEM_WAVE))
    {
        std::string csDevicePath = std::string(ENUM_MODEM_WAVE) + "\\" + csDevice;
        for (const std::string& csInstance : GetRegSubKeyNames(HKEY_LOCAL_MACHINE, csDevicePath))
        {
            std::string csPath = csDevicePath + "\\" + csInstance;
            if (!EqualsNoCase(ReadFirstHardwareID(csPath), csWaveID))
                continue;
            std::string csDriver;
            CRegistryKey(HKEY_LOCAL_MACHINE, csPath).ReadString("Driver", csDriver);
            csDriver = Trim(csDriver);
            TraceLine("Driver = %s\n", csDriver.c_str());
            // Without a class key name the path would be the whole Class key.
            if (csDriver.empty() || csDriver.find('\\') == std::string::npos)
            {
                TraceLine("ERROR : the wave device has no driver key, nothing removed\n");
                return trace.Return(FALSE);
            }
            BOOL bDevice = CRegistryKey(HKEY_LOCAL_MACHINE, csPath).DeleteKey(TRUE);
            BOOL bDriver = CRegistryKey(HKEY_LOCAL_MACHINE, CLASS + csDriver).DeleteKey(TRUE);
            return trace.Return(bDevice && bDriver);
        }
    }
    return trace.Return(FALSE);
}
