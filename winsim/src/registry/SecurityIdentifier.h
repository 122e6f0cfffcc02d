// Security identifiers in their binary form (revision, count, 6-byte authority, sub-authorities), as the
// security API hands them to the program, and as "S-1-5-32-544" text inside winsim.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class SecurityIdentifier
{
public:
    static constexpr size_t kMaxSubAuthorities = 15;

    // Byte length of a well-formed SID at `sid`, 0 if it is not one.
    static size_t Length(const void* sid);
    // "S-1-5-32-544"; empty for a malformed SID.
    static std::string ToText(const void* sid);
    // The binary SID of its text; empty for malformed text.
    static std::vector<uint8_t> FromText(const std::string& text);
    // The SID of an account name as LookupAccountName knows it ("Everyone", "Administrators", "SYSTEM",
    // "Users", optionally with their domain); "CURRENT_USER" is the user. Empty if unknown.
    static std::string TextOfAccount(const std::string& name, const std::string& userSid);
};

} // namespace winsim
