#include "StringUtil.h"

#include <cstdio>

char ToUpperAnsi(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
        return static_cast<char>(u - ('a' - 'A'));
    // Latin-1 small letters 0xE0-0xFE map 0x20 down, except the division sign 0xF7.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
        return static_cast<char>(u - 0x20);
    // Code page 1252's own: s caron, oe ligature, z caron, y diaeresis.
    switch (u)
    {
    case 0x9A:
        return static_cast<char>(0x8A);
    case 0x9C:
        return static_cast<char>(0x8C);
    case 0x9E:
        return static_cast<char>(0x8E);
    case 0xFF:
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

std::string ToUpper(const std::string& text)
{
    std::string upper(text);
    MakeUpper(upper);
    return upper;
}

void MakeUpper(std::string& text)
{
    for (char& c : text)
        c = ToUpperAnsi(c);
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (ToUpperAnsi(a[i]) != ToUpperAnsi(b[i]))
            return false;
    }
    return true;
}

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

size_t FindNoCase(const std::string& text, const std::string& what, size_t start)
{
    if (what.empty())
        return start <= text.size() ? start : std::string::npos;
    if (what.size() > text.size())
        return std::string::npos;
    for (size_t i = start; i + what.size() <= text.size(); ++i)
    {
        size_t j = 0;
        while (j < what.size() && ToUpperAnsi(text[i + j]) == ToUpperAnsi(what[j]))
            ++j;
        if (j == what.size())
            return i;
    }
    return std::string::npos;
}

size_t FormatBoundedV(char* buffer, size_t size, const char* format, va_list args)
{
    if (!buffer || size == 0)
        return 0;
    int written = std::vsnprintf(buffer, size, format, args);
    if (written < 0)
    {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(written) < size ? static_cast<size_t>(written) : size - 1;
}

size_t FormatBounded(char* buffer, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t stored = FormatBoundedV(buffer, size, format, args);
    va_end(args);
    return stored;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0)
    {
        text.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(needed));
    }
    va_end(args);
    return text;
}
