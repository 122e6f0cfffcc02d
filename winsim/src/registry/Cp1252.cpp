#include "Cp1252.h"

namespace winsim
{

namespace
{

// 0x80..0x9F; zero marks the bytes 1252 does not define.
constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

uint32_t Cp1252::ToUnicode(uint8_t byte)
{
    if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80] != 0)
        return kHigh[byte - 0x80];
    return byte;
}

uint8_t Cp1252::FromUnicode(uint32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<uint8_t>(codePoint);
    for (int i = 0; i < 32; ++i)
    {
        if (kHigh[i] == codePoint || (kHigh[i] == 0 && codePoint == static_cast<uint32_t>(0x80 + i)))
            return static_cast<uint8_t>(0x80 + i);
    }
    return '?';
}

uint8_t Cp1252::Upper(uint8_t byte)
{
    if (byte >= 'a' && byte <= 'z')
        return static_cast<uint8_t>(byte - 0x20);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<uint8_t>(byte - 0x20);
    switch (byte)
    {
    case 0x9A: // s caron
    case 0x9C: // oe
    case 0x9E: // z caron
        return static_cast<uint8_t>(byte - 0x10);
    case 0xFF: // y diaeresis
        return 0x9F;
    default:
        return byte;
    }
}

std::string Cp1252::Upper(const std::string& text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(Upper(static_cast<uint8_t>(c)));
    return out;
}

std::string Cp1252::SortKey(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        AppendUtf8(out, ToUnicode(Upper(static_cast<uint8_t>(c))));
    return out;
}

bool Cp1252::EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (Upper(static_cast<uint8_t>(a[i])) != Upper(static_cast<uint8_t>(b[i])))
            return false;
    }
    return true;
}

} // namespace winsim
