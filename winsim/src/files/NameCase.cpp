#include "NameCase.h"

namespace winsim
{

char NameCase::Upper(char c)
{
    auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
        return static_cast<char>(u - 0x20);
    // Latin-1 lower-case letters; 0xF7 is the division sign.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
        return static_cast<char>(u - 0x20);
    switch (u)
    {
    case 0x9A: // s caron
        return static_cast<char>(0x8A);
    case 0x9C: // oe ligature
        return static_cast<char>(0x8C);
    case 0x9E: // z caron
        return static_cast<char>(0x8E);
    case 0xFF: // y diaeresis
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

std::string NameCase::Upper(const std::string& text)
{
    std::string upper(text);
    for (char& c : upper)
        c = Upper(c);
    return upper;
}

bool NameCase::Equal(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    }
    return true;
}

} // namespace winsim
