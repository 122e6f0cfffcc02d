// CFGMGR32 exports: devnodes, their status, re-enumeration and pending installs.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"
#include "cfgmgr32.h"

namespace winsim
{

void AddCfgmgr32Exports(BuiltinModule& module)
{
    module.Export("CMP_WaitNoPendingInstallEvents", CMP_WaitNoPendingInstallEvents);
    module.Export("CM_Get_Child", CM_Get_Child);
    module.Export("CM_Get_DevNode_Status", CM_Get_DevNode_Status);
    module.Export("CM_Get_DevNode_Status_Ex", CM_Get_DevNode_Status_Ex);
    module.Export("CM_Get_Device_IDA", CM_Get_Device_IDA);
    module.Export("CM_Get_Device_ID_Size", CM_Get_Device_ID_Size);
    module.Export("CM_Get_Parent", CM_Get_Parent);
    module.Export("CM_Get_Sibling", CM_Get_Sibling);
    module.Export("CM_Locate_DevNodeA", CM_Locate_DevNodeA);
    module.Export("CM_Locate_DevNode_ExA", CM_Locate_DevNode_ExA);
    module.Export("CM_Reenumerate_DevNode", CM_Reenumerate_DevNode);
    module.Export("CM_Reenumerate_DevNode_Ex", CM_Reenumerate_DevNode_Ex);
}

} // namespace winsim
