// KERNEL32 handles to other processes: OpenProcess, GetExitCodeProcess, TerminateProcess, GetProcessId.
#include <cstdlib>
#include <memory>

#include "core/Runtime.h"
#include "core/Store.h"
#include "faults/FaultPoint.h"
#include "processes/HostChildren.h"
#include "processes/ProcessObject.h"
#include "processes/ProcessTable.h"
#include "windows.h"
#include "winsim/winsim.h"

using namespace winsim;

namespace
{

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace

HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL /*bInheritHandle*/, DWORD dwProcessId)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    // A process that has ended is gone from the system's process list, as an id never used is.
    ProcessTable table = ProcessTable::Of(*rt);
    ProcessRow row;
    if (dwProcessId == 0 || !table.Find(dwProcessId, row) || !table.Refresh(row))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const DWORD access = (dwDesiredAccess & MAXIMUM_ALLOWED) ? PROCESS_ALL_ACCESS : dwDesiredAccess;
    return rt->Handles().Insert(std::make_shared<ProcessObject>(*rt, row.pid, access, false, row.endsMs));
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    auto process = ProcessObject::FromHandle(*rt, hProcess);
    if (!process)
        return Fail(ERROR_INVALID_HANDLE);
    const DWORD query = rt->Identity().major >= 6 ? PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION
                                                  : PROCESS_QUERY_INFORMATION;
    if (!process->Allows(query))
        return Fail(ERROR_ACCESS_DENIED);
    if (!lpExitCode)
        return Fail(ERROR_NOACCESS);
    *lpExitCode = process->ExitCode();
    return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    auto process = ProcessObject::FromHandle(*rt, hProcess);
    if (!process)
        return Fail(ERROR_INVALID_HANDLE);
    if (!process->Allows(PROCESS_TERMINATE))
        return Fail(ERROR_ACCESS_DENIED);
    if (process->Pid() == rt->Pid())
    {
        // The caller ends itself: as at any process exit, then the host process goes too.
        winsim::Detach(uExitCode);
        std::_Exit(static_cast<int>(uExitCode & 0xFF));
    }
    Store& store = rt->GetMachine().GetStore();
    ProcessTable table = ProcessTable::Of(*rt);
    ProcessRow row;
    {
        Transaction txn(store);
        // A process that has already ended cannot be terminated (Windows: access denied).
        if (!table.Find(process->Pid(), row) || !table.Refresh(row) ||
            !table.End(row.pid, uExitCode, rt->GetClock().NowMs(), "terminated") || !txn.Commit())
            return Fail(ERROR_ACCESS_DENIED);
    }
    // The exit is recorded first, so the host process cannot record another on its way out.
    if (!row.declared)
        HostChildren::Kill(static_cast<pid_t>(row.hostPid));
    return TRUE;
}

DWORD WINAPI GetProcessId(HANDLE Process)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    auto process = ProcessObject::FromHandle(*rt, Process);
    if (!process)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return process->Pid();
}
