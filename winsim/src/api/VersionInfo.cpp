// VERSION: GetFileVersionInfoSizeA, GetFileVersionInfoA, VerQueryValueA over the version fields of image
// descriptors (resources/VersionBlock.h). The file is found as LoadLibraryExA(LOAD_LIBRARY_AS_DATAFILE)
// finds it, so a bare name is searched for (and names a built-in module's file in the system folder). As on
// Windows NT, the size is twice the block plus four: room for the "FE2X" signature and the ANSI copies
// VerQueryValueA makes. A file that is not an image, or an image without version fields, has no version
// resource: ERROR_RESOURCE_DATA_NOT_FOUND; a file that is not there: ERROR_FILE_NOT_FOUND.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/PathArgument.h"
#include "images/ImageDescriptor.h"
#include "modules/LoadedModules.h"
#include "modules/ModuleLoader.h"
#include "profile/HostFiles.h"
#include "resources/CodePage.h"
#include "resources/VersionBlock.h"
#include "windows.h"

using namespace winsim;

namespace
{

constexpr char kSignature[4] = {'F', 'E', '2', 'X'};

uint32_t CodePageOf(Runtime& rt)
{
    return CodePage::AnsiOf(static_cast<uint16_t>(rt.Identity().uiLanguage));
}

// The path of the file a name stands for, found as the loader finds a data file; false with the error.
bool Locate(Runtime& rt, const char* name, std::string& path, DWORD& error)
{
    std::lock_guard<std::recursive_mutex> lock(LoadedModules::Lock());
    LoadedModules& modules = LoadedModules::Of(rt);
    ModuleLoader loader(rt, modules);
    const DWORD saved = GetLastError();
    const uintptr_t handle = loader.Load(name, true);
    if (!handle)
    {
        error = GetLastError();
        if (error == ERROR_MOD_NOT_FOUND || error == ERROR_DLL_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            error = ERROR_FILE_NOT_FOUND;
        else if (error == ERROR_BAD_EXE_FORMAT || error == ERROR_FILE_INVALID)
            error = ERROR_RESOURCE_DATA_NOT_FOUND;
        SetLastError(saved);
        return false;
    }
    LoadedModule* module = modules.Find(handle);
    path = module ? module->path : std::string();
    loader.Free(handle);
    SetLastError(saved);
    return true;
}

// The version block of a file; empty (with the error) when it has none.
std::vector<uint8_t> BlockOf(Runtime& rt, const char* name, DWORD& error)
{
    std::string path;
    if (!Locate(rt, name, path, error))
        return {};
    error = ERROR_RESOURCE_DATA_NOT_FOUND;
    WinPath file;
    std::string text;
    ImageDescriptor image;
    std::string why;
    const DWORD saved = GetLastError();
    const bool read = PathArgument::Resolve(rt, path.c_str(), file) && file.kind == EntryKind::File &&
                      HostReadFile(file.host, text) && ImageDescriptor::Parse(text, image, why);
    SetLastError(saved);
    // A built-in module without a file of its own has no version fields here.
    return read ? VersionBlock::Build(image, CodePageOf(rt)) : std::vector<uint8_t>();
}

} // namespace

DWORD APIENTRY GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle)
{
    Runtime* rt = Runtime::Current();
    if (lpdwHandle)
        *lpdwHandle = 0;
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_FAULT_POINT(0);
    if (!lptstrFilename)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD error = 0;
    const std::vector<uint8_t> block = BlockOf(*rt, lptstrFilename, error);
    if (block.empty())
    {
        SetLastError(error);
        return 0;
    }
    return static_cast<DWORD>(block.size() * 2 + sizeof(kSignature));
}

BOOL APIENTRY GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD /*dwHandle*/, DWORD dwLen, LPVOID lpData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpData)
    {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    if (!lptstrFilename)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = 0;
    const std::vector<uint8_t> block = BlockOf(*rt, lptstrFilename, error);
    if (block.empty())
    {
        SetLastError(error);
        return FALSE;
    }
    // The block, the signature, then the zeroed room for ANSI copies; a short buffer gets what fits.
    std::vector<uint8_t> full(block.size() * 2 + sizeof(kSignature), 0);
    std::memcpy(full.data(), block.data(), block.size());
    std::memcpy(full.data() + block.size(), kSignature, sizeof(kSignature));
    std::memcpy(lpData, full.data(), std::min<size_t>(dwLen, full.size()));
    return TRUE;
}

BOOL APIENTRY VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!pBlock || !lplpBuffer)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    void* value = nullptr;
    uint32_t length = 0;
    // The block is the caller's copy; VerQueryValueA writes its ANSI strings into the room after it.
    uint8_t* block = static_cast<uint8_t*>(const_cast<void*>(pBlock));
    if (!VersionBlock::Query(block, lpSubBlock ? lpSubBlock : "", CodePageOf(*rt), value, length))
    {
        if (puLen)
            *puLen = 0;
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    *lplpBuffer = value;
    if (puLen)
        *puLen = length;
    return TRUE;
}
