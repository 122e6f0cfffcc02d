// DIF_INSTALLDEVICE: the class installer installs the driver selected for a registered device of a set
// (SetupDiSetSelectedDriverA), publishing its INF first; DI_NEEDREBOOT is set in the device's install
// parameters when the install asks for a restart.
#pragma once

#include "windows.h"
#include "setupapi.h"

namespace winsim
{

class Runtime;

BOOL InstallSelectedDriver(Runtime& rt, HDEVINFO handle, PSP_DEVINFO_DATA data);

} // namespace winsim
