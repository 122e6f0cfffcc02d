// USER32 exports.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"

namespace winsim
{

void AddUser32Exports(BuiltinModule& module)
{
    module.Export("CreateWindowExA", CreateWindowExA);
    module.Export("DestroyWindow", DestroyWindow);
    module.Export("EnumWindows", EnumWindows);
    module.Export("FindWindowA", FindWindowA);
    module.Export("GetClassNameA", GetClassNameA);
    module.Export("GetFocus", GetFocus);
    module.Export("GetForegroundWindow", GetForegroundWindow);
    module.Export("GetParent", GetParent);
    module.Export("GetWindowTextA", GetWindowTextA);
    module.Export("GetWindowTextLengthA", GetWindowTextLengthA);
    module.Export("GetWindowThreadProcessId", GetWindowThreadProcessId);
    module.Export("IsWindow", IsWindow);
    module.Export("IsWindowVisible", IsWindowVisible);
    module.Export("LoadStringA", LoadStringA);
    module.Export("MessageBoxA", MessageBoxA);
    module.Export("MessageBoxExA", MessageBoxExA);
    module.Export("PostMessageA", PostMessageA);
    module.Export("SendMessageA", SendMessageA);
    module.Export("SetFocus", SetFocus);
    module.Export("SetForegroundWindow", SetForegroundWindow);
    module.Export("SetWindowTextA", SetWindowTextA);
    module.Export("ShowWindow", ShowWindow);
}

} // namespace winsim
