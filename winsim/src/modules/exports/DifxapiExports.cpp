// DIFXAPI exports: driver package install, pre-install and removal. The same table serves the copies a
// package ships under other names (DIFAPI32.DLL, DIFAPI64.DLL).
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"
#include "difxapi.h"

namespace winsim
{

void AddDifxapiExports(BuiltinModule& module)
{
    module.Export("DriverPackageInstallA", DriverPackageInstallA);
    module.Export("DriverPackagePreinstallA", DriverPackagePreinstallA);
    module.Export("DriverPackageUninstallA", DriverPackageUninstallA);
}

} // namespace winsim
