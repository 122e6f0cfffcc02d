// KERNEL32 local memory: plain heap blocks. LMEM_MOVEABLE blocks are fixed too; their handle is the pointer.
#include <cstdlib>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "windows.h"

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes)
{
    if (!winsim::Runtime::Current())
    {
        SetLastError(ERROR_NOT_READY);
        return nullptr;
    }
    WINSIM_FAULT_POINT(nullptr);
    // A zero-byte block is still a distinct block, as on Windows.
    size_t size = uBytes ? uBytes : 1;
    void* block = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
    if (!block)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    WINSIM_FAULT_POINT(hMem);
    // Memory is the process's own: freeing needs no machine.
    std::free(hMem);
    return nullptr;
}
