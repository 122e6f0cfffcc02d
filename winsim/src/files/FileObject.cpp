#include "FileObject.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "AttributeTable.h"
#include "ShareTable.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "windows.h"

namespace winsim
{

FileObject::~FileObject()
{
    if (m_open.fd >= 0)
        close(m_open.fd);
    const WinPath& target = m_open.target;
    bool deleteNow = ShareTable::Instance().Release(target.shareKey, m_open.shareToken);
    Runtime* rt = Runtime::Current();
    if (!rt || (!m_wrote && !deleteNow))
        return;
    Store& store = rt->GetMachine().GetStore();
    Transaction txn(store);
    AttributeTable table(store);
    if (m_wrote)
    {
        // A file deleted while open (shared for deletion) keeps no row.
        if (HostDrive::Stat(target.host).exists)
            table.SetWriteTime(target.upath, m_writeMs);
        Journal::Record("file", "write", target.actual);
    }
    if (deleteNow)
    {
        int rc = IsFolder() ? rmdir(target.host.c_str()) : unlink(target.host.c_str());
        if (rc == 0)
        {
            table.RemoveTree(target.upath);
            Journal::Record("file", IsFolder() ? "rmdir" : "delete", target.actual);
        }
    }
    txn.Commit();
}

std::shared_ptr<FileObject> FileObject::FromHandle(Runtime& runtime, const void* handle)
{
    return std::dynamic_pointer_cast<FileObject>(runtime.Handles().Lookup(handle, ObjectKind::File));
}

uint32_t FileObject::Read(void* buffer, uint32_t size, uint32_t& done)
{
    done = 0;
    if (IsFolder())
        return ERROR_INVALID_FUNCTION;
    if (!m_open.canRead)
        return ERROR_ACCESS_DENIED;
    if (m_open.nullDevice)
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto* out = static_cast<char*>(buffer);
    while (done < size)
    {
        ssize_t got = pread(m_open.fd, out + done, size - done, static_cast<off_t>(m_position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ERROR_READ_FAULT;
        if (got == 0)
            break;
        done += static_cast<uint32_t>(got);
        m_position += static_cast<uint64_t>(got);
    }
    return 0;
}

uint32_t FileObject::Write(const void* data, uint32_t size, uint32_t& done, uint64_t nowMs)
{
    done = 0;
    if (IsFolder())
        return ERROR_INVALID_FUNCTION;
    if (!m_open.canWrite)
        return ERROR_ACCESS_DENIED;
    if (m_open.nullDevice)
    {
        done = size;
        return 0;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto* in = static_cast<const char*>(data);
    while (done < size)
    {
        ssize_t put = pwrite(m_open.fd, in + done, size - done, static_cast<off_t>(m_position));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
        done += static_cast<uint32_t>(put);
        m_position += static_cast<uint64_t>(put);
    }
    if (size > 0)
    {
        m_wrote = true;
        m_writeMs = nowMs;
    }
    return 0;
}

uint32_t FileObject::Seek(int64_t distance, uint32_t method, uint64_t limit, uint64_t& position)
{
    // The null device has no position: every move lands on 0.
    if (m_open.nullDevice)
    {
        position = 0;
        return method <= FILE_END ? 0 : ERROR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    int64_t base = 0;
    if (method == FILE_CURRENT)
        base = static_cast<int64_t>(m_position);
    else if (method == FILE_END)
    {
        struct stat info
        {
        };
        if (m_open.fd >= 0 && fstat(m_open.fd, &info) == 0)
            base = info.st_size;
    }
    else if (method != FILE_BEGIN)
        return ERROR_INVALID_PARAMETER;
    int64_t target = base + distance;
    if (target < 0)
        return ERROR_NEGATIVE_SEEK;
    if (static_cast<uint64_t>(target) > limit)
        return ERROR_INVALID_PARAMETER;
    m_position = static_cast<uint64_t>(target);
    position = m_position;
    return 0;
}

uint32_t FileObject::SetEnd(uint64_t nowMs)
{
    if (IsFolder())
        return ERROR_INVALID_FUNCTION;
    if (!m_open.canWrite)
        return ERROR_ACCESS_DENIED;
    if (m_open.nullDevice)
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (ftruncate(m_open.fd, static_cast<off_t>(m_position)) != 0)
        return errno == ENOSPC || errno == EFBIG ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED;
    m_wrote = true;
    m_writeMs = nowMs;
    return 0;
}

uint32_t FileObject::Size(uint64_t& size)
{
    size = 0;
    struct stat info
    {
    };
    if (m_open.fd >= 0)
    {
        if (fstat(m_open.fd, &info) != 0)
            return ERROR_INVALID_HANDLE;
        size = static_cast<uint64_t>(info.st_size);
    }
    return 0;
}

void FileObject::MarkWritten(uint64_t nowMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wrote = true;
    m_writeMs = nowMs;
}

bool FileObject::WrittenAt(uint64_t& writeMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    writeMs = m_writeMs;
    return m_wrote;
}

} // namespace winsim
