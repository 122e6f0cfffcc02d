#include "ProfileValue.h"

namespace winsim
{

std::string ProfileValue::Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string ProfileValue::WithoutComment(const std::string& value)
{
    for (size_t i = 1; i < value.size(); ++i)
    {
        if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t'))
            return Trim(value.substr(0, i));
    }
    return value;
}

} // namespace winsim
