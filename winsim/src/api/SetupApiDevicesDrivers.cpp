// SETUPAPI: driver lists and driver installs on a device of a set, as a setup program installs the driver
// of a device it created: the device install parameters (DI_ENUMSINGLEINF with DriverPath names the one INF
// to search, else the INF folder), SetupDiBuildDriverInfoList (class drivers: every driver of the INFs for
// the device's class; compatible drivers: those matching its hardware or compatible IDs, best first),
// SetupDiEnumDriverInfoA, SetupDiSetSelectedDriverA, and the class installer's DIF_INSTALLDEVICE, which
// publishes the INF and installs the selected driver on the registered device (pnp/DriverInstaller.h).
// SetupDiDeleteDevRegKey deletes a device's driver or hardware key.
#include <strings.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceInfoSet.h"
#include "devices/DeviceSetAccess.h"
#include "devices/DeviceTree.h"
#include "faults/FaultPoint.h"
#include "pnp/DeviceDriverLists.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

namespace
{

constexpr const char* kMachinePrefix = "HKEY_LOCAL_MACHINE\\";
// The size of the first SP_DRVINFO_DATA, without DriverDate and DriverVersion.
constexpr DWORD kDriverInfoV1Size = offsetof(SP_DRVINFO_DATA_A, DriverDate);

// The element an SP_DEVINFO_DATA names; ERROR_INVALID_PARAMETER when it is none of the set's.
bool ElementOf(Runtime& rt, HDEVINFO handle, PSP_DEVINFO_DATA data, std::shared_ptr<DeviceInfoSet>& set,
               DeviceInfoSet::Element& element)
{
    set = DeviceInfoSet::FromHandle(rt, handle);
    if (!set)
        return false;
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA) || !set->Find(*data, element))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// The element whose driver list of the type (class or compatible drivers) a call works on.
bool DriverListElementOf(Runtime& rt, HDEVINFO handle, PSP_DEVINFO_DATA data, DWORD type,
                         std::shared_ptr<DeviceInfoSet>& set, DeviceInfoSet::Element& element)
{
    if (!ElementOf(rt, handle, data, set, element))
        return false;
    if (type != SPDIT_CLASSDRIVER && type != SPDIT_COMPATDRIVER)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

uint64_t KeyOf(HDEVINFO handle, PSP_DEVINFO_DATA data, const DeviceInfoSet::Element& element)
{
    return data ? element.id : DeviceDriverLists::SetKey(handle);
}

// The device as the driver search sees it: the IDs its key holds (a created device has what the program set).
DeviceRecord SearchRecord(Runtime& rt, const DeviceInfoSet::Element& element)
{
    Transaction txn(rt.GetMachine().GetStore());
    DeviceTree tree(rt);
    DeviceRecord device;
    if (!tree.Find(element.instance, device))
        device.instance = element.instance;
    tree.ReadIds(device);
    txn.Commit();
    return device;
}

FILETIME DateOf(uint64_t dateRank)
{
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(dateRank / 10000);
    time.wMonth = static_cast<WORD>(dateRank / 100 % 100);
    time.wDay = static_cast<WORD>(dateRank % 100);
    FILETIME file = {};
    if (dateRank)
        SystemTimeToFileTime(&time, &file);
    return file;
}

bool DeleteTree(HKEY parent, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    char name[MAX_PATH];
    for (;;)
    {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!DeleteTree(key, name))
            break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, path.c_str()) == ERROR_SUCCESS;
}

// The install parameters' owner (the set, or one device of it) after the checks Windows makes on the set,
// the device and the structure; false with the error set.
bool InstallParamsKey(Runtime& rt, HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                      PSP_DEVINSTALL_PARAMS_A DeviceInstallParams, uint64_t& key)
{
    std::shared_ptr<winsim::DeviceInfoSet> set;
    DeviceInfoSet::Element element;
    if (DeviceInfoData ? !ElementOf(rt, DeviceInfoSet, DeviceInfoData, set, element)
                       : !winsim::DeviceInfoSet::FromHandle(rt, DeviceInfoSet))
        return false;
    if (!DeviceInstallParams || DeviceInstallParams->cbSize != sizeof(SP_DEVINSTALL_PARAMS_A))
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return false;
    }
    key = KeyOf(DeviceInfoSet, DeviceInfoData, element);
    return true;
}

} // namespace

BOOL WINAPI SetupDiGetDeviceInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                           PSP_DEVINSTALL_PARAMS_A DeviceInstallParams)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    uint64_t key = 0;
    if (!InstallParamsKey(*rt, DeviceInfoSet, DeviceInfoData, DeviceInstallParams, key))
        return FALSE;
    *DeviceInstallParams = DeviceDriverLists::Get(key).params;
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiSetDeviceInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                           PSP_DEVINSTALL_PARAMS_A DeviceInstallParams)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    uint64_t key = 0;
    if (!InstallParamsKey(*rt, DeviceInfoSet, DeviceInfoData, DeviceInstallParams, key))
        return FALSE;
    if (strnlen(DeviceInstallParams->DriverPath, MAX_PATH) == MAX_PATH)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DeviceDriverLists::State state = DeviceDriverLists::Get(key);
    state.params = *DeviceInstallParams;
    DeviceDriverLists::Put(key, state);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    std::shared_ptr<winsim::DeviceInfoSet> set;
    DeviceInfoSet::Element element;
    if (!DriverListElementOf(*rt, DeviceInfoSet, DeviceInfoData, DriverType, set, element))
        return FALSE;
    DeviceDriverLists::State state = DeviceDriverLists::Get(element.id);
    std::vector<std::shared_ptr<const LoadedInf>> infs;
    if (state.params.Flags & DI_ENUMSINGLEINF)
    {
        uint32_t error = 0;
        std::shared_ptr<const LoadedInf> inf = InfLoader::Load(*rt, state.params.DriverPath, error);
        if (!inf)
        {
            SetLastError(error);
            return FALSE;
        }
        infs.push_back(inf);
    }
    else
        infs = DriverSearch(*rt).Infs();
    const DeviceRecord device = SearchRecord(*rt, element);
    const bool anyClass = DeviceIds::SameGuid(element.classGuid, DeviceIds::NullGuid());
    std::vector<DriverMatch> found;
    for (const std::shared_ptr<const LoadedInf>& inf : infs)
    {
        if (DriverType == SPDIT_COMPATDRIVER)
        {
            DriverMatch match;
            if (DriverSearch::InInf(inf, device, match))
                found.push_back(match);
            continue;
        }
        GUID guid;
        if (!anyClass &&
            (!DeviceIds::ParseGuid(inf->drivers.classGuid, guid) || !DeviceIds::SameGuid(guid, element.classGuid)))
            continue;
        for (size_t d = 0; d < inf->drivers.drivers.size(); ++d)
        {
            DriverMatch match;
            match.inf = inf;
            match.driver = d;
            match.matchingId = inf->drivers.drivers[d].ids.front();
            found.push_back(match);
        }
    }
    (DriverType == SPDIT_CLASSDRIVER ? state.classDrivers : state.compatDrivers) = found;
    DeviceDriverLists::Put(element.id, state);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiEnumDriverInfoA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                                   DWORD MemberIndex, PSP_DRVINFO_DATA_A DriverInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    std::shared_ptr<winsim::DeviceInfoSet> set;
    DeviceInfoSet::Element element;
    if (!DriverListElementOf(*rt, DeviceInfoSet, DeviceInfoData, DriverType, set, element))
        return FALSE;
    if (!DriverInfoData ||
        (DriverInfoData->cbSize != sizeof(SP_DRVINFO_DATA_A) && DriverInfoData->cbSize != kDriverInfoV1Size))
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    const DeviceDriverLists::State state = DeviceDriverLists::Get(element.id);
    const std::vector<DriverMatch>& list = DriverType == SPDIT_CLASSDRIVER ? state.classDrivers : state.compatDrivers;
    if (MemberIndex >= list.size())
    {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    const DriverMatch& match = list[MemberIndex];
    const InfDriver& driver = match.Driver();
    const DWORD size = DriverInfoData->cbSize;
    std::memset(DriverInfoData, 0, size);
    DriverInfoData->cbSize = size;
    DriverInfoData->DriverType = DriverType;
    DriverInfoData->Reserved = MemberIndex + 1;
    std::strncpy(DriverInfoData->Description, driver.description.c_str(), LINE_LEN - 1);
    std::strncpy(DriverInfoData->MfgName, driver.manufacturer.c_str(), LINE_LEN - 1);
    std::strncpy(DriverInfoData->ProviderName, match.inf->drivers.provider.c_str(), LINE_LEN - 1);
    if (size == sizeof(SP_DRVINFO_DATA_A))
    {
        DriverInfoData->DriverDate = DateOf(match.inf->drivers.dateRank);
        DriverInfoData->DriverVersion = match.inf->drivers.versionRank;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiSetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                      PSP_DRVINFO_DATA_A DriverInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    std::shared_ptr<winsim::DeviceInfoSet> set;
    DeviceInfoSet::Element element;
    if (!ElementOf(*rt, DeviceInfoSet, DeviceInfoData, set, element))
        return FALSE;
    DeviceDriverLists::State state = DeviceDriverLists::Get(element.id);
    if (!DriverInfoData)
    {
        state.selected = DriverMatch();
        DeviceDriverLists::Put(element.id, state);
        SetLastError(NO_ERROR);
        return TRUE;
    }
    if (DriverInfoData->cbSize != sizeof(SP_DRVINFO_DATA_A) && DriverInfoData->cbSize != kDriverInfoV1Size)
    {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    const std::vector<DriverMatch>& list =
        DriverInfoData->DriverType == SPDIT_CLASSDRIVER ? state.classDrivers : state.compatDrivers;
    // The driver the enumeration handed out, or one of the same description, manufacturer and provider.
    const DriverMatch* chosen = nullptr;
    if (DriverInfoData->Reserved >= 1 && DriverInfoData->Reserved <= list.size())
        chosen = &list[DriverInfoData->Reserved - 1];
    for (size_t i = 0; !chosen && i < list.size(); ++i)
    {
        const InfDriver& driver = list[i].Driver();
        if (!strcasecmp(driver.description.c_str(), DriverInfoData->Description) &&
            !strcasecmp(driver.manufacturer.c_str(), DriverInfoData->MfgName) &&
            !strcasecmp(list[i].inf->drivers.provider.c_str(), DriverInfoData->ProviderName))
            chosen = &list[i];
    }
    if (!chosen)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    state.selected = *chosen;
    DeviceDriverLists::Put(element.id, state);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiSetSelectedDevice(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    std::shared_ptr<winsim::DeviceInfoSet> set;
    DeviceInfoSet::Element element;
    if (!ElementOf(*rt, DeviceInfoSet, DeviceInfoData, set, element))
        return FALSE;
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiDeleteDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope,
                                   DWORD HwProfile, DWORD KeyType)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    (void)HwProfile;
    std::string enumPath;
    std::string driverPath;
    {
        Transaction txn(rt->GetMachine().GetStore());
        DeviceTree tree(*rt);
        DeviceRef ref;
        if (!DeviceSetAccess::Resolve(*rt, tree, DeviceInfoSet, DeviceInfoData, ref))
            return FALSE;
        if ((Scope != DICS_FLAG_GLOBAL && Scope != DICS_FLAG_CONFIGSPECIFIC) ||
            (KeyType != DIREG_DEV && KeyType != DIREG_DRV && KeyType != DIREG_BOTH))
        {
            SetLastError(ERROR_INVALID_FLAGS);
            return FALSE;
        }
        enumPath = tree.Registry().EnumPath(ref.Instance());
        std::string driver;
        if (ref.enumKey && tree.Registry().ReadString(ref.enumKey, "Driver", driver) && !driver.empty())
            driverPath = tree.Registry().ClassRoot() + "\\" + driver;
        txn.Commit();
    }
    if (rt->Identity().IsNT() && !rt->Identity().administrator)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto relative = [](const std::string& path)
    { return path.rfind(kMachinePrefix, 0) == 0 ? path.substr(std::strlen(kMachinePrefix)) : path; };
    bool deleted = false;
    if ((KeyType == DIREG_DRV || KeyType == DIREG_BOTH) && !driverPath.empty())
        deleted = DeleteTree(HKEY_LOCAL_MACHINE, relative(driverPath)) || deleted;
    if ((KeyType == DIREG_DEV || KeyType == DIREG_BOTH) && rt->Identity().IsNT())
        deleted = DeleteTree(HKEY_LOCAL_MACHINE, relative(enumPath) + "\\Device Parameters") || deleted;
    if (!deleted)
    {
        SetLastError(ERROR_KEY_DOES_NOT_EXIST);
        return FALSE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
