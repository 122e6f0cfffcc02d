// The names of Win32 error codes (winerror.h), as fault plans take them and their journal entries show them.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

class ErrorNames
{
public:
    // "ERROR_DISK_FULL" (any case) -> 112; false for a name the table does not have.
    static bool Find(const std::string& name, uint32_t& code);
    // 112 -> "ERROR_DISK_FULL"; empty for a code without a name here.
    static std::string NameOf(uint32_t code);
};

} // namespace winsim
