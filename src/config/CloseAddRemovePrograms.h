// Closes the platform's Add/Remove Programs window, so that it shows the package's entries afresh.
#pragma once

#include "platform/win32.h"

BOOL CloseAddRemovePrograms();
