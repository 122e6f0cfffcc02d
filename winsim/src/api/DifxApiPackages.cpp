// DIFXAPI: driver packages in the driver store (see pnp/DriverStore.h). The functions return their error
// code (0 for success) and leave the last error alone, as DIFxAPI does.
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "pnp/DriverStore.h"
#include "windows.h"
#include "difxapi.h"

using namespace winsim;

namespace
{

constexpr DWORD kKnownFlags = DRIVER_PACKAGE_REPAIR | DRIVER_PACKAGE_SILENT | DRIVER_PACKAGE_FORCE |
                              DRIVER_PACKAGE_ONLY_IF_DEVICE_PRESENT | DRIVER_PACKAGE_LEGACY_MODE |
                              DRIVER_PACKAGE_DELETE_FILES;

// A package install or uninstall: the arguments every DIFxAPI package call checks, then the store's work.
template <typename Work>
DWORD PackageCall(LPCSTR infPath, DWORD flags, BOOL* pNeedReboot, Work work)
{
    if (!infPath || !*infPath || (flags & ~kKnownFlags))
        return ERROR_INVALID_PARAMETER;
    bool reboot = false;
    const DWORD result = work(reboot);
    if (pNeedReboot)
        *pNeedReboot = reboot ? TRUE : FALSE;
    return result;
}

} // namespace

DWORD WINAPI DriverPackagePreinstallA(LPCSTR DriverPackageInfPath, DWORD Flags)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    if (!DriverPackageInfPath || !*DriverPackageInfPath || (Flags & ~kKnownFlags))
        return ERROR_INVALID_PARAMETER;
    std::string published;
    return DriverStore::Preinstall(*rt, DriverPackageInfPath, Flags, published);
}

DWORD WINAPI DriverPackageInstallA(LPCSTR DriverPackageInfPath, DWORD Flags, PINSTALLERINFO_A pInstallerInfo,
                                   BOOL* pNeedReboot)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    (void)pInstallerInfo;
    return PackageCall(DriverPackageInfPath, Flags, pNeedReboot,
                       [&](bool& reboot) { return DriverStore::Install(*rt, DriverPackageInfPath, Flags, reboot); });
}

DWORD WINAPI DriverPackageUninstallA(LPCSTR DriverPackageInfPath, DWORD Flags, PINSTALLERINFO_A pInstallerInfo,
                                     BOOL* pNeedReboot)
{
    WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);
    (void)pInstallerInfo;
    return PackageCall(DriverPackageInfPath, Flags, pNeedReboot,
                       [&](bool& reboot) { return DriverStore::Uninstall(*rt, DriverPackageInfPath, Flags, reboot); });
}
