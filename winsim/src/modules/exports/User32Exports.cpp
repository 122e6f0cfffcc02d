// USER32 exports. None of its functions exists in winsim yet: the module loads, every lookup fails.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"

namespace winsim
{

void AddUser32Exports(BuiltinModule& /*module*/) {}

} // namespace winsim
