// KERNEL32 folder searches: FindFirstFileA, FindNextFileA, FindClose.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/ApiBuffers.h"
#include "files/AttributeTable.h"
#include "files/CurrentDirectory.h"
#include "files/DirectoryListing.h"
#include "files/FileNameRules.h"
#include "files/FindObject.h"
#include "files/NameCase.h"
#include "files/PathArgument.h"
#include "files/PathResolver.h"
#include "files/WildcardPattern.h"
#include "windows.h"

using namespace winsim;

namespace
{

WIN32_FIND_DATAA FindDataOf(const std::string& name, const std::string& shortName, const FileFacts& facts)
{
    WIN32_FIND_DATAA data;
    std::memset(&data, 0, sizeof(data));
    data.dwFileAttributes = facts.attributes;
    data.ftCreationTime = ApiBuffers::ToFileTime(facts.creationMs);
    data.ftLastAccessTime = ApiBuffers::ToFileTime(facts.writeMs);
    data.ftLastWriteTime = ApiBuffers::ToFileTime(facts.writeMs);
    data.nFileSizeHigh = static_cast<DWORD>(facts.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(facts.size & 0xFFFFFFFFu);
    std::strncpy(data.cFileName, name.c_str(), sizeof(data.cFileName) - 1);
    std::strncpy(data.cAlternateFileName, shortName.c_str(), sizeof(data.cAlternateFileName) - 1);
    return data;
}

// Splits "folder\mask" the way FindFirstFileA does: the mask is taken as written (so "*." keeps its dot).
void SplitPattern(const std::string& text, std::string& folder, std::string& mask)
{
    size_t separator = text.find_last_of("\\/");
    if (separator != std::string::npos)
    {
        folder = text.substr(0, separator + 1);
        mask = text.substr(separator + 1);
    }
    else if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':')
    {
        folder = text.substr(0, 2);
        mask = text.substr(2);
    }
    else
    {
        folder = ".";
        mask = text;
    }
}

// The matching entries of a folder: "." and ".." first (a drive root has neither), then the listing.
// A name matches through its long name or its short name, as on Windows.
bool Search(Runtime& rt, const WinPath& folder, const std::string& mask, std::vector<WIN32_FIND_DATAA>& found)
{
    AttributeTable table(rt.GetMachine().GetStore());
    WildcardPattern pattern(mask);
    if (!folder.IsRoot())
    {
        if (pattern.Matches("."))
            found.push_back(FindDataOf(".", "", table.Describe(folder.upath, folder.stat)));
        WinPath parent;
        std::string parentPath = folder.path.substr(0, std::max<size_t>(3, folder.path.rfind('\\')));
        if (pattern.Matches("..") && PathArgument::ResolveFull(rt, parentPath, parent))
            found.push_back(FindDataOf("..", "", table.Describe(parent.upath, parent.stat)));
    }
    std::vector<ListingEntry> entries;
    if (!DirectoryListing::Read(folder, entries))
        return false;
    for (const ListingEntry& entry : entries)
    {
        if (!pattern.Matches(entry.name) && (entry.shortName.empty() || !pattern.Matches(entry.shortName)))
            continue;
        std::string upath = NameCase::Upper(DirectoryListing::Join(folder.path, entry.name));
        found.push_back(FindDataOf(entry.name, entry.shortName, table.Describe(upath, entry.stat)));
    }
    return true;
}

} // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_HANDLE_VALUE);
    if (!lpFileName || !lpFindFileData)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string text = lpFileName;
    if (text.empty())
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (text.size() >= MAX_PATH)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    std::string folderText;
    std::string mask;
    SplitPattern(text, folderText, mask);
    // A pattern ending in a backslash names no file.
    if (mask.empty())
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string full;
    WinPath folder;
    if (!PathResolver::Normalize(folderText, CurrentDirectory::Get(*rt), full))
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!PathArgument::ResolveFull(*rt, full, folder))
        return INVALID_HANDLE_VALUE;
    if (!FileNameRules::IsValidComponent(mask, true))
    {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<WIN32_FIND_DATAA> found;
    if (folder.kind != EntryKind::Folder || !Search(*rt, folder, mask, found))
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (found.empty())
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FindObject>(std::move(found));
    search->Next(*lpFindFileData);
    return rt->Handles().Insert(search);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto search = std::dynamic_pointer_cast<FindObject>(rt->Handles().Lookup(hFindFile, ObjectKind::FindFile));
    if (!search)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpFindFileData)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!search->Next(*lpFindFileData))
    {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!rt->Handles().Lookup(hFindFile, ObjectKind::FindFile) || !rt->Handles().Close(hFindFile))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
