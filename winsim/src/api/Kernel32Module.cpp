// KERNEL32 module names for the process's own image: GetModuleHandleA and GetModuleFileNameA. Loaded
// libraries are not known here yet; every other module is "not found".
#include <strings.h>

#include <cstring>
#include <string>

#include "core/Runtime.h"
#include "windows.h"

using namespace winsim;

namespace
{

// Where 32-bit images are based by default.
const HMODULE kImageModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x00400000));

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether `name` (as GetModuleHandleA takes it) names the image: its full path or its file name, without
// regard to case. A name without an extension means a .dll, as the loader reads it.
bool NamesImage(const std::string& imagePath, std::string name)
{
    if (BaseName(name).find('.') == std::string::npos)
        name += ".dll";
    const std::string& against = name.find_first_of("\\/") == std::string::npos ? BaseName(imagePath) : imagePath;
    return strcasecmp(against.c_str(), name.c_str()) == 0;
}

} // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return nullptr;
    }
    if (!lpModuleName || NamesImage(rt->ImagePath(), lpModuleName))
        return kImageModule;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    if (hModule && hModule != kImageModule)
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!lpFilename && nSize > 0)
    {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    const std::string& path = rt->ImagePath();
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
