// VERSION exports.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"

namespace winsim
{

void AddVersionExports(BuiltinModule& module)
{
    module.Export("GetFileVersionInfoA", GetFileVersionInfoA);
    module.Export("GetFileVersionInfoSizeA", GetFileVersionInfoSizeA);
    module.Export("VerQueryValueA", VerQueryValueA);
}

} // namespace winsim
