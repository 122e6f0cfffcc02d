// SETUPAPI exports: the INF functions, section installs, the default queue callback, cabinets and device
// information sets.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

void AddSetupapiExports(BuiltinModule& module)
{
    module.Export("SetupCloseInfFile", SetupCloseInfFile);
    module.Export("SetupPromptReboot", SetupPromptReboot);
    module.Export("SetupCopyOEMInfA", SetupCopyOEMInfA);
    module.Export("SetupDiCallClassInstaller", SetupDiCallClassInstaller);
    module.Export("SetupDiBuildDriverInfoList", SetupDiBuildDriverInfoList);
    module.Export("SetupDiChangeState", SetupDiChangeState);
    module.Export("SetupDiClassGuidsFromNameA", SetupDiClassGuidsFromNameA);
    module.Export("SetupDiCreateDeviceInfoA", SetupDiCreateDeviceInfoA);
    module.Export("SetupDiCreateDeviceInfoList", SetupDiCreateDeviceInfoList);
    module.Export("SetupDiDestroyDeviceInfoList", SetupDiDestroyDeviceInfoList);
    module.Export("SetupDiDeleteDevRegKey", SetupDiDeleteDevRegKey);
    module.Export("SetupDiDestroyDriverInfoList", SetupDiDestroyDriverInfoList);
    module.Export("SetupDiEnumDriverInfoA", SetupDiEnumDriverInfoA);
    module.Export("SetupDiEnumDeviceInfo", SetupDiEnumDeviceInfo);
    module.Export("SetupDiGetClassDevsA", SetupDiGetClassDevsA);
    module.Export("SetupDiGetDeviceInfoListDetailA", SetupDiGetDeviceInfoListDetailA);
    module.Export("SetupDiGetDeviceInstallParamsA", SetupDiGetDeviceInstallParamsA);
    module.Export("SetupDiGetDeviceInstanceIdA", SetupDiGetDeviceInstanceIdA);
    module.Export("SetupDiGetDeviceRegistryPropertyA", SetupDiGetDeviceRegistryPropertyA);
    module.Export("SetupDiOpenDevRegKey", SetupDiOpenDevRegKey);
    module.Export("SetupDiOpenDeviceInfoA", SetupDiOpenDeviceInfoA);
    module.Export("SetupDiRegisterDeviceInfo", SetupDiRegisterDeviceInfo);
    module.Export("SetupDiSetClassInstallParamsA", SetupDiSetClassInstallParamsA);
    module.Export("SetupDiSetDeviceInstallParamsA", SetupDiSetDeviceInstallParamsA);
    module.Export("SetupDiSetDeviceRegistryPropertyA", SetupDiSetDeviceRegistryPropertyA);
    module.Export("SetupDiSetSelectedDevice", SetupDiSetSelectedDevice);
    module.Export("SetupDiSetSelectedDriverA", SetupDiSetSelectedDriverA);
    module.Export("SetupDefaultQueueCallbackA", SetupDefaultQueueCallbackA);
    module.Export("SetupFindFirstLineA", SetupFindFirstLineA);
    module.Export("SetupFindNextLine", SetupFindNextLine);
    module.Export("SetupFindNextMatchLineA", SetupFindNextMatchLineA);
    module.Export("SetupGetBinaryField", SetupGetBinaryField);
    module.Export("SetupGetFieldCount", SetupGetFieldCount);
    module.Export("SetupGetIntField", SetupGetIntField);
    module.Export("SetupGetLineTextA", SetupGetLineTextA);
    module.Export("SetupGetSourceFileLocationA", SetupGetSourceFileLocationA);
    module.Export("SetupGetSourceInfoA", SetupGetSourceInfoA);
    module.Export("SetupGetStringFieldA", SetupGetStringFieldA);
    module.Export("SetupGetTargetPathA", SetupGetTargetPathA);
    module.Export("SetupInitDefaultQueueCallback", SetupInitDefaultQueueCallback);
    module.Export("SetupInstallFromInfSectionA", SetupInstallFromInfSectionA);
    module.Export("SetupIterateCabinetA", SetupIterateCabinetA);
    module.Export("SetupOpenInfFileA", SetupOpenInfFileA);
    module.Export("SetupTermDefaultQueueCallback", SetupTermDefaultQueueCallback);
}

} // namespace winsim
