// KERNEL32 tool help: snapshots of the machine's processes and of one process's modules.
#include <algorithm>
#include <cstring>
#include <memory>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "modules/ModuleName.h"
#include "modules/ProcessModules.h"
#include "processes/ProcessTable.h"
#include "processes/ToolhelpSnapshot.h"
#include "tlhelp32.h"
#include "windows.h"

using namespace winsim;

namespace
{

// Module sizes are not modelled; every module covers 64 KB.
constexpr DWORD kModuleSize = 0x10000;
// The priority class base of a normal process.
constexpr LONG kNormalPriority = 8;

void CopyName(char* target, size_t size, const std::string& name)
{
    const size_t length = std::min(name.size(), size - 1);
    std::memcpy(target, name.data(), length);
    target[length] = '\0';
}

std::shared_ptr<ToolhelpSnapshot> SnapshotOf(Runtime& rt, HANDLE handle)
{
    return std::dynamic_pointer_cast<ToolhelpSnapshot>(rt.Handles().Lookup(handle, ObjectKind::Other));
}

// Copies the next entry of a list into the caller's structure, which must be large enough.
template <typename Entry>
BOOL NextEntry(HANDLE hSnapshot, Entry* entry, bool first, std::vector<Entry> ToolhelpSnapshot::*list,
               size_t ToolhelpSnapshot::*position)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    auto snapshot = SnapshotOf(*rt, hSnapshot);
    if (!snapshot)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!entry || entry->dwSize < sizeof(Entry))
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    size_t& next = (*snapshot).*position;
    if (first)
        next = 0;
    const std::vector<Entry>& entries = (*snapshot).*list;
    if (next >= entries.size())
    {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    const DWORD size = entry->dwSize;
    *entry = entries[next++];
    entry->dwSize = size;
    return TRUE;
}

} // namespace

HANDLE WINAPI CreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_HANDLE_VALUE);
    auto snapshot = std::make_shared<ToolhelpSnapshot>();
    ProcessTable table = ProcessTable::Of(*rt);
    if (dwFlags & TH32CS_SNAPPROCESS)
    {
        for (const ProcessRow& row : table.Running())
        {
            PROCESSENTRY32 entry{};
            entry.dwSize = sizeof(entry);
            entry.th32ProcessID = row.pid;
            entry.cntThreads = 1;
            entry.th32ParentProcessID = row.parent;
            entry.pcPriClassBase = kNormalPriority;
            // Windows 9x reports the image's full path, NT its file name.
            CopyName(entry.szExeFile, sizeof(entry.szExeFile),
                     rt->Identity().IsNT() ? ModuleName::Base(row.image) : row.image);
            snapshot->processes.push_back(entry);
        }
    }
    if (dwFlags & (TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32))
    {
        const uint32_t pid = th32ProcessID == 0 ? rt->Pid() : th32ProcessID;
        ProcessRow row;
        if (!table.Find(pid, row) || !table.Refresh(row))
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        ProcessModules modules(rt->GetMachine().GetStore());
        for (const ProcessModule& module : modules.List(pid, row.image, rt->Identity().systemDir))
        {
            MODULEENTRY32 entry{};
            entry.dwSize = sizeof(entry);
            entry.th32ModuleID = 1;
            entry.th32ProcessID = pid;
            entry.GlblcntUsage = 0xFFFF;
            entry.ProccntUsage = 0xFFFF;
            entry.modBaseAddr = reinterpret_cast<BYTE*>(module.handle);
            entry.modBaseSize = kModuleSize;
            entry.hModule = reinterpret_cast<HMODULE>(module.handle);
            CopyName(entry.szModule, sizeof(entry.szModule), ModuleName::Base(module.path));
            CopyName(entry.szExePath, sizeof(entry.szExePath), module.path);
            snapshot->modules.push_back(entry);
        }
    }
    return rt->Handles().Insert(snapshot);
}

BOOL WINAPI Process32First(HANDLE hSnapshot, LPPROCESSENTRY32 lppe)
{
    WINSIM_FAULT_POINT(FALSE);
    return NextEntry(hSnapshot, lppe, true, &ToolhelpSnapshot::processes, &ToolhelpSnapshot::nextProcess);
}

BOOL WINAPI Process32Next(HANDLE hSnapshot, LPPROCESSENTRY32 lppe)
{
    WINSIM_FAULT_POINT(FALSE);
    return NextEntry(hSnapshot, lppe, false, &ToolhelpSnapshot::processes, &ToolhelpSnapshot::nextProcess);
}

BOOL WINAPI Module32First(HANDLE hSnapshot, LPMODULEENTRY32 lpme)
{
    WINSIM_FAULT_POINT(FALSE);
    return NextEntry(hSnapshot, lpme, true, &ToolhelpSnapshot::modules, &ToolhelpSnapshot::nextModule);
}

BOOL WINAPI Module32Next(HANDLE hSnapshot, LPMODULEENTRY32 lpme)
{
    WINSIM_FAULT_POINT(FALSE);
    return NextEntry(hSnapshot, lpme, false, &ToolhelpSnapshot::modules, &ToolhelpSnapshot::nextModule);
}
