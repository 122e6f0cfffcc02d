// How the loader reads a module name: blanks at the end do not count; a name whose last component has no
// extension gets ".dll", and a trailing dot says "no extension" instead; a name with a drive or a
// separator is a path, anything else is looked up (built-ins first, then the search folders).
#pragma once

#include <string>

namespace winsim
{

class ModuleName
{
public:
    // The name as the loader uses it; empty for a name of blanks only.
    static std::string Complete(const std::string& name);
    static bool HasPath(const std::string& name);
    // The last component of a path.
    static std::string Base(const std::string& path);
    // The folder part of a path, without the trailing backslash ("C:\" for a file in the root).
    static std::string Folder(const std::string& path);
};

} // namespace winsim
