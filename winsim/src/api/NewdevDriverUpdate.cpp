// NEWDEV: UpdateDriverForPlugAndPlayDevicesA installs the driver an INF offers on every present device that
// carries the hardware ID (among its hardware or compatible IDs). The INF is published first (oemN.inf, as
// SetupCopyOEMInf does), and each device gets the best of its drivers for that device. Without
// INSTALLFLAG_FORCE a device keeps a driver that is at least as new. Errors as Windows gives them:
// ERROR_INVALID_PARAMETER, ERROR_INVALID_FLAGS, ERROR_ACCESS_DENIED (not an administrator),
// ERROR_FILE_NOT_FOUND (no INF), ERROR_NO_SUCH_DEVINST (no present device has the ID), ERROR_NO_MORE_ITEMS
// (no device took the INF's driver), or the error of the install that failed.
#include <strings.h>

#include <string>
#include <vector>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceTree.h"
#include "faults/FaultPoint.h"
#include "pnp/DriverInstaller.h"
#include "pnp/DriverSearch.h"
#include "pnp/PublishedInf.h"
#include "windows.h"
#include "newdev.h"
#include "setupapi.h"

using namespace winsim;

namespace
{

bool CarriesId(const DeviceRecord& device, const std::string& id)
{
    for (const std::vector<std::string>* list : {&device.hardwareIds, &device.compatibleIds})
        for (const std::string& have : *list)
            if (DeviceIds::Upper(have) == id)
                return true;
    return false;
}

// Whether the device's current driver (date and version in its driver key) is at least as new as the one
// offered.
bool HasNewerOrSame(Runtime& rt, const DeviceRecord& device, const DriverMatch& offered)
{
    Transaction txn(rt.GetMachine().GetStore());
    DeviceTree tree(rt);
    DeviceRecord current = device;
    const int64_t key = tree.EnumKey(current);
    const int64_t driverKey = key ? tree.Registry().FindDriverKey(key) : 0;
    std::string date;
    std::string version;
    if (!driverKey || !tree.Registry().ReadString(driverKey, "DriverDate", date))
        return false;
    tree.Registry().ReadString(driverKey, "DriverVersion", version);
    unsigned month = 0, day = 0, year = 0;
    std::sscanf(date.c_str(), "%u-%u-%u", &month, &day, &year);
    const uint64_t dateRank = static_cast<uint64_t>(year) * 10000 + month * 100 + day;
    unsigned parts[4] = {0, 0, 0, 0};
    std::sscanf(version.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    uint64_t versionRank = 0;
    for (unsigned part : parts)
        versionRank = (versionRank << 16) | (part & 0xFFFF);
    const InfDriverList& list = offered.inf->drivers;
    if (dateRank != list.dateRank)
        return dateRank > list.dateRank;
    return versionRank >= list.versionRank;
}

} // namespace

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND hwndParent, LPCSTR HardwareId, LPCSTR FullInfPath,
                                               DWORD InstallFlags, PBOOL bRebootRequired)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    (void)hwndParent;
    if (!HardwareId || !*HardwareId || !FullInfPath || !*FullInfPath)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (InstallFlags & ~static_cast<DWORD>(INSTALLFLAG_BITS))
    {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    if (rt->Identity().IsNT() && !rt->Identity().administrator)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    uint32_t error = 0;
    std::shared_ptr<const LoadedInf> source = InfLoader::Load(*rt, FullInfPath, error);
    if (!source)
    {
        SetLastError(error);
        return FALSE;
    }
    const std::string id = DeviceIds::Upper(HardwareId);
    std::vector<DeviceRecord> targets;
    {
        Transaction txn(rt->GetMachine().GetStore());
        DeviceTree tree(*rt);
        tree.Settle();
        for (const DeviceRecord& device : tree.Devices())
            if (device.present && CarriesId(device, id))
                targets.push_back(device);
        txn.Commit();
    }
    if (targets.empty())
    {
        SetLastError(ERROR_NO_SUCH_DEVINST);
        return FALSE;
    }
    std::string published;
    bool alreadyThere = false;
    if (!PublishedInf::Publish(*rt, source->file.path, published, alreadyThere, error))
    {
        SetLastError(error);
        return FALSE;
    }
    std::shared_ptr<const LoadedInf> inf = InfLoader::Load(*rt, published, error);
    if (!inf)
    {
        SetLastError(error);
        return FALSE;
    }
    const std::string name = published.substr(published.rfind('\\') + 1);
    bool reboot = false;
    bool anyInstalled = false;
    for (const DeviceRecord& device : targets)
    {
        DriverMatch match;
        if (!DriverSearch::InInf(inf, device, match))
            continue;
        if (!(InstallFlags & INSTALLFLAG_FORCE) && HasNewerOrSame(*rt, device, match))
            continue;
        if (!DriverInstaller(*rt).Install(device.instance, match, name, reboot, error))
        {
            SetLastError(error);
            return FALSE;
        }
        anyInstalled = true;
    }
    if (!anyInstalled)
    {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    if (bRebootRequired)
        *bRebootRequired = reboot ? TRUE : FALSE;
    else if (reboot)
        Journal::Record("device", "reboot-prompt", name, "UpdateDriverForPlugAndPlayDevicesA");
    SetLastError(NO_ERROR);
    return TRUE;
}
