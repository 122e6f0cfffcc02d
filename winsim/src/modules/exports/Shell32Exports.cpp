// SHELL32 exports.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "shlobj.h"

namespace winsim
{

void AddShell32Exports(BuiltinModule& module)
{
    module.Export("IsUserAnAdmin", IsUserAnAdmin, 680);
}

} // namespace winsim
