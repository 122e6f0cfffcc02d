// KERNEL32 resources: FindResourceA, FindResourceExA, LoadResource, LockResource, SizeofResource over the
// catalogs of resources/ModuleResources.h. An HRSRC is a pointer to a catalog entry; loading a resource
// gives its bytes in place (they stay for the life of the process, as a module's resources do).
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "resources/ModuleResources.h"
#include "resources/ResourceLanguages.h"
#include "windows.h"

using namespace winsim;

namespace
{

HRSRC Find(Runtime& rt, HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage)
{
    uint32_t error = 0;
    const ResourceCatalog* catalog = ModuleResources::Of(rt, reinterpret_cast<uintptr_t>(hModule), error);
    if (!catalog)
    {
        SetLastError(error);
        return nullptr;
    }
    const ResourceLanguages languages =
        ResourceLanguages::For(wLanguage, static_cast<uint16_t>(rt.Identity().uiLanguage));
    const ResourceEntry* entry = catalog->Find(ResourceId::FromArgument(lpType), ResourceId::FromArgument(lpName),
                                               languages.order, languages.anyLanguage, error);
    if (!entry)
    {
        SetLastError(error);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

// The entry an HRSRC of that module stands for; nullptr (ERROR_INVALID_HANDLE) for any other value.
const ResourceEntry* EntryOf(Runtime& rt, HMODULE hModule, HRSRC hResInfo)
{
    uint32_t error = 0;
    const ResourceCatalog* catalog = ModuleResources::Of(rt, reinterpret_cast<uintptr_t>(hModule), error);
    const ResourceEntry* entry = catalog && hResInfo ? catalog->Entry(hResInfo) : nullptr;
    if (!entry)
        SetLastError(ERROR_INVALID_HANDLE);
    return entry;
}

} // namespace

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    return Find(*rt, hModule, lpType, lpName, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    return Find(*rt, hModule, lpType, lpName, wLanguage);
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    const ResourceEntry* entry = EntryOf(*rt, hModule, hResInfo);
    return entry ? const_cast<uint8_t*>(entry->data) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL hResData)
{
    if (!Runtime::Current())
    {
        SetLastError(ERROR_NOT_READY);
        return nullptr;
    }
    WINSIM_FAULT_POINT(nullptr);
    // A loaded resource is its bytes in place already.
    return hResData;
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    const ResourceEntry* entry = EntryOf(*rt, hModule, hResInfo);
    return entry ? entry->size : 0;
}
