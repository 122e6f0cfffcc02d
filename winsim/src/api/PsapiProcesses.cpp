// PSAPI: EnumProcesses, EnumProcessModules, GetModuleBaseNameA, GetModuleFileNameExA over the machine's
// process table (see modules/ProcessModules.h for what a process's module list holds).
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "modules/ModuleName.h"
#include "modules/ProcessModules.h"
#include "processes/ProcessObject.h"
#include "processes/ProcessTable.h"
#include "psapi.h"
#include "windows.h"

using namespace winsim;

namespace
{

// The modules of the process behind a handle; false with the last error set. Reading another
// process's module list needs query and read rights; an ended process has nothing left to read.
bool ModulesOf(Runtime& rt, HANDLE hProcess, std::vector<ProcessModule>& modules)
{
    auto process = ProcessObject::FromHandle(rt, hProcess);
    if (!process)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!process->Allows(PROCESS_QUERY_INFORMATION) || !process->Allows(PROCESS_VM_READ))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    ProcessTable table = ProcessTable::Of(rt);
    ProcessRow row;
    if (!table.Find(process->Pid(), row) || !table.Refresh(row))
    {
        SetLastError(ERROR_PARTIAL_COPY);
        return false;
    }
    modules = ProcessModules(rt.GetMachine().GetStore()).List(row.pid, row.image, rt.Identity().systemDir);
    return true;
}

// The module of a handle in the list; NULL stands for the image.
const ProcessModule* FindModule(const std::vector<ProcessModule>& modules, HMODULE hModule)
{
    if (!hModule)
        return &modules.front();
    for (const ProcessModule& module : modules)
    {
        if (module.handle == reinterpret_cast<uintptr_t>(hModule))
            return &module;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

} // namespace

BOOL WINAPI EnumProcesses(DWORD* lpidProcess, DWORD cb, LPDWORD lpcbNeeded)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpcbNeeded || (!lpidProcess && cb >= sizeof(DWORD)))
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    // As many ids as fit; what is returned is the bytes written, not the bytes needed.
    DWORD written = 0;
    for (const ProcessRow& row : ProcessTable::Of(*rt).Running())
    {
        if (written + sizeof(DWORD) > cb)
            break;
        lpidProcess[written / sizeof(DWORD)] = row.pid;
        written += sizeof(DWORD);
    }
    *lpcbNeeded = written;
    return TRUE;
}

BOOL WINAPI EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    std::vector<ProcessModule> modules;
    if (!ModulesOf(*rt, hProcess, modules))
        return FALSE;
    if (!lpcbNeeded || (!lphModule && cb >= sizeof(HMODULE)))
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    // As many handles as fit; what is returned is the bytes the whole list needs.
    const size_t fit = std::min<size_t>(cb / sizeof(HMODULE), modules.size());
    for (size_t i = 0; i < fit; ++i)
        lphModule[i] = reinterpret_cast<HMODULE>(modules[i].handle);
    *lpcbNeeded = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    return TRUE;
}

DWORD WINAPI GetModuleBaseNameA(HANDLE hProcess, HMODULE hModule, LPSTR lpBaseName, DWORD nSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpBaseName || nSize == 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<ProcessModule> modules;
    const ProcessModule* module = nullptr;
    if (!ModulesOf(*rt, hProcess, modules) || !(module = FindModule(modules, hModule)))
        return 0;
    // Cut to the buffer; terminated only when there is room left.
    const std::string name = ModuleName::Base(module->path);
    const DWORD copied = static_cast<DWORD>(std::min<size_t>(name.size(), nSize));
    std::memcpy(lpBaseName, name.data(), copied);
    if (copied < nSize)
        lpBaseName[copied] = '\0';
    return copied;
}

DWORD WINAPI GetModuleFileNameExA(HANDLE hProcess, HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpFilename || nSize == 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<ProcessModule> modules;
    const ProcessModule* module = nullptr;
    if (!ModulesOf(*rt, hProcess, modules) || !(module = FindModule(modules, hModule)))
        return 0;
    // Too long a path is cut and terminated, and the result is the buffer size.
    const std::string& path = module->path;
    if (path.size() < nSize)
    {
        std::memcpy(lpFilename, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    return nSize;
}
