#include "LoadedModules.h"

#include "BuiltinModules.h"
#include "ModuleName.h"
#include "ModuleTrims.h"
#include "PluginLibrary.h"
#include "core/Runtime.h"
#include "files/NameCase.h"

namespace winsim
{

namespace
{

// Package libraries get addresses from where Windows bases DLLs by default.
constexpr uintptr_t kFirstLibraryBase = 0x10000000;
constexpr uintptr_t kBaseStep = 0x10000;

} // namespace

std::string LoadedModule::UpperBase() const
{
    return ModuleName::Base(upperPath);
}

std::recursive_mutex& LoadedModules::Lock()
{
    static std::recursive_mutex lock;
    return lock;
}

LoadedModules& LoadedModules::Of(Runtime& runtime)
{
    // Never destroyed: libraries still loaded at host exit stay loaded, as they would at process exit.
    static LoadedModules* list = new LoadedModules;
    // A process id is unique within one machine only; tests attach to many machines in turn.
    // Compared in place: GetProcAddress comes here on every call of a program that binds by name.
    const std::string& folder = runtime.GetMachine().Folder();
    if (list->m_ownerFolder != folder || list->m_ownerPid != runtime.Pid())
    {
        list->m_ownerFolder = folder;
        list->m_ownerPid = runtime.Pid();
        list->Reset(runtime);
    }
    return *list;
}

void LoadedModules::Reset(Runtime& runtime)
{
    for (auto& [handle, module] : m_modules)
    {
        if (module.library)
            PluginLibrary::Close(module.library);
    }
    m_modules.clear();
    m_nextBase = kFirstLibraryBase;
    Store& store = runtime.GetMachine().GetStore();
    for (const BuiltinModule& builtin : BuiltinModules::All())
    {
        if (!builtin.LoadedAtStart() || ModuleTrims::IsAbsent(store, builtin.UpperName()))
            continue;
        LoadedModule module;
        module.handle = builtin.Base();
        module.path = runtime.Identity().systemDir + "\\" + builtin.FileName();
        module.upperPath = NameCase::Upper(module.path);
        module.builtin = &builtin;
        module.removedExports = ModuleTrims::RemovedExports(store, builtin.UpperName());
        module.count = 1;
        module.pinned = true;
        Add(module);
    }
}

LoadedModule* LoadedModules::Find(uintptr_t handle)
{
    auto found = m_modules.find(handle);
    return found == m_modules.end() ? nullptr : &found->second;
}

LoadedModule* LoadedModules::FindPath(const std::string& upperPath)
{
    for (auto& [handle, module] : m_modules)
    {
        if (module.kind != ModuleKind::DataFile && module.upperPath == upperPath)
            return &module;
    }
    return nullptr;
}

LoadedModule* LoadedModules::FindBase(const std::string& upperBase)
{
    for (auto& [handle, module] : m_modules)
    {
        if (module.kind != ModuleKind::DataFile && module.UpperBase() == upperBase)
            return &module;
    }
    return nullptr;
}

LoadedModule& LoadedModules::Add(const LoadedModule& module)
{
    return m_modules[module.handle] = module;
}

void LoadedModules::Remove(uintptr_t handle)
{
    m_modules.erase(handle);
}

uintptr_t LoadedModules::NextBase()
{
    uintptr_t base = m_nextBase;
    m_nextBase += kBaseStep;
    return base;
}

} // namespace winsim
