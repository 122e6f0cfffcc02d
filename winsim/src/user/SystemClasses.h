// The window classes every process has: "STATIC", "BUTTON", the dialog class "#32770", and the common
// controls "msctls_progress32" (progress bar) and "SysListView32" (list view, report style). Their
// procedures keep the control's state, paint it, and describe it for `winsim screen`.
#pragma once

#include <string>

#include "UserWindows.h"

namespace winsim
{

class SystemClasses
{
public:
    // A system class by name (any case; "#32770" or the atom's number for dialogs).
    static bool Find(const std::string& name, WindowClass& windowClass);
};

} // namespace winsim
