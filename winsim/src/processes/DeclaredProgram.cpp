#include "DeclaredProgram.h"

#include <cstdlib>

#include "core/ProfileValue.h"
#include "files/NameCase.h"
#include "files/PathResolver.h"

namespace winsim
{

namespace
{

bool Number(const std::string& text, uint64_t limit, uint64_t& value)
{
    if (text.empty() || text[0] == '-')
        return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 0);
    return end && *end == '\0' && value <= limit;
}

bool IsWindowKey(const std::string& upperKey)
{
    if (upperKey.rfind("WINDOW", 0) != 0)
        return false;
    const std::string rest = upperKey.substr(6);
    return rest.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

bool DeclaredProgram::Set(const std::string& key, const std::string& value, std::string& what)
{
    const std::string upper = NameCase::Upper(key);
    if (upper == "IMAGE")
    {
        if (!boot)
        {
            what = "Image= belongs to [Process.N] sections; a program's image names it with Program=";
            return false;
        }
        if (!PathResolver::Normalize(value, "C:\\", image) || image.size() <= 3)
        {
            what = "'" + value + "' is not a file path on drive C:";
            return false;
        }
        return true;
    }
    if (upper == "MODULES")
    {
        size_t start = 0;
        while (start <= value.size())
        {
            size_t end = value.find(',', start);
            const std::string item =
                ProfileValue::Trim(value.substr(start, end == std::string::npos ? end : end - start));
            start = end == std::string::npos ? value.size() + 1 : end + 1;
            if (item.empty())
                continue;
            std::string path;
            if (!PathResolver::Normalize(item, "C:\\", path) || path.size() <= 3)
            {
                what = "module '" + item + "' is not a file path on drive C:";
                return false;
            }
            modules.push_back(path);
        }
        return true;
    }
    if (IsWindowKey(upper))
    {
        const size_t bar = value.find('|');
        DeclaredWindow window{ProfileValue::Trim(value.substr(0, bar)),
                              bar == std::string::npos ? "" : ProfileValue::Trim(value.substr(bar + 1))};
        if (window.title.empty() && window.className.empty())
        {
            what = key + " needs 'title|class'";
            return false;
        }
        windows.push_back(window);
        return true;
    }
    if (upper == "LIFETIME")
    {
        uint64_t ms = 0;
        if (NameCase::Upper(value) == "FOREVER")
            lifetimeMs.reset();
        else if (Number(value, UINT64_MAX / 2, ms))
            lifetimeMs = ms;
        else
        {
            what = "Lifetime needs 'forever' or milliseconds, not '" + value + "'";
            return false;
        }
        return true;
    }
    if (upper == "EXITCODE")
    {
        uint64_t code = 0;
        if (!Number(value, 0xFFFFFFFFull, code))
        {
            what = "ExitCode needs a 32-bit number, not '" + value + "'";
            return false;
        }
        exitCode = static_cast<uint32_t>(code);
        return true;
    }
    if (installer.Set(key, value, what))
        return true;
    if (!what.empty())
        return false;
    what = "unknown name '" + key + "' in a process or program section";
    return false;
}

bool DeclaredProgram::Check(std::string& what) const
{
    if (boot && image.empty())
    {
        what = "[" + name + "] needs Image=";
        return false;
    }
    return true;
}

std::string DeclaredProgram::ImageProgram() const
{
    // "PROCESS.1" -> "Process.1"; the name is compared without regard to case anyway.
    return boot ? "Process" + name.substr(7) : name;
}

} // namespace winsim
