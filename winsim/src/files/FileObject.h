// An open file or folder (a CreateFileA handle), or the null device. Closing the last handle journals one
// "write" if the handle wrote, keeps the last-write time in the store, and carries out
// FILE_FLAG_DELETE_ON_CLOSE. The null device takes every write and reads as empty; nothing is recorded.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "PathArgument.h"
#include "core/KernelObject.h"

namespace winsim
{

class Runtime;

struct FileOpen
{
    WinPath target;
    int fd = -1; // -1 for a folder or the null device
    bool nullDevice = false;
    bool canRead = false;
    bool canWrite = false;
    bool deleteOnClose = false;
    uint64_t shareToken = 0;
};

class FileObject : public KernelObject
{
public:
    explicit FileObject(FileOpen open) : m_open(std::move(open)) {}
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    ObjectKind Kind() const override { return ObjectKind::File; }

    // The open file behind a handle of this process; null for anything else.
    static std::shared_ptr<FileObject> FromHandle(Runtime& runtime, const void* handle);

    const WinPath& Target() const { return m_open.target; }
    bool IsFolder() const { return m_open.fd < 0 && !m_open.nullDevice; }
    bool IsNullDevice() const { return m_open.nullDevice; }
    bool CanRead() const { return m_open.canRead; }
    bool CanWrite() const { return m_open.canWrite; }

    // Each returns 0 or the Win32 error.
    uint32_t Read(void* buffer, uint32_t size, uint32_t& done);
    uint32_t Write(const void* data, uint32_t size, uint32_t& done, uint64_t nowMs);
    // Moves the file pointer; a target beyond `limit` fails with ERROR_INVALID_PARAMETER and moves nothing.
    uint32_t Seek(int64_t distance, uint32_t method, uint64_t limit, uint64_t& position);
    uint32_t SetEnd(uint64_t nowMs);
    uint32_t Size(uint64_t& size);

    // Marks the file as written now (an open that truncated it).
    void MarkWritten(uint64_t nowMs);
    // The last-write time this handle gave the file, if it wrote.
    bool WrittenAt(uint64_t& writeMs);

private:
    FileOpen m_open;
    std::mutex m_mutex;
    uint64_t m_position = 0;
    bool m_wrote = false;
    uint64_t m_writeMs = 0;
};

} // namespace winsim
