// SHELL32 IsUserAnAdmin: whether the machine's user is an administrator.
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "shlobj.h"

using namespace winsim;

BOOL STDAPICALLTYPE IsUserAnAdmin(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    WINSIM_API_CALL();
    return rt->Identity().administrator ? TRUE : FALSE;
}
