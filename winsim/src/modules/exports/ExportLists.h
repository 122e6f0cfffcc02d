// The export tables of the built-in modules, one function per module, each in its own file. A module that
// gains a function adds one line there: module.Export("Name", Name) (with the ordinal if it has one).
#pragma once

namespace winsim
{

class BuiltinModule;

void AddNtdllExports(BuiltinModule& module);
void AddKernel32Exports(BuiltinModule& module);
void AddAdvapi32Exports(BuiltinModule& module);
void AddUser32Exports(BuiltinModule& module);
void AddShell32Exports(BuiltinModule& module);
void AddSetupapiExports(BuiltinModule& module);
void AddCfgmgr32Exports(BuiltinModule& module);
void AddNewdevExports(BuiltinModule& module);
void AddDifxapiExports(BuiltinModule& module);
void AddPsapiExports(BuiltinModule& module);
void AddVersionExports(BuiltinModule& module);
void AddCrypt32Exports(BuiltinModule& module);
void AddWinmmExports(BuiltinModule& module);
void AddMmsysCplExports(BuiltinModule& module);
void AddAppwizCplExports(BuiltinModule& module);

} // namespace winsim
