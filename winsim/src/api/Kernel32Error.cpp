// KERNEL32 last-error code: one per thread, as on Windows. It needs no machine (it is how the other
// functions report that none is attached).
#include "faults/FaultPoint.h"
#include "windows.h"

namespace
{
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void)
{
    WINSIM_API_CALL();
    return t_lastError;
}

void WINAPI SetLastError(DWORD dwErrCode)
{
    WINSIM_API_CALL();
    t_lastError = dwErrCode;
}
