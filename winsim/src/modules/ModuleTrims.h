// What a profile takes away from the built-in modules ([Modules] in machine.ini), so that "library
// missing" and "export missing" are machine settings:
//   NEWDEV.DLL=absent                                  the module does not exist
//   KERNEL32.DLL=-GetNativeSystemInfo,-IsWow64Process  single exports do not exist
// Kept in the machine store (module_trims) and read by the loader when it loads a module.
#pragma once

#include <map>
#include <set>
#include <string>

namespace winsim
{

class Store;

class ModuleTrims
{
public:
    // One [Modules] line; false with `what` (for the profile's error message) when it is malformed.
    bool Add(const std::string& module, const std::string& value, std::string& what);
    bool Save(Store& store) const;

    // module is the upper-case file name ("NEWDEV.DLL").
    static bool IsAbsent(Store& store, const std::string& module);
    static std::set<std::string> RemovedExports(Store& store, const std::string& module);

private:
    std::set<std::string> m_absent;
    std::map<std::string, std::set<std::string>> m_removed;
};

} // namespace winsim
