// What Windows accepts as a file name, and its 8.3 short names.
#pragma once

#include <string>
#include <vector>

namespace winsim
{

class FileNameRules
{
public:
    // Longest component NTFS accepts.
    static constexpr size_t kMaxComponent = 255;

    // False for a name with control characters or any of <>:"|?* (wildcards allowed where asked for).
    static bool IsValidComponent(const std::string& name, bool allowWildcards);
    static bool HasWildcards(const std::string& name);

    // True when the name is already a legal 8.3 name (in any case), so it gets no short name of its own.
    static bool Is83(const std::string& name);

    // Short names for the entries of one folder, given in listing order: empty where the long name is 8.3,
    // otherwise BASE~N.EXT with the lowest N that no earlier entry and no 8.3 name of the folder uses.
    static std::vector<std::string> ShortNames(const std::vector<std::string>& names);
};

} // namespace winsim
