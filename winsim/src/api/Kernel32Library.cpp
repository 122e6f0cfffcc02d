// KERNEL32 libraries: LoadLibraryA, LoadLibraryExA, FreeLibrary, GetProcAddress (see modules/ModuleLoader.h).
#include <mutex>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "modules/LoadedModules.h"
#include "modules/ModuleLoader.h"
#include "windows.h"

using namespace winsim;

namespace
{

HMODULE Load(LPCSTR name, HANDLE file, DWORD flags)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return nullptr;
    }
    // The reserved file handle must be NULL.
    if (file)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool asDataFile =
        flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    std::lock_guard<std::recursive_mutex> lock(LoadedModules::Lock());
    ModuleLoader loader(*rt, LoadedModules::Of(*rt));
    return reinterpret_cast<HMODULE>(loader.Load(name, asDataFile));
}

} // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName)
{
    WINSIM_FAULT_POINT(nullptr);
    return Load(lpLibFileName, nullptr, 0);
}

HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags)
{
    WINSIM_FAULT_POINT(nullptr);
    return Load(lpLibFileName, hFile, dwFlags);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    std::lock_guard<std::recursive_mutex> lock(LoadedModules::Lock());
    ModuleLoader loader(*rt, LoadedModules::Of(*rt));
    return loader.Free(reinterpret_cast<uintptr_t>(hLibModule)) ? TRUE : FALSE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    std::lock_guard<std::recursive_mutex> lock(LoadedModules::Lock());
    ModuleLoader loader(*rt, LoadedModules::Of(*rt));
    return reinterpret_cast<FARPROC>(loader.Procedure(reinterpret_cast<uintptr_t>(hModule), lpProcName));
}
