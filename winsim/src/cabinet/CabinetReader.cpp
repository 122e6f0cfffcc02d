#include "CabinetReader.h"

#include "windows.h"

namespace winsim
{

CabinetReader::CabinetReader(CabinetIo& io) : m_io(io)
{
    // libmspack's input buffer stays at its 4 KB: the decompressors read ahead by up to that much, and a
    // larger one would find a damaged block while the files well before it are still being extracted.
    m_decompressor = mspack_create_cab_decompressor(io.System());
}

CabinetReader::~CabinetReader()
{
    if (!m_decompressor)
        return;
    // Closing the first cabinet frees the whole joined set.
    if (m_first)
        m_decompressor->close(m_decompressor, m_first);
    mspack_destroy_cab_decompressor(m_decompressor);
}

const char* CabinetReader::Keep(const std::string& path)
{
    m_paths.push_back(std::make_unique<std::string>(path));
    return m_paths.back()->c_str();
}

uint32_t CabinetReader::ErrorOf(int code) const
{
    switch (code)
    {
    case MSPACK_ERR_OK:
        return 0;
    case MSPACK_ERR_NOMEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    case MSPACK_ERR_OPEN:
        return m_io.LastError() ? m_io.LastError() : static_cast<uint32_t>(ERROR_FILE_NOT_FOUND);
    case MSPACK_ERR_WRITE:
        return m_io.LastError() ? m_io.LastError() : static_cast<uint32_t>(ERROR_WRITE_FAULT);
    case MSPACK_ERR_READ:
    case MSPACK_ERR_SEEK:
        // A cabinet that ends early reads short without any call failing.
        return m_io.LastError() ? m_io.LastError() : static_cast<uint32_t>(ERROR_INVALID_DATA);
    default:
        // Bad signature, tables, checksums or compressed data.
        return ERROR_INVALID_DATA;
    }
}

uint32_t CabinetReader::Open(const std::string& path)
{
    if (!m_decompressor)
        return ERROR_NOT_ENOUGH_MEMORY;
    m_io.ClearError();
    mscabd_cabinet* cabinet = m_decompressor->open(m_decompressor, Keep(path));
    if (!cabinet)
        return ErrorOf(m_decompressor->last_error(m_decompressor));
    m_first = m_last = cabinet;
    for (mscabd_file* file = cabinet->files; file; file = file->next)
        m_files.push_back(file);
    return 0;
}

uint32_t CabinetReader::Extract(size_t index, const std::string& target)
{
    m_io.ClearError();
    return ErrorOf(m_decompressor->extract(m_decompressor, m_files[index], target.c_str()));
}

uint32_t CabinetReader::Append(const std::string& path)
{
    m_io.ClearError();
    mscabd_cabinet* next = m_decompressor->open(m_decompressor, Keep(path));
    if (!next)
        return ErrorOf(m_decompressor->last_error(m_decompressor));
    const int joined = m_decompressor->append(m_decompressor, m_last, next);
    if (joined != MSPACK_ERR_OK)
    {
        m_decompressor->close(m_decompressor, next);
        return ErrorOf(joined);
    }
    m_last = next;
    return 0;
}

} // namespace winsim
