#include "ModuleName.h"

namespace winsim
{

std::string ModuleName::Complete(const std::string& name)
{
    std::string result = name;
    while (!result.empty() && result.back() == ' ')
        result.pop_back();
    if (result.empty())
        return result;
    std::string base = Base(result);
    if (!base.empty() && base.back() == '.')
        result.pop_back();
    else if (base.find('.') == std::string::npos)
        result += ".dll";
    return result;
}

bool ModuleName::HasPath(const std::string& name)
{
    return name.find_first_of("\\/") != std::string::npos || (name.size() >= 2 && name[1] == ':');
}

std::string ModuleName::Base(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos && path.size() >= 2 && path[1] == ':')
        return path.substr(2);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ModuleName::Folder(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return {};
    return slash <= 2 ? path.substr(0, slash + 1) : path.substr(0, slash);
}

} // namespace winsim
