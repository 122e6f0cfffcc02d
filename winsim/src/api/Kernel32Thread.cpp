// KERNEL32 threads: CreateThread, ResumeThread, GetExitCodeThread, GetCurrentThreadId, Sleep.
#include <thread>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/CurrentThread.h"
#include "kernel/ThreadObject.h"
#include "windows.h"

using namespace winsim;

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES /*lpThreadAttributes*/, SIZE_T /*dwStackSize*/,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    if (!lpStartAddress)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    uint32_t error = ERROR_SUCCESS;
    auto thread =
        ThreadObject::Start(*rt, lpStartAddress, lpParameter, (dwCreationFlags & CREATE_SUSPENDED) != 0, error);
    if (!thread)
    {
        SetLastError(error);
        return nullptr;
    }
    if (lpThreadId)
        *lpThreadId = thread->Id();
    return rt->Handles().Insert(thread);
}

DWORD WINAPI ResumeThread(HANDLE hThread)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, static_cast<DWORD>(-1));
    auto thread = std::dynamic_pointer_cast<ThreadObject>(rt->Handles().Lookup(hThread, ObjectKind::Thread));
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    return thread->Resume();
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto thread = std::dynamic_pointer_cast<ThreadObject>(rt->Handles().Lookup(hThread, ObjectKind::Thread));
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpExitCode)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *lpExitCode = thread->ExitCode();
    return TRUE;
}

DWORD WINAPI GetCurrentThreadId(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_API_CALL();
    return CurrentThread::Id(*rt);
}

void WINAPI Sleep(DWORD dwMilliseconds)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    Clock& clock = rt->GetClock();
    // Sleep(0) gives up the rest of the time slice; no time passes.
    if (dwMilliseconds == 0)
    {
        clock.StopIfEnding();
        std::this_thread::yield();
        return;
    }
    uint64_t deadline = dwMilliseconds == INFINITE ? Clock::kForever : clock.NowMs() + dwMilliseconds;
    clock.WaitUntil([] { return false; }, deadline, false);
}
