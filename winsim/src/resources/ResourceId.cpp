#include "ResourceId.h"

#include <cctype>
#include <cstdint>

namespace winsim
{

ResourceId ResourceId::Number(uint16_t id)
{
    ResourceId result;
    result.id = id;
    return result;
}

ResourceId ResourceId::Name(const std::string& name)
{
    ResourceId result;
    result.isName = true;
    for (char c : name)
        result.name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

ResourceId ResourceId::FromArgument(const char* value)
{
    const uintptr_t raw = reinterpret_cast<uintptr_t>(value);
    if ((raw >> 16) == 0)
        return Number(static_cast<uint16_t>(raw));
    // "#258" is the integer id 258, as the resource compiler writes ids in text.
    if (value[0] == '#')
    {
        uint32_t number = 0;
        const char* p = value + 1;
        while (std::isdigit(static_cast<unsigned char>(*p)) && number <= 0xFFFF)
            number = number * 10 + static_cast<uint32_t>(*p++ - '0');
        if (p != value + 1 && *p == '\0' && number <= 0xFFFF)
            return Number(static_cast<uint16_t>(number));
    }
    return Name(value);
}

} // namespace winsim
