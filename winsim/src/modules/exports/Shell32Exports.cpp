// SHELL32 exports.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "shellapi.h"
#include "shlobj.h"

namespace winsim
{

void AddShell32Exports(BuiltinModule& module)
{
    module.Export("IsUserAnAdmin", IsUserAnAdmin, 680);
    module.Export("ShellExecuteA", ShellExecuteA);
    module.Export("ShellExecuteExA", ShellExecuteExA);
}

} // namespace winsim
