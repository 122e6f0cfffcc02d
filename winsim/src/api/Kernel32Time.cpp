// KERNEL32 time: the machine clock as tick count, UTC and local time, and the FILETIME conversions.
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/Calendar.h"
#include "windows.h"

using namespace winsim;

DWORD WINAPI GetTickCount(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_API_CALL();
    // Wraps around after 49.7 days, as on Windows.
    return static_cast<DWORD>(rt->GetClock().TickMs());
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    if (lpSystemTime)
        Calendar::ToSystemTime(rt->GetClock().NowMs(), *lpSystemTime);
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    if (!lpSystemTime)
        return;
    // UTC = local time + bias.
    int64_t local =
        static_cast<int64_t>(rt->GetClock().NowMs()) - static_cast<int64_t>(rt->Identity().timeZoneBiasMinutes) * 60000;
    Calendar::ToSystemTime(static_cast<uint64_t>(local > 0 ? local : 0), *lpSystemTime);
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    if (lpSystemTimeAsFileTime)
        *lpSystemTimeAsFileTime = Calendar::MsToFileTime(rt->GetClock().NowMs());
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpFileTime || !lpSystemTime)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    uint64_t ticks = (static_cast<uint64_t>(lpFileTime->dwHighDateTime) << 32) | lpFileTime->dwLowDateTime;
    if (ticks > Calendar::kMaxFileTime)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Calendar::ToSystemTime(Calendar::FileTimeToMs(*lpFileTime), *lpSystemTime);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpSystemTime || !lpFileTime)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    uint64_t ms = 0;
    if (!Calendar::FromSystemTime(*lpSystemTime, ms))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFileTime = Calendar::MsToFileTime(ms);
    return TRUE;
}
