// Values as winsim's own files write them (machine.ini, REGEDIT4 files, declared programs and devices):
// blanks around a value do not count, and a ';' after a blank starts a comment.
#pragma once

#include <string>

namespace winsim
{

class ProfileValue
{
public:
    // Without the blanks (spaces, tabs, CR) at either end.
    static std::string Trim(const std::string& text);
    // Without a trailing comment, then trimmed.
    static std::string WithoutComment(const std::string& value);
};

} // namespace winsim
