#include "ApiBuffers.h"

#include <algorithm>
#include <cstring>

namespace winsim
{

DWORD ApiBuffers::CopyPath(const std::string& text, char* buffer, DWORD size)
{
    if (!buffer || size <= text.size())
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

DWORD ApiBuffers::CopyTruncated(const std::string& text, char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    size_t length = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

DWORD ApiBuffers::CopyList(const std::vector<std::string>& items, char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (size == 1)
    {
        buffer[0] = '\0';
        return 0;
    }
    std::string joined;
    for (const std::string& item : items)
    {
        joined += item;
        joined += '\0';
    }
    // As on Windows, a list that fills the buffer exactly counts as cut: the result must stay below size-1.
    if (joined.size() + 2 <= size)
    {
        std::memcpy(buffer, joined.data(), joined.size());
        buffer[joined.size()] = '\0';
        if (items.empty())
            buffer[1] = '\0'; // an empty list reads as "\0\0"
        return static_cast<DWORD>(joined.size());
    }
    std::memcpy(buffer, joined.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

FILETIME ApiBuffers::ToFileTime(uint64_t ms)
{
    const uint64_t ticks = ms * 10000;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

} // namespace winsim
