#include "FileOpener.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "AttributeTable.h"
#include "RunningImages.h"
#include "ShareTable.h"
#include "WriteProtection.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "windows.h"

namespace winsim
{

namespace
{

bool Wants(uint32_t access, uint32_t bits)
{
    return (access & bits) != 0;
}

// A folder handle: only with FILE_FLAG_BACKUP_SEMANTICS, and only to open it.
std::shared_ptr<FileObject> OpenFolder(Runtime& runtime, const WinPath& target, const OpenRequest& request,
                                       uint32_t& error)
{
    if (request.disposition == CREATE_NEW)
    {
        error = ERROR_FILE_EXISTS;
        return nullptr;
    }
    const bool changes = (request.flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) ||
                         Wants(FileOpener::ShareBitsOf(request.access), ShareTable::kWrite | ShareTable::kDelete);
    if (changes && WriteProtection(runtime.GetMachine().GetStore()).Refuses(target))
    {
        error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    if (!(request.flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) ||
        (request.disposition != OPEN_EXISTING && request.disposition != OPEN_ALWAYS))
    {
        error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    FileOpen open;
    open.target = target;
    open.canRead = Wants(FileOpener::ShareBitsOf(request.access), ShareTable::kRead);
    open.deleteOnClose = (request.flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    uint32_t bits = FileOpener::ShareBitsOf(request.access) & ~ShareTable::kWrite;
    if (open.deleteOnClose)
        bits |= ShareTable::kDelete;
    open.shareToken = ShareTable::Instance().Acquire(target.shareKey, bits, request.shareMode & 7, open.deleteOnClose);
    if (!open.shareToken)
    {
        error = ERROR_SHARING_VIOLATION;
        return nullptr;
    }
    return std::make_shared<FileObject>(open);
}

} // namespace

uint32_t FileOpener::ShareBitsOf(uint32_t access)
{
    uint32_t bits = 0;
    if (Wants(access, GENERIC_READ | GENERIC_ALL | MAXIMUM_ALLOWED | FILE_READ_DATA))
        bits |= ShareTable::kRead;
    if (Wants(access, GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED | FILE_WRITE_DATA | FILE_APPEND_DATA))
        bits |= ShareTable::kWrite;
    if (Wants(access, DELETE | GENERIC_ALL))
        bits |= ShareTable::kDelete;
    return bits;
}

std::shared_ptr<FileObject> FileOpener::Open(Runtime& runtime, const WinPath& target, const OpenRequest& request,
                                             bool& existed, uint32_t& error)
{
    existed = target.kind == EntryKind::File || target.kind == EntryKind::Folder;
    if (target.kind == EntryKind::NoParent)
    {
        error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    if (target.kind == EntryKind::Folder)
        return OpenFolder(runtime, target, request, error);

    const uint32_t disposition = request.disposition;
    const bool deleteOnClose = (request.flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    uint32_t bits = ShareBitsOf(request.access);
    if (deleteOnClose)
        bits |= ShareTable::kDelete;
    const bool canWrite = Wants(bits, ShareTable::kWrite);
    if (existed && disposition == CREATE_NEW)
    {
        error = ERROR_FILE_EXISTS;
        return nullptr;
    }
    if (!existed && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
    {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    if (disposition == TRUNCATE_EXISTING && !canWrite)
    {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }

    Store& store = runtime.GetMachine().GetStore();
    AttributeTable table(store);
    const uint32_t requested = request.flagsAndAttributes & AttributeTable::kSettable;
    const bool truncate = existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    // Access is checked before the file's own attributes and the share modes, as Windows does.
    const bool changes = !existed || truncate || Wants(bits, ShareTable::kWrite | ShareTable::kDelete);
    if (changes && WriteProtection(store).Refuses(target))
    {
        error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    AttributeTable::Row row = existed ? table.Get(target.upath) : AttributeTable::Row{};
    if (existed)
    {
        const uint32_t attrs = row.attrs;
        if ((attrs & FILE_ATTRIBUTE_READONLY) && (canWrite || deleteOnClose || truncate))
        {
            error = ERROR_ACCESS_DENIED;
            return nullptr;
        }
        // Overwriting a hidden or system file needs the same attributes asked for.
        const uint32_t guarded = attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (disposition == CREATE_ALWAYS && (requested & guarded) != guarded)
        {
            error = ERROR_ACCESS_DENIED;
            return nullptr;
        }
    }

    // A running program's image is mapped: reading it works, changing it does not.
    if (existed && (canWrite || truncate || deleteOnClose) && RunningImages::IsImage(runtime, target.upath))
    {
        error = deleteOnClose ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION;
        return nullptr;
    }

    FileOpen open;
    open.target = target;
    open.canRead = Wants(bits, ShareTable::kRead);
    open.canWrite = canWrite;
    open.deleteOnClose = deleteOnClose;
    open.shareToken = ShareTable::Instance().Acquire(target.shareKey, bits, request.shareMode & 7, deleteOnClose);
    if (!open.shareToken)
    {
        error = ERROR_SHARING_VIOLATION;
        return nullptr;
    }
    int flags = O_CLOEXEC | (canWrite || truncate ? O_RDWR : O_RDONLY);
    if (!existed)
        flags |= O_CREAT | O_EXCL;
    if (truncate)
        flags |= O_TRUNC;
    open.fd = ::open(target.host.c_str(), flags, 0666);
    if (open.fd < 0)
    {
        error = HostDrive::ErrorFromErrno(errno);
        ShareTable::Instance().Release(target.shareKey, open.shareToken);
        return nullptr;
    }

    const uint64_t now = runtime.GetClock().NowMs();
    // An overwrite that keeps the attributes records its write time when the handle closes.
    if (!existed || (disposition == CREATE_ALWAYS && row.attrs != requested))
    {
        Transaction txn(store);
        row.attrs = requested;
        row.writeMs = static_cast<int64_t>(now);
        if (!existed)
            row.creationMs = static_cast<int64_t>(now);
        table.Put(target.upath, row);
        if (!existed)
            Journal::Record("file", "create", target.actual);
        txn.Commit();
    }
    auto object = std::make_shared<FileObject>(open);
    if (truncate)
        object->MarkWritten(now);
    return object;
}

} // namespace winsim
