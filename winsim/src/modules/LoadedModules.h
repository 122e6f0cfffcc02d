// The modules the attached process has loaded, as the Windows loader keeps them: built-in modules,
// package libraries (plugins) and files mapped as data. It starts with the built-ins every program
// imports, and starts afresh whenever a new attachment (another machine or process) uses it.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "BuiltinModule.h"

namespace winsim
{

class Runtime;

enum class ModuleKind
{
    Builtin,
    Plugin,
    DataFile // LoadLibraryExA(LOAD_LIBRARY_AS_DATAFILE): no code, no exports, not found by name
};

struct LoadedModule
{
    uintptr_t handle = 0;
    ModuleKind kind = ModuleKind::Builtin;
    std::string path;      // what GetModuleFileNameA reports
    std::string upperPath; // the same, upper-cased: what names are compared with
    const BuiltinModule* builtin = nullptr;
    std::set<std::string> removedExports; // what the profile takes away from a built-in
    void* library = nullptr;              // a plugin's shared object
    uint32_t count = 0;
    bool pinned = false; // loaded with the program: FreeLibrary never unloads it

    std::string UpperBase() const;
};

class LoadedModules
{
public:
    // The program's own image, where 32-bit programs are based by default (GetModuleHandleA(NULL)).
    static constexpr uintptr_t kImageBase = 0x00400000;

    // The loader lock: held around every loader operation (it is recursive, as a library's start-up
    // code may load libraries itself).
    static std::recursive_mutex& Lock();
    // The list of the attached process; call with the lock held.
    static LoadedModules& Of(Runtime& runtime);

    LoadedModule* Find(uintptr_t handle);
    // A code module (not a data file) by upper-case full path or upper-case file name.
    LoadedModule* FindPath(const std::string& upperPath);
    LoadedModule* FindBase(const std::string& upperBase);

    LoadedModule& Add(const LoadedModule& module);
    void Remove(uintptr_t handle);
    // A fresh 64 KB-aligned address for a module that is not built in.
    uintptr_t NextBase();

private:
    void Reset(Runtime& runtime);

    std::string m_ownerFolder;
    uint64_t m_ownerPid = 0;
    std::map<uintptr_t, LoadedModule> m_modules;
    uintptr_t m_nextBase = 0;
};

} // namespace winsim
