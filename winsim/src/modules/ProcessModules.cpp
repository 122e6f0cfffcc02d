#include "ProcessModules.h"

#include "BuiltinModules.h"
#include "LoadedModules.h"
#include "ModuleTrims.h"
#include "core/Runtime.h"
#include "core/Store.h"

namespace winsim
{

namespace
{

// Declared modules are placed where package libraries load, 64 KB apart.
constexpr uintptr_t kDeclaredBase = 0x10000000;
constexpr uintptr_t kDeclaredStep = 0x10000;

} // namespace

void ProcessModules::Loaded(Runtime& rt, uintptr_t handle, const std::string& path)
{
    Statement insert =
        rt.GetMachine().GetStore().Prepare("INSERT INTO process_modules(pid, handle, path) VALUES(?1, ?2, ?3)");
    insert.Bind(1, rt.Pid()).Bind(2, static_cast<int64_t>(handle)).Bind(3, path);
    insert.Run();
}

void ProcessModules::Unloaded(Runtime& rt, uintptr_t handle)
{
    Statement remove = rt.GetMachine().GetStore().Prepare("DELETE FROM process_modules WHERE pid = ?1 AND handle = ?2");
    remove.Bind(1, rt.Pid()).Bind(2, static_cast<int64_t>(handle));
    remove.Run();
}

void ProcessModules::AddDeclared(uint32_t pid, const std::string& path)
{
    Statement count = m_store.Prepare("SELECT COUNT(*) FROM process_modules WHERE pid = ?1");
    count.Bind(1, pid);
    const int64_t index = count.Step() ? count.Int(0) : 0;
    Statement insert = m_store.Prepare("INSERT INTO process_modules(pid, handle, path) VALUES(?1, ?2, ?3)");
    insert.Bind(1, pid).Bind(2, static_cast<int64_t>(kDeclaredBase + index * kDeclaredStep)).Bind(3, path);
    insert.Run();
}

std::vector<ProcessModule> ProcessModules::List(uint32_t pid, const std::string& image, const std::string& systemDir)
{
    std::vector<ProcessModule> modules{{LoadedModules::kImageBase, image}};
    for (const BuiltinModule& builtin : BuiltinModules::All())
    {
        if (builtin.LoadedAtStart() && !ModuleTrims::IsAbsent(m_store, builtin.UpperName()))
            modules.push_back({builtin.Base(), systemDir + "\\" + builtin.FileName()});
    }
    Statement stmt = m_store.Prepare("SELECT handle, path FROM process_modules WHERE pid = ?1 ORDER BY seq");
    stmt.Bind(1, pid);
    while (stmt.Step())
        modules.push_back({static_cast<uintptr_t>(stmt.Int(0)), stmt.Text(1)});
    return modules;
}

} // namespace winsim
