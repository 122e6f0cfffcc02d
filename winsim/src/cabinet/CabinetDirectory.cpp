#include "CabinetDirectory.h"

#include <algorithm>
#include <cstring>

#include "windows.h"

namespace winsim
{

namespace
{

// Header flags.
constexpr uint16_t kPrevCabinet = 0x0001;
constexpr uint16_t kNextCabinet = 0x0002;
constexpr uint16_t kReservePresent = 0x0004;
constexpr size_t kHeaderSize = 36;
constexpr size_t kFolderSize = 8;
constexpr size_t kFileSize = 16;
constexpr size_t kDataHeaderSize = 8;
// Names and disk labels are at most 255 bytes and their NUL.
constexpr size_t kMaxString = 256;

uint16_t U16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t U32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
           (static_cast<uint32_t>(at[3]) << 24);
}

// The cabinet's bytes, read through a window: the tables are small and read front to back.
class ByteWindow
{
public:
    ByteWindow(HANDLE handle, uint64_t size) : m_handle(handle), m_size(size) {}

    // The n bytes at a position; null past the end of the file.
    const uint8_t* At(uint64_t position, size_t count)
    {
        if (position + count > m_size)
            return nullptr;
        if (position < m_start || position + count > m_start + m_bytes.size())
        {
            const size_t want =
                static_cast<size_t>(std::min<uint64_t>(std::max<size_t>(count, 64 * 1024), m_size - position));
            m_bytes.resize(want);
            LONG high = static_cast<LONG>(position >> 32);
            DWORD done = 0;
            if (SetFilePointer(m_handle, static_cast<LONG>(position & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
                    INVALID_SET_FILE_POINTER &&
                GetLastError() != NO_ERROR)
                return nullptr;
            if (!ReadFile(m_handle, m_bytes.data(), static_cast<DWORD>(want), &done, nullptr) || done < count)
                return nullptr;
            m_bytes.resize(done);
            m_start = position;
        }
        return m_bytes.data() + (position - m_start);
    }

    // A NUL-terminated string at a position, which moves past it.
    bool String(uint64_t& position, std::string& text)
    {
        const size_t room = static_cast<size_t>(std::min<uint64_t>(kMaxString, m_size - std::min(position, m_size)));
        const uint8_t* bytes = room ? At(position, room) : nullptr;
        if (!bytes)
            return false;
        const auto* end = static_cast<const uint8_t*>(std::memchr(bytes, 0, room));
        if (!end || end == bytes)
            return false;
        text.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(end - bytes));
        position += text.size() + 1;
        return true;
    }

private:
    HANDLE m_handle;
    uint64_t m_size;
    std::vector<uint8_t> m_bytes;
    uint64_t m_start = 0;
};

struct Reserve
{
    size_t folder = 0;
    size_t data = 0;
};

} // namespace

bool CabinetDirectory::StartsEarlier(const CabinetEntry& entry)
{
    return entry.folder == kContinuedFromPrev || entry.folder == kContinuedPrevAndNext;
}

bool CabinetDirectory::SplitBlock(uint64_t& position) const
{
    position = m_splitBlock;
    return m_splitBlock != 0;
}

uint32_t CabinetDirectory::Read(const std::string& path)
{
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD high = 0;
    const DWORD low = GetFileSize(handle, &high);
    ByteWindow bytes(handle, (static_cast<uint64_t>(high) << 32) | low);
    bool ok = false;
    do
    {
        const uint8_t* header = bytes.At(0, kHeaderSize);
        if (!header || std::memcmp(header, "MSCF", 4) != 0)
            break;
        const uint32_t filesAt = U32(header + 16);
        const uint16_t folderCount = U16(header + 26);
        const uint16_t fileCount = U16(header + 28);
        const uint16_t flags = U16(header + 30);
        m_setId = U16(header + 32);
        m_index = U16(header + 34);
        m_hasNext = (flags & kNextCabinet) != 0;

        uint64_t position = kHeaderSize;
        Reserve reserve;
        if (flags & kReservePresent)
        {
            const uint8_t* sizes = bytes.At(position, 4);
            if (!sizes)
                break;
            reserve.folder = sizes[2];
            reserve.data = sizes[3];
            position += 4 + U16(sizes);
        }
        std::string previous;
        if ((flags & kPrevCabinet) && (!bytes.String(position, previous) || !bytes.String(position, previous)))
            break;
        if (m_hasNext && (!bytes.String(position, m_nextName) || !bytes.String(position, m_nextDisk)))
            break;

        uint32_t lastFolderData = 0;
        uint16_t lastFolderBlocks = 0;
        bool folders = true;
        for (uint16_t i = 0; i < folderCount && folders; ++i, position += kFolderSize + reserve.folder)
        {
            const uint8_t* folder = bytes.At(position, kFolderSize);
            folders = folder != nullptr;
            if (folder)
            {
                lastFolderData = U32(folder);
                lastFolderBlocks = U16(folder + 4);
            }
        }
        if (!folders || folderCount == 0)
            break;

        position = filesAt;
        m_files.clear();
        m_files.reserve(fileCount);
        for (uint16_t i = 0; i < fileCount; ++i)
        {
            const uint8_t* file = bytes.At(position, kFileSize);
            if (!file)
                break;
            CabinetEntry entry;
            entry.size = U32(file);
            entry.offset = U32(file + 4);
            entry.folder = U16(file + 8);
            entry.date = U16(file + 10);
            entry.time = U16(file + 12);
            entry.attribs = U16(file + 14);
            position += kFileSize;
            if (!bytes.String(position, entry.name))
                break;
            m_files.push_back(std::move(entry));
        }
        if (m_files.size() != fileCount || fileCount == 0)
            break;

        // The block split with the next cabinet is the last of the last folder, and decompresses to nothing
        // on its own: its uncompressed size is in the next cabinet's part.
        m_splitBlock = 0;
        ok = true;
        position = lastFolderData;
        for (uint16_t i = 0; m_hasNext && i < lastFolderBlocks; ++i)
        {
            const uint8_t* block = bytes.At(position, kDataHeaderSize);
            if (!block)
            {
                ok = false;
                break;
            }
            if (i + 1 == lastFolderBlocks && U16(block + 6) == 0)
                m_splitBlock = position;
            position += kDataHeaderSize + reserve.data + U16(block + 4);
        }
    } while (false);
    CloseHandle(handle);
    return ok ? 0 : static_cast<uint32_t>(ERROR_INVALID_DATA);
}

} // namespace winsim
