// COMCTL32: the common controls (progress bar, list view) are system classes of every process here, so
// initialising them only checks its argument.
#include "commctrl.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"

using namespace winsim;

void WINAPI InitCommonControls(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return;
    WINSIM_API_CALL();
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
