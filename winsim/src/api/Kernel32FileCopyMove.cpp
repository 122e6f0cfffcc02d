// KERNEL32 copying, moving and deleting files: CopyFileA, DeleteFileA, MoveFileA, MoveFileExA.
#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/AttributeTable.h"
#include "files/DelayedMoves.h"
#include "files/PathArgument.h"
#include "files/RunningImages.h"
#include "files/ShareTable.h"
#include "files/WriteProtection.h"
#include "windows.h"

using namespace winsim;

namespace
{

constexpr uint32_t kShareAll = ShareTable::kRead | ShareTable::kWrite | ShareTable::kDelete;

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// A source that must be an existing file or folder.
bool SourceExists(const WinPath& source)
{
    if (source.kind == EntryKind::File || source.kind == EntryKind::Folder)
        return true;
    SetLastError(PathArgument::NotFoundError(source));
    return false;
}

bool IsReadOnly(AttributeTable& table, const WinPath& path)
{
    return (table.Get(path.upath).attrs & FILE_ATTRIBUTE_READONLY) != 0;
}

BOOL MoveNow(Runtime& rt, const WinPath& source, const WinPath& target, DWORD flags)
{
    if (!SourceExists(source))
        return FALSE;
    if (target.kind == EntryKind::NoParent)
        return Fail(ERROR_PATH_NOT_FOUND);
    // A folder moved carries along whatever is below it, a protected folder included.
    WriteProtection protection(rt.GetMachine().GetStore());
    const auto sourceReach =
        source.kind == EntryKind::Folder ? WriteProtection::Reach::Tree : WriteProtection::Reach::Entry;
    if (protection.Refuses(source, sourceReach) || protection.Refuses(target))
        return Fail(ERROR_ACCESS_DENIED);
    ShareTable& shares = ShareTable::Instance();
    if (source.kind == EntryKind::File && shares.Conflicts(source.shareKey, ShareTable::kDelete, kShareAll))
        return Fail(ERROR_SHARING_VIOLATION);
    // A running program's image may be renamed, but not the folder it is in.
    if (source.kind == EntryKind::Folder &&
        (shares.AnyOpenAtOrBelow(source.shareKey) || RunningImages::AnyBelow(rt, source.upath)))
        return Fail(ERROR_ACCESS_DENIED);
    // A folder cannot go below itself.
    if (target.upath.compare(0, source.upath.size() + 1, source.upath + "\\") == 0)
        return Fail(ERROR_SHARING_VIOLATION);

    Store& store = rt.GetMachine().GetStore();
    AttributeTable table(store);
    // Renaming to the same name in another case is a rename of the entry itself.
    const bool sameEntry = source.upath == target.upath;
    if (!sameEntry && target.kind != EntryKind::Missing)
    {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return Fail(ERROR_ALREADY_EXISTS);
        if (target.kind == EntryKind::Folder || source.kind == EntryKind::Folder || IsReadOnly(table, target) ||
            shares.Conflicts(target.shareKey, ShareTable::kDelete, kShareAll) ||
            RunningImages::IsImage(rt, target.upath))
            return Fail(ERROR_ACCESS_DENIED);
    }
    const std::string hostTarget = sameEntry ? source.HostParent() + "/" + target.Name() : target.host;
    if (std::rename(source.host.c_str(), hostTarget.c_str()) != 0)
        return Fail(HostDrive::ErrorFromErrno(errno));

    Transaction txn(store);
    table.MoveTree(source.upath, target.upath);
    shares.Rename(source.shareKey, target.shareKey);
    Journal::Record("file", "move", source.actual, sameEntry ? target.path : target.actual);
    txn.Commit();
    return TRUE;
}

} // namespace

BOOL WINAPI DeleteFileA(LPCSTR lpFileName)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpFileName, target) || !SourceExists(target))
        return FALSE;
    Store& store = rt->GetMachine().GetStore();
    AttributeTable table(store);
    if (target.kind == EntryKind::Folder || WriteProtection(store).Refuses(target) || IsReadOnly(table, target))
        return Fail(ERROR_ACCESS_DENIED);
    if (ShareTable::Instance().Conflicts(target.shareKey, ShareTable::kDelete, kShareAll))
        return Fail(ERROR_SHARING_VIOLATION);
    // A running program's image cannot be deleted: Windows answers "access denied".
    if (RunningImages::IsImage(*rt, target.upath))
        return Fail(ERROR_ACCESS_DENIED);
    if (unlink(target.host.c_str()) != 0)
        return Fail(HostDrive::ErrorFromErrno(errno));
    Transaction txn(store);
    table.RemoveTree(target.upath);
    Journal::Record("file", "delete", target.actual);
    txn.Commit();
    return TRUE;
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    WinPath source;
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpExistingFileName, source) || !SourceExists(source))
        return FALSE;
    if (source.kind == EntryKind::Folder)
        return Fail(ERROR_ACCESS_DENIED);
    if (!PathArgument::Resolve(*rt, lpNewFileName, target, PathArgument::kSecondName))
        return FALSE;
    if (target.kind == EntryKind::NoParent)
        return Fail(ERROR_PATH_NOT_FOUND);
    Store& store = rt->GetMachine().GetStore();
    AttributeTable table(store);
    ShareTable& shares = ShareTable::Instance();
    // The source is read sharing only reads; the target is written sharing nothing.
    if (shares.Conflicts(source.shareKey, ShareTable::kRead, ShareTable::kRead))
        return Fail(ERROR_SHARING_VIOLATION);
    if (target.kind == EntryKind::Folder)
        return Fail(ERROR_ACCESS_DENIED);
    if (target.kind == EntryKind::File && bFailIfExists)
        return Fail(ERROR_FILE_EXISTS);
    if (WriteProtection(store).Refuses(target))
        return Fail(ERROR_ACCESS_DENIED);
    if (target.kind == EntryKind::File)
    {
        if (source.upath == target.upath)
            return Fail(ERROR_SHARING_VIOLATION);
        if (IsReadOnly(table, target))
            return Fail(ERROR_ACCESS_DENIED);
    }
    if (shares.Conflicts(target.shareKey, ShareTable::kWrite, 0) ||
        (target.kind == EntryKind::File && RunningImages::IsImage(*rt, target.upath)))
        return Fail(ERROR_SHARING_VIOLATION);
    if (!HostDrive::CopyData(source.host, target.host))
        return Fail(HostDrive::ErrorFromErrno(errno));

    // The copy keeps the source's attributes and last-write time; it is created now.
    Transaction txn(store);
    FileFacts facts = table.Describe(source.upath, source.stat);
    AttributeTable::Row row;
    row.attrs = table.Get(source.upath).attrs;
    row.writeMs = static_cast<int64_t>(facts.writeMs);
    row.creationMs = target.kind == EntryKind::File
                         ? static_cast<int64_t>(table.Describe(target.upath, target.stat).creationMs)
                         : static_cast<int64_t>(rt->GetClock().NowMs());
    table.Put(target.upath, row);
    Journal::Record("file", "copy", target.actual, source.actual);
    txn.Commit();
    return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    WinPath source;
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpExistingFileName, source) ||
        !PathArgument::Resolve(*rt, lpNewFileName, target, PathArgument::kSecondName))
        return FALSE;
    return MoveNow(*rt, source, target, MOVEFILE_COPY_ALLOWED);
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(FALSE);
    // Windows 9x has no MoveFileExA; programs write WININIT.INI there themselves.
    if (!rt->Identity().IsNT())
        return Fail(ERROR_CALL_NOT_IMPLEMENTED);
    WinPath source;
    if (!PathArgument::Resolve(*rt, lpExistingFileName, source))
        return FALSE;
    if (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT)
    {
        if (dwFlags & MOVEFILE_COPY_ALLOWED)
            return Fail(ERROR_INVALID_PARAMETER);
        WinPath target;
        if (lpNewFileName && !PathArgument::Resolve(*rt, lpNewFileName, target, PathArgument::kSecondName))
            return FALSE;
        // The registry functions run their own transactions.
        LONG rc = DelayedMoves::Record(source.path, target.path, (dwFlags & MOVEFILE_REPLACE_EXISTING) != 0);
        if (rc != ERROR_SUCCESS)
            return Fail(static_cast<DWORD>(rc));
        Journal::Record("file", "delay-move", source.path, target.path);
        return TRUE;
    }
    if (!lpNewFileName)
        return Fail(ERROR_INVALID_PARAMETER);
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpNewFileName, target, PathArgument::kSecondName))
        return FALSE;
    return MoveNow(*rt, source, target, dwFlags);
}
