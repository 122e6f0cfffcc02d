// Stopping running programs by name before an install or uninstall touches their files.
#pragma once

#include <string>

#include "platform/win32.h"

// Stops every process whose first module's name and the given name, in upper case, contain one another.
// The running setup itself is never stopped.
BOOL KillThisGuy(const std::string& csAppToTerminate);
// The same through a process snapshot: stops the first process whose file name contains the name.
BOOL KillThisGuyAlt(const std::string& csAppName);
