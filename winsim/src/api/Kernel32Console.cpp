// KERNEL32 standard handles: GetStdHandle. ReadFile and WriteFile accept the handles it gives.
#include "console/ConsoleHandles.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "windows.h"

using namespace winsim;

HANDLE WINAPI GetStdHandle(DWORD nStdHandle)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_HANDLE_VALUE);
    void* handle = ConsoleHandles::Standard(nStdHandle);
    if (!handle)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}
