// NEWDEV exports: driver updates for Plug and Play devices, and the title of the new-hardware wizard
// (string 2040).
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"
#include "newdev.h"

namespace winsim
{

void AddNewdevExports(BuiltinModule& module)
{
    module.Export("UpdateDriverForPlugAndPlayDevicesA", UpdateDriverForPlugAndPlayDevicesA);
    module.String(2040, 0x0500, "Found New Hardware Wizard");
}

} // namespace winsim
