// SETUPAPI: SetupIterateCabinetA, the walk through a cabinet's files with a callback (cabinet/CabinetIteration).
//
// The failures are Windows' own, as Wine's conformance tests record them (dlls/setupapi/tests/setupcab.c):
// a NULL name is ERROR_INVALID_PARAMETER, a missing cabinet ERROR_FILE_NOT_FOUND, a file that is not a
// cabinet ERROR_INVALID_DATA, and so is a cabinet with no callback to report to. An empty name is
// ERROR_NOT_ENOUGH_MEMORY from Windows XP on (ERROR_FILE_NOT_FOUND before). A damaged or cut-short
// cabinet fails as one that is not a cabinet, ERROR_INVALID_DATA, once the files before the damage are
// out. A name of MAX_PATH characters or more is ERROR_BAD_PATHNAME, as Wine gives.
#include <cstring>
#include <string>

#include "cabinet/CabinetIteration.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

BOOL WINAPI SetupIterateCabinetA(PCSTR CabinetFile, DWORD /*Reserved*/, PSP_FILE_CALLBACK_A MsgHandler, PVOID Context)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!CabinetFile)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!*CabinetFile)
    {
        const MachineIdentity& os = rt->Identity();
        const bool xpOrLater = os.IsNT() && (os.major > 5 || (os.major == 5 && os.minor >= 1));
        SetLastError(xpOrLater ? ERROR_NOT_ENOUGH_MEMORY : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (std::strlen(CabinetFile) >= MAX_PATH)
    {
        SetLastError(ERROR_BAD_PATHNAME);
        return FALSE;
    }
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(CabinetFile, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
    {
        SetLastError(length ? static_cast<DWORD>(ERROR_BAD_PATHNAME) : GetLastError());
        return FALSE;
    }
    CabinetIteration walk(*rt, CabinetFile, full, MsgHandler, Context);
    const uint32_t error = walk.Run();
    SetLastError(error);
    return error ? FALSE : TRUE;
}
