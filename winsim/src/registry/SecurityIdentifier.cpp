#include "SecurityIdentifier.h"

#include <cstdlib>
#include <cstring>

#include "registry/Cp1252.h"

namespace winsim
{

size_t SecurityIdentifier::Length(const void* sid)
{
    if (!sid)
        return 0;
    const auto* bytes = static_cast<const uint8_t*>(sid);
    if (bytes[0] != 1 || bytes[1] > kMaxSubAuthorities)
        return 0;
    return 8 + 4 * static_cast<size_t>(bytes[1]);
}

std::string SecurityIdentifier::ToText(const void* sid)
{
    size_t length = Length(sid);
    if (!length)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(sid);
    uint64_t authority = 0;
    for (int i = 2; i < 8; ++i)
        authority = (authority << 8) | bytes[i];
    std::string text = "S-1-";
    text += std::to_string(authority);
    for (size_t i = 0; i < bytes[1]; ++i)
    {
        uint32_t sub;
        std::memcpy(&sub, bytes + 8 + 4 * i, 4);
        text += '-';
        text += std::to_string(sub);
    }
    return text;
}

std::vector<uint8_t> SecurityIdentifier::FromText(const std::string& text)
{
    if (text.compare(0, 4, "S-1-") != 0)
        return {};
    std::vector<uint64_t> numbers;
    size_t pos = 4;
    while (pos <= text.size())
    {
        size_t dash = text.find('-', pos);
        if (dash == std::string::npos)
            dash = text.size();
        std::string part = text.substr(pos, dash - pos);
        if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos)
            return {};
        numbers.push_back(std::strtoull(part.c_str(), nullptr, 10));
        pos = dash + 1;
    }
    if (numbers.empty() || numbers.size() - 1 > kMaxSubAuthorities)
        return {};
    std::vector<uint8_t> sid = {1, static_cast<uint8_t>(numbers.size() - 1)};
    for (int shift = 40; shift >= 0; shift -= 8)
        sid.push_back(static_cast<uint8_t>(numbers[0] >> shift));
    for (size_t i = 1; i < numbers.size(); ++i)
    {
        uint32_t sub = static_cast<uint32_t>(numbers[i]);
        uint8_t raw[4];
        std::memcpy(raw, &sub, 4);
        sid.insert(sid.end(), raw, raw + 4);
    }
    return sid;
}

std::string SecurityIdentifier::TextOfAccount(const std::string& name, const std::string& userSid)
{
    struct Account
    {
        const char* name;
        const char* sid;
    };
    static const Account kAccounts[] = {
        {"EVERYONE", "S-1-1-0"},
        {"ADMINISTRATORS", "S-1-5-32-544"},
        {"BUILTIN\\ADMINISTRATORS", "S-1-5-32-544"},
        {"USERS", "S-1-5-32-545"},
        {"BUILTIN\\USERS", "S-1-5-32-545"},
        {"SYSTEM", "S-1-5-18"},
        {"NT AUTHORITY\\SYSTEM", "S-1-5-18"},
        {"AUTHENTICATED USERS", "S-1-5-11"},
        {"NT AUTHORITY\\AUTHENTICATED USERS", "S-1-5-11"},
        {"CREATOR OWNER", "S-1-3-0"},
    };
    if (Cp1252::EqualNoCase(name, "CURRENT_USER"))
        return userSid;
    for (const Account& account : kAccounts)
    {
        if (Cp1252::EqualNoCase(name, account.name))
            return account.sid;
    }
    return {};
}

} // namespace winsim
