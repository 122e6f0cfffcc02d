#include "ModuleTrims.h"

#include <algorithm>
#include <cctype>

#include "BuiltinModules.h"
#include "ModuleName.h"
#include "core/ProfileValue.h"
#include "core/Store.h"
#include "files/NameCase.h"

namespace winsim
{

namespace
{

bool IsExportName(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(),
                                        [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '@'; });
}

} // namespace

bool ModuleTrims::Add(const std::string& module, const std::string& value, std::string& what)
{
    const std::string upper = NameCase::Upper(ModuleName::Complete(module));
    if (!BuiltinModules::Find(upper))
    {
        what = "unknown module '" + module + "' in [Modules]";
        return false;
    }
    if (NameCase::Upper(value) == "ABSENT")
    {
        m_absent.insert(upper);
        return true;
    }
    std::set<std::string> removed;
    size_t start = 0;
    while (start <= value.size())
    {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos)
            comma = value.size();
        std::string item = ProfileValue::Trim(value.substr(start, comma - start));
        if (item.size() < 2 || item[0] != '-' || !IsExportName(item.substr(1)))
        {
            what = "'" + module + "' needs 'absent' or a list of exports to remove (-Name,-Name), not '" + value + "'";
            return false;
        }
        removed.insert(item.substr(1));
        start = comma + 1;
    }
    m_removed[upper].insert(removed.begin(), removed.end());
    return true;
}

bool ModuleTrims::Save(Store& store) const
{
    auto put = [&store](const std::string& module, const std::string& name)
    {
        Statement insert = store.Prepare("INSERT OR IGNORE INTO module_trims(module, export) VALUES(?1, ?2)");
        insert.Bind(1, module).Bind(2, name);
        return insert.Run();
    };
    for (const std::string& module : m_absent)
    {
        if (!put(module, ""))
            return false;
    }
    for (const auto& [module, names] : m_removed)
    {
        for (const std::string& name : names)
        {
            if (!put(module, name))
                return false;
        }
    }
    return true;
}

bool ModuleTrims::IsAbsent(Store& store, const std::string& module)
{
    Statement query = store.Prepare("SELECT 1 FROM module_trims WHERE module = ?1 AND export = ''");
    query.Bind(1, module);
    return query.Step();
}

std::set<std::string> ModuleTrims::RemovedExports(Store& store, const std::string& module)
{
    std::set<std::string> names;
    Statement query = store.Prepare("SELECT export FROM module_trims WHERE module = ?1 AND export <> ''");
    query.Bind(1, module);
    while (query.Step())
        names.insert(query.Text(0));
    return names;
}

} // namespace winsim
