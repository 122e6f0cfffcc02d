// KERNEL32 module names: GetModuleHandleA and GetModuleFileNameA, for the program's own image and the
// modules it has loaded (see modules/LoadedModules.h). Data files loaded as such are not modules here.
#include <strings.h>

#include <cstring>
#include <mutex>
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/CurrentDirectory.h"
#include "files/NameCase.h"
#include "files/PathResolver.h"
#include "modules/LoadedModules.h"
#include "modules/ModuleName.h"
#include "windows.h"

using namespace winsim;

namespace
{

HMODULE ImageModule()
{
    return reinterpret_cast<HMODULE>(LoadedModules::kImageBase);
}

// Whether a completed module name names the image: its full path or its file name, without regard to case.
bool NamesImage(const std::string& imagePath, const std::string& name)
{
    const std::string& against = ModuleName::HasPath(name) ? imagePath : ModuleName::Base(imagePath);
    return strcasecmp(against.c_str(), name.c_str()) == 0;
}

} // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    if (!lpModuleName)
        return ImageModule();
    const std::string name = ModuleName::Complete(lpModuleName);
    if (NamesImage(rt->ImagePath(), name))
        return ImageModule();
    std::lock_guard<std::recursive_mutex> lock(LoadedModules::Lock());
    LoadedModules& modules = LoadedModules::Of(*rt);
    LoadedModule* module = nullptr;
    std::string full;
    if (!ModuleName::HasPath(name))
        module = modules.FindBase(NameCase::Upper(name));
    else if (PathResolver::Normalize(name, CurrentDirectory::Get(*rt), full))
        module = modules.FindPath(NameCase::Upper(full));
    if (!module)
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(module->handle);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    std::string path = rt->ImagePath();
    if (hModule && hModule != ImageModule())
    {
        std::lock_guard<std::recursive_mutex> lock(LoadedModules::Lock());
        LoadedModule* module = LoadedModules::Of(*rt).Find(reinterpret_cast<uintptr_t>(hModule));
        if (!module || module->kind == ModuleKind::DataFile)
        {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        path = module->path;
    }
    if (!lpFilename && nSize > 0)
    {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    DWORD length = static_cast<DWORD>(path.size());
    if (length < nSize)
    {
        std::memcpy(lpFilename, path.c_str(), length + 1);
        return length;
    }
    // Too small a buffer. Vista and later truncate to nSize - 1 characters plus the null and say so; XP
    // and earlier fill all nSize characters, leave out the null and report success.
    if (rt->Identity().IsNT() && rt->Identity().major >= 6)
    {
        if (nSize > 0)
        {
            std::memcpy(lpFilename, path.c_str(), nSize - 1);
            lpFilename[nSize - 1] = '\0';
        }
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    if (nSize > 0)
        std::memcpy(lpFilename, path.c_str(), nSize);
    SetLastError(ERROR_SUCCESS);
    return nSize;
}
