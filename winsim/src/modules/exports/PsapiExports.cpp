// PSAPI exports.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "psapi.h"

namespace winsim
{

void AddPsapiExports(BuiltinModule& module)
{
    module.Export("EnumProcessModules", EnumProcessModules);
    module.Export("EnumProcesses", EnumProcesses);
    module.Export("GetModuleBaseNameA", GetModuleBaseNameA);
    module.Export("GetModuleFileNameExA", GetModuleFileNameExA);
}

} // namespace winsim
