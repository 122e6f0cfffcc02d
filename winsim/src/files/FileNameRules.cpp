#include "FileNameRules.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "NameCase.h"

namespace winsim
{

namespace
{

bool IsShortNameIllegal(char c)
{
    return c != 0 && std::strchr("*?<>|\"+=,;[]:/\\", c) != nullptr;
}

// The upper-cased base and extension a short name is made from: blanks and inner dots dropped, characters
// that a short name cannot hold turned into '_'.
void ShortNameBasis(const std::string& name, std::string& base, std::string& ext)
{
    std::string text;
    for (char c : name)
    {
        if (c != ' ')
            text += NameCase::Upper(c);
    }
    size_t first = text.find_first_not_of('.');
    text = first == std::string::npos ? std::string() : text.substr(first);
    size_t dot = text.rfind('.');
    std::string rawBase = dot == std::string::npos ? text : text.substr(0, dot);
    std::string rawExt = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    base.clear();
    ext.clear();
    for (char c : rawBase)
    {
        if (c != '.')
            base += IsShortNameIllegal(c) ? '_' : c;
    }
    for (char c : rawExt)
    {
        if (ext.size() < 3)
            ext += IsShortNameIllegal(c) ? '_' : c;
    }
    if (base.empty())
        base = "_";
}

} // namespace

bool FileNameRules::IsValidComponent(const std::string& name, bool allowWildcards)
{
    if (name.empty() || name.size() > kMaxComponent)
        return false;
    for (char c : name)
    {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::strchr("<>:\"|", c))
            return false;
        if (!allowWildcards && (c == '?' || c == '*'))
            return false;
    }
    return true;
}

bool FileNameRules::HasWildcards(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

bool FileNameRules::Is83(const std::string& name)
{
    if (name.empty() || name.size() > 12)
        return false;
    if (name == "." || name == "..")
        return true;
    if (name[0] == '.')
        return false;
    size_t dot = std::string::npos;
    for (size_t i = 0; i < name.size(); ++i)
    {
        char c = name[i];
        if (c == ' ' || IsShortNameIllegal(c) || static_cast<unsigned char>(c) < 0x20)
            return false;
        if (c == '.')
        {
            if (dot != std::string::npos)
                return false;
            dot = i;
        }
    }
    if (dot == std::string::npos)
        return name.size() <= 8;
    return dot <= 8 && name.size() - dot - 1 <= 3 && dot + 1 < name.size();
}

std::vector<std::string> FileNameRules::ShortNames(const std::vector<std::string>& names)
{
    std::set<std::string> taken;
    for (const std::string& name : names)
    {
        if (Is83(name))
            taken.insert(NameCase::Upper(name));
    }
    std::vector<std::string> result;
    result.reserve(names.size());
    for (const std::string& name : names)
    {
        if (Is83(name))
        {
            result.emplace_back();
            continue;
        }
        std::string base;
        std::string ext;
        ShortNameBasis(name, base, ext);
        std::string shortName;
        // Seven characters hold "~" and six digits: more clashing names than a folder ever holds.
        for (unsigned number = 1; shortName.empty() && number < 1000000; ++number)
        {
            std::string tail = "~" + std::to_string(number);
            std::string candidate = base.substr(0, std::min<size_t>(base.size(), 8 - tail.size())) + tail;
            if (!ext.empty())
                candidate += "." + ext;
            if (taken.insert(candidate).second)
                shortName = candidate;
        }
        result.push_back(shortName);
    }
    return result;
}

} // namespace winsim
