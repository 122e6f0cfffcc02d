#include "CabinetIo.h"

#include <cstdlib>
#include <cstring>

#include "windows.h"

namespace winsim
{

struct CabinetIo::File
{
    CabinetIo* owner;
    HANDLE handle;
    std::string path;
    bool cabinet;
    uint64_t position;
};

CabinetIo::File* CabinetIo::FileOf(mspack_file* handle)
{
    return reinterpret_cast<File*>(handle);
}

CabinetIo::CabinetIo()
{
    m_system.base.open = &Open;
    m_system.base.close = &Close;
    m_system.base.read = &Read;
    m_system.base.write = &Write;
    m_system.base.seek = &Seek;
    m_system.base.tell = &Tell;
    m_system.base.message = &Message;
    m_system.base.alloc = &Alloc;
    m_system.base.free = &Free;
    m_system.base.copy = &Copy;
    m_system.base.null_ptr = nullptr;
    m_system.owner = this;
}

mspack_file* CabinetIo::Open(mspack_system* self, const char* name, int mode)
{
    CabinetIo* io = reinterpret_cast<Table*>(self)->owner;
    // Cabinets are read while others may read them too; an extracted file is written alone, from scratch.
    const bool reading = mode == MSPACK_SYS_OPEN_READ;
    if (!reading && mode != MSPACK_SYS_OPEN_WRITE)
    {
        io->m_lastError = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    HANDLE handle = CreateFileA(name, reading ? GENERIC_READ : GENERIC_WRITE, reading ? FILE_SHARE_READ : 0, nullptr,
                                reading ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
    {
        io->m_lastError = GetLastError();
        return nullptr;
    }
    if (!reading)
        ++io->m_targetsOpened;
    auto* file = new File{io, handle, name, reading, 0};
    return reinterpret_cast<mspack_file*>(file);
}

void CabinetIo::Close(mspack_file* handle)
{
    File* file = FileOf(handle);
    if (!file)
        return;
    if (!CloseHandle(file->handle))
        file->owner->m_lastError = GetLastError();
    delete file;
}

int CabinetIo::Read(mspack_file* handle, void* buffer, int bytes)
{
    File* file = FileOf(handle);
    if (bytes < 0)
        return -1;
    CabinetIo* io = file->owner;
    if (file->cabinet && io->m_readHook && !io->m_readHook(file->path, file->position))
        return -1;
    DWORD done = 0;
    if (!ReadFile(file->handle, buffer, static_cast<DWORD>(bytes), &done, nullptr))
    {
        io->m_lastError = GetLastError();
        return -1;
    }
    file->position += done;
    return static_cast<int>(done);
}

int CabinetIo::Write(mspack_file* handle, void* buffer, int bytes)
{
    File* file = FileOf(handle);
    if (bytes < 0)
        return -1;
    DWORD done = 0;
    if (!WriteFile(file->handle, buffer, static_cast<DWORD>(bytes), &done, nullptr))
    {
        file->owner->m_lastError = GetLastError();
        return -1;
    }
    file->position += done;
    return static_cast<int>(done);
}

int CabinetIo::Seek(mspack_file* handle, off_t offset, int mode)
{
    File* file = FileOf(handle);
    const DWORD method = mode == MSPACK_SYS_SEEK_START ? FILE_BEGIN
                         : mode == MSPACK_SYS_SEEK_CUR ? FILE_CURRENT
                         : mode == MSPACK_SYS_SEEK_END ? FILE_END
                                                       : 0xFFFFFFFFu;
    if (method == 0xFFFFFFFFu)
        return -1;
    const auto distance = static_cast<uint64_t>(static_cast<int64_t>(offset));
    LONG high = static_cast<LONG>(distance >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file->handle, static_cast<LONG>(distance & 0xFFFFFFFFu), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
    {
        file->owner->m_lastError = GetLastError();
        return -1;
    }
    file->position = (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | low;
    return 0;
}

off_t CabinetIo::Tell(mspack_file* handle)
{
    return static_cast<off_t>(FileOf(handle)->position);
}

void CabinetIo::Message(mspack_file* /*handle*/, const char* /*format*/, ...)
{
    // libmspack's warnings (trailing bytes, a cabinet set with odd numbering) change nothing the program sees.
}

void* CabinetIo::Alloc(mspack_system* /*self*/, size_t bytes)
{
    return std::malloc(bytes);
}

void CabinetIo::Free(void* block)
{
    std::free(block);
}

void CabinetIo::Copy(void* source, void* target, size_t bytes)
{
    std::memmove(target, source, bytes);
}

} // namespace winsim
