// KERNEL32 folders and attributes: CreateDirectoryA, RemoveDirectoryA, GetFileAttributesA, SetFileAttributesA.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/AttributeTable.h"
#include "files/CurrentDirectory.h"
#include "files/DosDeviceName.h"
#include "files/NameCase.h"
#include "files/PathArgument.h"
#include "files/ShareTable.h"
#include "files/WriteProtection.h"
#include "windows.h"

using namespace winsim;

namespace
{

// CreateDirectoryA leaves room below a new folder for an 8.3 file name.
constexpr size_t kMaxFolderPath = MAX_PATH - 12;

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpPathName, target))
        return FALSE;
    if (target.path.size() > kMaxFolderPath)
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    if (target.kind == EntryKind::File || target.kind == EntryKind::Folder)
        return Fail(ERROR_ALREADY_EXISTS);
    if (target.kind == EntryKind::NoParent)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (WriteProtection(rt->GetMachine().GetStore()).Refuses(target))
        return Fail(ERROR_ACCESS_DENIED);
    if (mkdir(target.host.c_str(), 0777) != 0)
        return Fail(HostDrive::ErrorFromErrno(errno));
    Journal::Record("file", "mkdir", target.actual);
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpPathName, target))
        return FALSE;
    if (target.kind == EntryKind::Missing || target.kind == EntryKind::NoParent)
        return Fail(PathArgument::NotFoundError(target));
    if (target.kind == EntryKind::File)
        return Fail(ERROR_DIRECTORY);
    Store& store = rt->GetMachine().GetStore();
    AttributeTable table(store);
    if (target.IsRoot() || WriteProtection(store).Refuses(target) ||
        (table.Get(target.upath).attrs & FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED);
    // The process holds its current directory open, sharing no delete.
    if (NameCase::Upper(CurrentDirectory::Get(*rt)) == target.upath ||
        ShareTable::Instance().Conflicts(target.shareKey, ShareTable::kDelete,
                                         ShareTable::kRead | ShareTable::kWrite | ShareTable::kDelete))
        return Fail(ERROR_SHARING_VIOLATION);
    if (!HostDrive::IsEmptyDirectory(target.host))
        return Fail(ERROR_DIR_NOT_EMPTY);
    if (rmdir(target.host.c_str()) != 0)
        return Fail(HostDrive::ErrorFromErrno(errno));
    Transaction txn(store);
    table.RemoveTree(target.upath);
    Journal::Record("file", "rmdir", target.actual);
    txn.Commit();
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_FILE_ATTRIBUTES);
    // A device name answers as an ordinary file that exists, wherever it is written.
    if (lpFileName && std::strlen(lpFileName) < MAX_PATH && DosDeviceName::Of(lpFileName) != DosDevice::None)
        return FILE_ATTRIBUTE_ARCHIVE;
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpFileName, target))
        return INVALID_FILE_ATTRIBUTES;
    if (target.kind == EntryKind::Missing || target.kind == EntryKind::NoParent)
    {
        SetLastError(PathArgument::NotFoundError(target));
        return INVALID_FILE_ATTRIBUTES;
    }
    AttributeTable table(rt->GetMachine().GetStore());
    return table.Describe(target.upath, target.stat).attributes;
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpFileName, target))
        return FALSE;
    if (target.kind == EntryKind::Missing || target.kind == EntryKind::NoParent)
        return Fail(PathArgument::NotFoundError(target));
    Store& store = rt->GetMachine().GetStore();
    if (WriteProtection(store).Refuses(target))
        return Fail(ERROR_ACCESS_DENIED);
    Transaction txn(store);
    AttributeTable table(store);
    // FILE_ATTRIBUTE_NORMAL (alone) clears every attribute; DIRECTORY and the like cannot be set.
    const uint32_t attrs = dwFileAttributes & AttributeTable::kSettable;
    char detail[16];
    std::snprintf(detail, sizeof(detail), "0x%08X", attrs);
    if (!table.SetAttributes(target.upath, attrs))
        return Fail(ERROR_ACCESS_DENIED);
    Journal::Record("file", "attributes", target.actual, detail);
    txn.Commit();
    return TRUE;
}
