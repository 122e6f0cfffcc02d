// Case rules for names on drive C:. ASCII letters and the letters of code page 1252 compare equal to their
// upper-case forms, as the file system's upcase table makes them for this code page.
#pragma once

#include <string>

namespace winsim
{

class NameCase
{
public:
    static char Upper(char c);
    static std::string Upper(const std::string& text);
    static bool Equal(const std::string& a, const std::string& b);
};

} // namespace winsim
