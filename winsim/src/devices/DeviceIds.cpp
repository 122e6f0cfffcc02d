#include "DeviceIds.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/ProfileValue.h"
#include "files/NameCase.h"

namespace winsim
{

namespace
{

constexpr size_t kMaxDeviceIdLen = 200;

bool HexField(const std::string& text, size_t at, size_t digits, uint64_t& value)
{
    value = 0;
    for (size_t i = 0; i < digits; ++i)
    {
        const char c = text[at + i];
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c))
                                                       ? c - '0'
                                                       : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
    }
    return true;
}

} // namespace

std::string DeviceIds::Upper(const std::string& text)
{
    return NameCase::Upper(text);
}

bool DeviceIds::IsInstanceId(const std::string& text)
{
    if (text.empty() || text.size() >= kMaxDeviceIdLen || text.find_first_of(" \t,") != std::string::npos)
        return false;
    const size_t first = text.find('\\');
    if (first == std::string::npos || first == 0)
        return false;
    const size_t second = text.find('\\', first + 1);
    return second != std::string::npos && second > first + 1 && second + 1 < text.size() &&
           text.find('\\', second + 1) == std::string::npos;
}

std::string DeviceIds::Enumerator(const std::string& instance)
{
    return instance.substr(0, instance.find('\\'));
}

bool DeviceIds::MatchesEnumerator(const std::string& instance, const std::string& filter)
{
    const std::string upper = Upper(filter);
    const std::string id = Upper(instance);
    return id.size() > upper.size() && id.compare(0, upper.size(), upper) == 0 && id[upper.size()] == '\\';
}

std::vector<uint8_t> DeviceIds::MultiSz(const std::vector<std::string>& ids)
{
    std::vector<uint8_t> data;
    for (const std::string& id : ids)
    {
        data.insert(data.end(), id.begin(), id.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

std::vector<std::string> DeviceIds::SplitMultiSz(const std::vector<uint8_t>& data)
{
    std::vector<std::string> ids;
    size_t start = 0;
    while (start < data.size())
    {
        size_t end = start;
        while (end < data.size() && data[end] != 0)
            ++end;
        if (end == start)
            break;
        ids.emplace_back(reinterpret_cast<const char*>(data.data()) + start, end - start);
        start = end + 1;
    }
    return ids;
}

std::string DeviceIds::CommaList(const std::vector<std::string>& ids)
{
    std::string text;
    for (const std::string& id : ids)
        text += (text.empty() ? "" : ",") + id;
    return text;
}

std::vector<std::string> DeviceIds::SplitList(const std::string& text, char separator)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = ProfileValue::Trim(text.substr(start, end - start));
        if (!item.empty())
            items.push_back(item);
        start = end + 1;
    }
    return items;
}

std::string DeviceIds::Lines(const std::vector<std::string>& ids)
{
    std::string text;
    for (const std::string& id : ids)
        text += (text.empty() ? "" : "\n") + id;
    return text;
}

bool DeviceIds::ParseGuid(const std::string& text, GUID& guid)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-')
        return false;
    uint64_t value = 0;
    if (!HexField(text, 1, 8, value))
        return false;
    guid.Data1 = static_cast<DWORD>(value);
    if (!HexField(text, 10, 4, value))
        return false;
    guid.Data2 = static_cast<WORD>(value);
    if (!HexField(text, 15, 4, value))
        return false;
    guid.Data3 = static_cast<WORD>(value);
    const size_t bytes[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i)
    {
        if (!HexField(text, bytes[i], 2, value))
            return false;
        guid.Data4[i] = static_cast<BYTE>(value);
    }
    return true;
}

std::string DeviceIds::FormatGuid(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

bool DeviceIds::SameGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

GUID DeviceIds::NullGuid()
{
    GUID guid;
    std::memset(&guid, 0, sizeof(guid));
    return guid;
}

} // namespace winsim
