// The table of winsim's built-in modules. A bare module name that matches one of them loads it before
// any file is looked for, as a known DLL does on Windows.
#pragma once

#include <string>
#include <vector>

#include "BuiltinModule.h"

namespace winsim
{

class BuiltinModules
{
public:
    static const std::vector<BuiltinModule>& All();
    // The module of an upper-case file name with its extension ("KERNEL32.DLL"); nullptr for other names.
    static const BuiltinModule* Find(const std::string& upperFileName);
};

} // namespace winsim
