#include "CSoftwareDeviceInstaller.h"

#include <cstring>

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "devapi/CScopedDevInfo.h"
#include "inf/CInf.h"
#include "platform/CRegistryKey.h"
#include "platform/StringUtil.h"
#include "common/TimedPause.h"

namespace
{

const char* const SYSTEM_CLASS_GUID = "{4d36e97d-e325-11ce-bfc1-08002be10318}";
const char* const WIN9X_CLASS_KEY = "System\\CurrentControlSet\\Services\\Class\\";
const DWORD WIN9X_MAX_DRIVER_KEYS = 10000;

// "ROOT\SYSTEM\0000" -> "SYSTEM": the part between the enumerator and the instance number.
std::string DevicePartOf(const std::string& csInstanceID)
{
    size_t nFirst = csInstanceID.find('\\');
    size_t nLast = csInstanceID.rfind('\\');
    if (nFirst == std::string::npos || nLast == nFirst)
        return std::string();
    return csInstanceID.substr(nFirst + 1, nLast - nFirst - 1);
}

} // namespace

std::string CSoftwareDeviceInstaller::ReadDriverValue(const SOFTWARE_DEVICE& device)
{
    CInf inf;
    if (!inf.Initialize(device.csINFFileName.c_str()))
        return std::string();
    CAddRegList list;
    inf.GetAddRegList(device.csDeviceID, "HKR", list);
    for (const ADD_REG_INFO& entry : list)
    {
        if (EqualsNoCase(entry.kValueName, "NTMPDRIVER"))
            return entry.kValueData;
    }
    return std::string();
}

BOOL CSoftwareDeviceInstaller::InstallSoftwareDevices(std::vector<SOFTWARE_DEVICE>& devices)
{
    CTraceScope trace("CSoftwareDeviceInstaller::InstallSoftwareDevices");
    BOOL bAll = TRUE;
    for (SOFTWARE_DEVICE& device : devices)
    {
        device.csDriverValue = ReadDriverValue(device);
        if (InstallRootDevice(device))
            PauseOnEvent(nullptr, DEVICE_PAUSE_MS);
        else
            bAll = FALSE;
    }
    return trace.Return(bAll);
}

BOOL CSoftwareDeviceInstaller::InstallRootDevice(const SOFTWARE_DEVICE& device)
{
    CTraceScope trace("CSoftwareDeviceInstaller::InstallRootDevice");
    TraceLine("csDeviceID = %s, csDeviceDesc = %s\n", device.csDeviceID.c_str(), device.csDeviceDesc.c_str());
    KDeviceApi* pApi = GetDeviceApi();
    if (!pApi)
        return trace.Return(FALSE);
    GUID classGuid = {};
    DWORD dwRequired = 0;
    if (!pApi->KSetupDiClassGuidsFromName("SYSTEM", &classGuid, 1, &dwRequired))
        return trace.Return(FALSE);
    CScopedDevInfo hDevInfo(pApi->KSetupDiCreateDeviceInfoList(&classGuid, nullptr));
    if (!hDevInfo.IsValid())
        return trace.Return(FALSE);

    SP_DEVINFO_DATA devInfo = {};
    devInfo.cbSize = sizeof(devInfo);
    BOOL bCreated = FALSE;
    if (IsNTPlatform())
    {
        bCreated = pApi->KSetupDiCreateDeviceInfo(hDevInfo.Get(), device.csDeviceID.c_str(), &classGuid,
                                                  device.csDeviceDesc.c_str(), nullptr,
                                                  DICD_GENERATE_ID | DICD_INHERIT_CLASSDRVS, &devInfo);
        // The review finds devices by hardware ID: a created device gets the ID its INF model names, and
        // the bare device ID.
        if (bCreated)
        {
            std::string csMultiSz = "ROOT\\" + device.csDeviceID;
            csMultiSz.push_back('\0');
            csMultiSz += device.csDeviceID;
            csMultiSz.append(2, '\0');
            bCreated = pApi->KSetupDiSetDeviceRegistryProperty(hDevInfo.Get(), &devInfo, SPDRP_HARDWAREID,
                                                               reinterpret_cast<const BYTE*>(csMultiSz.data()),
                                                               static_cast<DWORD>(csMultiSz.size()));
        }
    }
    else if (RegisterWin9xRootDevice(device))
        bCreated = pApi->KSetupDiOpenDeviceInfo(hDevInfo.Get(), ("Root\\" + device.csDeviceID + "\\0000").c_str(),
                                                nullptr, DIOD_INHERIT_CLASSDRVS, &devInfo);
    if (!bCreated)
    {
        TraceLine("FAILED to create the device : GetLastError() = %X\n", static_cast<unsigned>(GetLastError()));
        return trace.Return(FALSE);
    }

    SP_DEVINSTALL_PARAMS_A params = {};
    params.cbSize = sizeof(params);
    if (!pApi->KSetupDiGetDeviceInstallParams(hDevInfo.Get(), &devInfo, &params))
        return trace.Return(FALSE);
    params.Flags = DI_ENUMSINGLEINF;
    FormatBounded(params.DriverPath, sizeof(params.DriverPath), "%s", device.csINFFileName.c_str());
    if (!pApi->KSetupDiSetDeviceInstallParams(hDevInfo.Get(), &devInfo, &params) ||
        !pApi->KSetupDiBuildDriverInfoList(hDevInfo.Get(), &devInfo, SPDIT_CLASSDRIVER))
        return trace.Return(FALSE);

    BOOL bRetVal = FALSE;
    SP_DRVINFO_DATA_A driver = {};
    driver.cbSize = sizeof(driver);
    for (DWORD dwIndex = 0; pApi->KSetupDiEnumDriverInfo(hDevInfo.Get(), &devInfo, SPDIT_CLASSDRIVER, dwIndex, &driver);
         ++dwIndex)
    {
        if (!EqualsNoCase(driver.Description, device.csDeviceDesc))
            continue;
        bRetVal = pApi->KSetupDiGetDeviceInstallParams(hDevInfo.Get(), &devInfo, &params);
        if (bRetVal)
        {
            params.Flags |= DI_QUIETINSTALL;
            bRetVal = pApi->KSetupDiSetDeviceInstallParams(hDevInfo.Get(), &devInfo, &params) &&
                      pApi->KSetupDiSetSelectedDevice(hDevInfo.Get(), &devInfo) &&
                      pApi->KSetupDiSetSelectedDriver(hDevInfo.Get(), &devInfo, &driver) &&
                      pApi->KSetupDiRegisterDeviceInfo(hDevInfo.Get(), &devInfo, 0, nullptr, nullptr, nullptr) &&
                      pApi->KSetupDiCallClassInstaller(DIF_INSTALLDEVICE, hDevInfo.Get(), &devInfo);
        }
        if (!bRetVal)
            TraceLine("FAILED to install the root device : GetLastError() = %X\n",
                      static_cast<unsigned>(GetLastError()));
        break;
    }
    pApi->KSetupDiDestroyDriverInfoList(hDevInfo.Get(), &devInfo, SPDIT_CLASSDRIVER);
    return trace.Return(bRetVal);
}

BOOL CSoftwareDeviceInstaller::RemoveRootDevice(const std::string& csDeviceID)
{
    CTraceScope trace("CSoftwareDeviceInstaller::RemoveRootDevice");
    KDeviceApi* pApi = GetDeviceApi();
    GUID classGuid = {};
    DWORD dwRequired = 0;
    if (!pApi || !pApi->KSetupDiClassGuidsFromName("SYSTEM", &classGuid, 1, &dwRequired))
        return trace.Return(FALSE);
    CScopedDevInfo hDevInfo(pApi->KSetupDiGetClassDevs(&classGuid, nullptr, nullptr, DIGCF_PRESENT));
    if (!hDevInfo.IsValid())
        return trace.Return(FALSE);
    BOOL bRetVal = FALSE;
    SP_DEVINFO_DATA devInfo = {};
    devInfo.cbSize = sizeof(devInfo);
    for (DWORD dwIndex = 0; pApi->KSetupDiEnumDeviceInfo(hDevInfo.Get(), dwIndex, &devInfo); ++dwIndex)
    {
        char szInstanceID[MAX_PATH] = {0};
        if (!pApi->KSetupDiGetDeviceInstanceId(hDevInfo.Get(), &devInfo, szInstanceID, MAX_PATH, nullptr) ||
            !EqualsNoCase(DevicePartOf(szInstanceID), csDeviceID))
            continue;
        TraceLine("Removing %s\n", szInstanceID);
        if (!pApi->KSetupDiSetSelectedDevice(hDevInfo.Get(), &devInfo) ||
            !pApi->KSetupDiRegisterDeviceInfo(hDevInfo.Get(), &devInfo, 0, nullptr, nullptr, nullptr) ||
            !pApi->KSetupDiCallClassInstaller(DIF_REMOVE, hDevInfo.Get(), &devInfo))
        {
            TraceLine("FAILED to remove %s : GetLastError() = %X\n", szInstanceID,
                      static_cast<unsigned>(GetLastError()));
            continue;
        }
        // The removal usually takes the keys with it; what is left goes here.
        if (!pApi->KSetupDiDeleteDevRegKey(hDevInfo.Get(), &devInfo, DICS_FLAG_GLOBAL, 0, DIREG_BOTH))
            TraceLine("KSetupDiDeleteDevRegKey : GetLastError() = %X\n", static_cast<unsigned>(GetLastError()));
        bRetVal = TRUE;
    }
    return trace.Return(bRetVal);
}

BOOL CSoftwareDeviceInstaller::RegisterWin9xRootDevice(const SOFTWARE_DEVICE& device)
{
    CTraceScope trace("CSoftwareDeviceInstaller::RegisterWin9xRootDevice");
    // The first free driver key "System\NNNN".
    std::string csDriver;
    for (DWORD n = 0; n < WIN9X_MAX_DRIVER_KEYS && csDriver.empty(); ++n)
    {
        std::string csCandidate = Format("System\\%04X", static_cast<unsigned>(n));
        if (!CRegistryKey(HKEY_LOCAL_MACHINE, WIN9X_CLASS_KEY + csCandidate).Exists())
            csDriver = csCandidate;
    }
    if (csDriver.empty())
        return trace.Return(FALSE);

    CRegistryKey deviceKey(HKEY_LOCAL_MACHINE, "Enum\\Root\\" + device.csDeviceID + "\\0000");
    CRegistryKey driverKey(HKEY_LOCAL_MACHINE, WIN9X_CLASS_KEY + csDriver);
    const DWORD dwZero = 0;
    std::string csInfName = device.csINFFileName.substr(device.csINFFileName.rfind('\\') + 1);
    BOOL bRetVal =
        deviceKey.Create() && driverKey.Create() && deviceKey.WriteBinary("Capabilities", &dwZero, sizeof(dwZero)) &&
        deviceKey.WriteBinary("ConfigFlags", &dwZero, sizeof(dwZero)) && deviceKey.WriteString("Class", "System") &&
        deviceKey.WriteString("ClassGUID", SYSTEM_CLASS_GUID) &&
        deviceKey.WriteString("DeviceDesc", device.csDeviceDesc) &&
        deviceKey.WriteString("HardwareID", device.csDeviceID) && deviceKey.WriteString("Mfg", "") &&
        deviceKey.WriteString("Driver", csDriver) && driverKey.WriteString("DevLoader", "*NTKERN") &&
        driverKey.WriteString("Class", "System") && driverKey.WriteString("DriverDesc", device.csDeviceDesc) &&
        driverKey.WriteString("InfPath", csInfName) && driverKey.WriteString("InfSection", "") &&
        driverKey.WriteString("MatchingDeviceId", device.csDeviceID) &&
        driverKey.WriteString("NTMPDriver", device.csDriverValue) && driverKey.WriteString("ProviderName", "");
    return trace.Return(bRetVal);
}
