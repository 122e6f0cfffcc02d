// SETUPAPI exports: the INF functions, section installs and the default queue callback.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

void AddSetupapiExports(BuiltinModule& module)
{
    module.Export("SetupCloseInfFile", SetupCloseInfFile);
    module.Export("SetupDefaultQueueCallbackA", SetupDefaultQueueCallbackA);
    module.Export("SetupFindFirstLineA", SetupFindFirstLineA);
    module.Export("SetupFindNextLine", SetupFindNextLine);
    module.Export("SetupFindNextMatchLineA", SetupFindNextMatchLineA);
    module.Export("SetupGetBinaryField", SetupGetBinaryField);
    module.Export("SetupGetFieldCount", SetupGetFieldCount);
    module.Export("SetupGetIntField", SetupGetIntField);
    module.Export("SetupGetLineTextA", SetupGetLineTextA);
    module.Export("SetupGetSourceFileLocationA", SetupGetSourceFileLocationA);
    module.Export("SetupGetStringFieldA", SetupGetStringFieldA);
    module.Export("SetupGetTargetPathA", SetupGetTargetPathA);
    module.Export("SetupInitDefaultQueueCallback", SetupInitDefaultQueueCallback);
    module.Export("SetupInstallFromInfSectionA", SetupInstallFromInfSectionA);
    module.Export("SetupOpenInfFileA", SetupOpenInfFileA);
    module.Export("SetupTermDefaultQueueCallback", SetupTermDefaultQueueCallback);
}

} // namespace winsim
