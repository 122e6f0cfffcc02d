// NTDLL exports. None of its functions exists in winsim yet: the module loads, every lookup fails.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"

namespace winsim
{

void AddNtdllExports(BuiltinModule& /*module*/) {}

} // namespace winsim
