// KERNEL32 paths: GetWindowsDirectoryA, GetSystemDirectoryA, GetTempPathA, GetFullPathNameA,
// GetShortPathNameA, GetCurrentDirectoryA, SetCurrentDirectoryA.
#include <cctype>
#include <vector>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/ApiBuffers.h"
#include "files/CurrentDirectory.h"
#include "files/DirectoryListing.h"
#include "files/FileNameRules.h"
#include "files/PathArgument.h"
#include "files/PathResolver.h"
#include "windows.h"

using namespace winsim;

namespace
{

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The short form of a path that exists, built the way GetShortPathNameA builds it: the prefix and every
// component that is already 8.3 stay as written, the others become the short names of their entries.
bool ShortForm(Runtime& rt, const std::string& text, std::string& result)
{
    const std::string cwd = CurrentDirectory::Get(rt);
    size_t position = 0;
    if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':')
        position = 2;
    while (position < text.size() && IsSeparator(text[position]))
        ++position;
    result = text.substr(0, position);
    for (char& c : result)
    {
        if (c == '/')
            c = '\\';
    }
    // Where the components are looked up: the prefix, or the current directory ("C:" alone is relative).
    std::string walked = result.empty() ? std::string(".") : result.size() == 2 ? result + "." : result;
    bool first = true;
    while (position < text.size())
    {
        size_t end = position;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        std::string component = text.substr(position, end - position);
        std::string shown = component;
        if (component != "." && component != ".." && !FileNameRules::Is83(component))
        {
            std::string folderPath;
            std::string entryPath;
            WinPath folder;
            if (!PathResolver::Normalize(walked, cwd, folderPath) ||
                !PathResolver::Normalize(walked + "\\" + component, cwd, entryPath) ||
                !PathArgument::ResolveFull(rt, folderPath, folder))
                return false;
            std::vector<ListingEntry> entries;
            const ListingEntry* entry = nullptr;
            if (DirectoryListing::Read(folder, entries))
                entry = DirectoryListing::Find(entries, entryPath.substr(entryPath.rfind('\\') + 1));
            if (!entry)
                return false;
            shown = entry->shortName.empty() ? entry->name : entry->shortName;
        }
        if (!first)
            result += '\\';
        result += shown;
        first = false;
        walked += "\\" + component;
        position = end;
        while (position < text.size() && IsSeparator(text[position]))
            ++position;
        if (position == text.size() && end < text.size())
            result += '\\';
    }
    return true;
}

} // namespace

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    return ApiBuffers::CopyPath(rt->Identity().windowsDir, lpBuffer, uSize);
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    return ApiBuffers::CopyPath(rt->Identity().systemDir, lpBuffer, uSize);
}

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    std::string temp = rt->Identity().tempDir;
    if (temp.empty() || temp.back() != '\\')
        temp += '\\';
    return ApiBuffers::CopyPath(temp, lpBuffer, nBufferLength);
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    return ApiBuffers::CopyPath(CurrentDirectory::Get(*rt), lpBuffer, nBufferLength);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpPathName, target))
        return FALSE;
    if (target.kind == EntryKind::Missing || target.kind == EntryKind::NoParent)
    {
        SetLastError(PathArgument::NotFoundError(target));
        return FALSE;
    }
    if (target.kind == EntryKind::File)
    {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    CurrentDirectory::Set(*rt, target.path);
    return TRUE;
}

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpFileName)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string full;
    if (!PathResolver::FullPath(lpFileName, CurrentDirectory::Get(*rt), full))
    {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    if (lpFilePart)
        *lpFilePart = nullptr;
    DWORD result = ApiBuffers::CopyPath(full, lpBuffer, nBufferLength);
    if (result < nBufferLength && lpFilePart && full.back() != '\\')
        *lpFilePart = lpBuffer + full.rfind('\\') + 1;
    return result;
}

DWORD WINAPI GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpszLongPath || !*lpszLongPath)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpszLongPath, target))
        return 0;
    std::string shortPath;
    if (target.kind == EntryKind::Missing || target.kind == EntryKind::NoParent ||
        !ShortForm(*rt, lpszLongPath, shortPath))
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return ApiBuffers::CopyPath(shortPath, lpszShortPath, cchBuffer);
}
