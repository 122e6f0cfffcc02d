// KERNEL32 CreateProcessA: starts a program of the machine (see processes/ProcessLauncher.h) and hands
// back real handles to the new process and its first thread.
#include <memory>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "processes/ProcessLauncher.h"
#include "processes/ProcessObject.h"
#include "processes/ProcessTable.h"
#include "windows.h"

using namespace winsim;

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES /*lpProcessAttributes*/,
                           LPSECURITY_ATTRIBUTES /*lpThreadAttributes*/, BOOL /*bInheritHandles*/,
                           DWORD /*dwCreationFlags*/, LPVOID /*lpEnvironment*/, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    // Windows reads both structures before anything else; without them it faults.
    if (!lpStartupInfo || !lpProcessInformation)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    LaunchedProcess launched;
    const uint32_t error = ProcessLauncher(*rt).Launch(lpApplicationName, lpCommandLine, lpCurrentDirectory, launched);
    if (error != ERROR_SUCCESS)
    {
        SetLastError(error);
        return FALSE;
    }
    lpProcessInformation->hProcess = rt->Handles().Insert(
        std::make_shared<ProcessObject>(*rt, launched.pid, PROCESS_ALL_ACCESS, false, launched.endsMs));
    lpProcessInformation->hThread = rt->Handles().Insert(
        std::make_shared<ProcessObject>(*rt, launched.pid, THREAD_ALL_ACCESS, true, launched.endsMs));
    lpProcessInformation->dwProcessId = launched.pid;
    lpProcessInformation->dwThreadId = ProcessTable::MainThreadId(launched.pid);
    return TRUE;
}
