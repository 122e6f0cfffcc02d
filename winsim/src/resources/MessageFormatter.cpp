#include "MessageFormatter.h"

#include <cctype>
#include <cstdio>

#include "windows.h"

namespace winsim
{

MessageFormatter::MessageFormatter(uint32_t flags, const uintptr_t* array, va_list* list)
    : m_flags(flags), m_array(array), m_list(list)
{
}

bool MessageFormatter::Supported(const std::string& format)
{
    // [flags][width][.precision][I64|I32|ll|l|h|w]conversion
    static const std::string kConversions = "scdiuoxX";
    if (format.empty() || kConversions.find(format.back()) == std::string::npos)
        return false;
    for (size_t i = 0; i + 1 < format.size(); ++i)
    {
        const char c = format[i];
        if (!std::isdigit(static_cast<unsigned char>(c)) && std::string("-+ #.lhwI").find(c) == std::string::npos)
            return false;
    }
    return true;
}

bool MessageFormatter::Argument(unsigned number, uintptr_t& value)
{
    if (m_flags & FORMAT_MESSAGE_ARGUMENT_ARRAY)
    {
        if (!m_array)
            return false;
        value = m_array[number - 1];
        return true;
    }
    if (!m_list)
        return false;
    // A va_list can only be read forward: every value up to the one asked for is read once and kept.
    while (m_taken.size() < number)
        m_taken.push_back(va_arg(*m_list, uintptr_t));
    value = m_taken[number - 1];
    return true;
}

// The printf format of an insert is built from the message text: only flags, width and precision are let
// through (see Format), followed by a conversion chosen here for the value's type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string MessageFormatter::Apply(const std::string& format, uintptr_t value)
{
    // Length modifiers are Windows' (I64, l, h, ...); the value's size follows I64/ll only.
    std::string conversionText = "%";
    bool wide = false;
    char conversion = format.empty() ? 's' : format.back();
    for (size_t i = 0; i + 1 < format.size(); ++i)
    {
        const char c = format[i];
        if (format.compare(i, 3, "I64") == 0 || format.compare(i, 2, "ll") == 0)
        {
            wide = true;
            i += format[i] == 'I' ? 2 : 1;
        }
        else if (c == 'I' && format.compare(i, 3, "I32") == 0)
            i += 2;
        else if (c != 'l' && c != 'h' && c != 'w')
            conversionText += c; // flags, width and precision: Supported() let nothing else through
    }
    // A plain %s insert is copied whole however long it is.
    if (conversion == 's' && conversionText == "%")
        return value ? reinterpret_cast<const char*>(value) : "(null)";
    char buffer[512];
    switch (conversion)
    {
    case 's':
        std::snprintf(buffer, sizeof(buffer), (conversionText + "s").c_str(),
                      value ? reinterpret_cast<const char*>(value) : "(null)");
        break;
    case 'c':
        std::snprintf(buffer, sizeof(buffer), (conversionText + "c").c_str(), static_cast<int>(value & 0xFF));
        break;
    case 'd':
    case 'i':
        if (wide)
            std::snprintf(buffer, sizeof(buffer), (conversionText + "lld").c_str(), static_cast<long long>(value));
        else
            std::snprintf(buffer, sizeof(buffer), (conversionText + "d").c_str(), static_cast<int32_t>(value));
        break;
    default: // u, x, X, o
        if (wide)
            std::snprintf(buffer, sizeof(buffer), (conversionText + "ll" + conversion).c_str(),
                          static_cast<unsigned long long>(value));
        else
            std::snprintf(buffer, sizeof(buffer), (conversionText + conversion).c_str(), static_cast<uint32_t>(value));
        break;
    }
    return buffer;
}
#pragma GCC diagnostic pop

bool MessageFormatter::Format(const std::string& text, std::string& out, uint32_t& error)
{
    const bool oneLine = (m_flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == FORMAT_MESSAGE_MAX_WIDTH_MASK;
    out.clear();
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '\r' || c == '\n')
        {
            // One line break of the text: CR LF, or a lone CR or LF.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += oneLine ? " " : "\r\n";
            continue;
        }
        if (c != '%' || i + 1 >= text.size())
        {
            out += c;
            continue;
        }
        const char next = text[++i];
        if (next == '0')
            return true;
        if (next >= '1' && next <= '9')
        {
            const size_t start = i - 1;
            unsigned number = static_cast<unsigned>(next - '0');
            if (i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))
                number = number * 10 + static_cast<unsigned>(text[++i] - '0');
            std::string format = "s";
            if (i + 1 < text.size() && text[i + 1] == '!')
            {
                const size_t close = text.find('!', i + 2);
                if (close == std::string::npos)
                {
                    error = ERROR_INVALID_PARAMETER;
                    return false;
                }
                format = text.substr(i + 2, close - i - 2);
                i = close;
            }
            if (m_flags & FORMAT_MESSAGE_IGNORE_INSERTS)
            {
                out += text.substr(start, i + 1 - start);
                continue;
            }
            uintptr_t value = 0;
            if (!Supported(format) || !Argument(number, value))
            {
                error = ERROR_INVALID_PARAMETER;
                return false;
            }
            out += Apply(format, value);
            continue;
        }
        switch (next)
        {
        case 'n':
            out += "\r\n";
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        default: // "% ", "%.", "%!", "%%" and anything else: the character itself
            out += next;
            break;
        }
    }
    return true;
}

} // namespace winsim
