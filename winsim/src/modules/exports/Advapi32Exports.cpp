// ADVAPI32 exports: the registry and security functions.
#include "ExportLists.h"
#include "aclapi.h"
#include "modules/BuiltinModule.h"
#include "windows.h"

namespace winsim
{

void AddAdvapi32Exports(BuiltinModule& module)
{
    module.Export("AllocateAndInitializeSid", AllocateAndInitializeSid);
    module.Export("FreeSid", FreeSid);
    module.Export("InitializeSecurityDescriptor", InitializeSecurityDescriptor);
    module.Export("RegCloseKey", RegCloseKey);
    module.Export("RegCreateKeyA", RegCreateKeyA);
    module.Export("RegCreateKeyExA", RegCreateKeyExA);
    module.Export("RegDeleteKeyA", RegDeleteKeyA);
    module.Export("RegDeleteValueA", RegDeleteValueA);
    module.Export("RegEnumKeyA", RegEnumKeyA);
    module.Export("RegEnumKeyExA", RegEnumKeyExA);
    module.Export("RegEnumValueA", RegEnumValueA);
    module.Export("RegFlushKey", RegFlushKey);
    module.Export("RegOpenKeyA", RegOpenKeyA);
    module.Export("RegOpenKeyExA", RegOpenKeyExA);
    module.Export("RegQueryInfoKeyA", RegQueryInfoKeyA);
    module.Export("RegQueryValueExA", RegQueryValueExA);
    module.Export("RegSetKeySecurity", RegSetKeySecurity);
    module.Export("RegSetValueExA", RegSetValueExA);
    module.Export("SetEntriesInAclA", SetEntriesInAclA);
    module.Export("SetSecurityDescriptorDacl", SetSecurityDescriptorDacl);
    module.Export("SetSecurityInfo", SetSecurityInfo);
}

} // namespace winsim
