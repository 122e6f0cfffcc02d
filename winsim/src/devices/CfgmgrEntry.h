// The entry of a CFGMGR32 function: without a machine it fails with CR_FAILURE (and ERROR_NOT_READY as the
// last error); a fault plan's error comes back as the function's CONFIGRET.
#pragma once

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "windows.h"
#include "cfgmgr32.h"

#define WINSIM_FAULT_POINT_CONFIGRET(rt)                                                                               \
    ::winsim::Runtime* rt = ::winsim::Runtime::Current();                                                              \
    if (!rt)                                                                                                           \
    {                                                                                                                  \
        SetLastError(ERROR_NOT_READY);                                                                                 \
        return CR_FAILURE;                                                                                             \
    }                                                                                                                  \
    WINSIM_FAULT_POINT_RESULT()
