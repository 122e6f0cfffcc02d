// KERNEL32 information about the calling process: ids, pseudo handle, command line and environment.
#include <cstring>
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/MachineEnvironment.h"
#include "windows.h"

using namespace winsim;

DWORD WINAPI GetCurrentProcessId(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_API_CALL();
    return rt->Pid();
}

HANDLE WINAPI GetCurrentProcess(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        SetLastError(ERROR_NOT_READY);
    WINSIM_API_CALL();
    // The pseudo handle is a constant that cannot fail, attached or not.
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

LPSTR WINAPI GetCommandLineA(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        static char empty[1] = {0};
        return empty;
    }
    WINSIM_API_CALL();
    return rt->CommandLineBuffer();
}

DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    std::string value;
    if (!lpName || !MachineEnvironment::Lookup(rt->Identity(), lpName, value))
    {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    // Too small a buffer: the size needed, terminating null included, and the buffer left alone.
    DWORD length = static_cast<DWORD>(value.size());
    if (!lpBuffer || nSize <= length)
        return length + 1;
    std::memcpy(lpBuffer, value.c_str(), length + 1);
    return length;
}
