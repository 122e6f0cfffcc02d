// A resource type or name as the resource functions take them: an integer id (MAKEINTRESOURCE, or a
// string "#123") or a name. Names compare without regard to case, as Windows upper-cases them.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

struct ResourceId
{
    bool isName = false;
    uint16_t id = 0;
    std::string name; // upper-case

    static ResourceId Number(uint16_t id);
    static ResourceId Name(const std::string& name);
    // An LPCSTR argument: below 0x10000 an integer id, else a name or "#digits".
    static ResourceId FromArgument(const char* value);

    bool operator==(const ResourceId& other) const
    {
        return isName == other.isName && (isName ? name == other.name : id == other.id);
    }
};

} // namespace winsim
