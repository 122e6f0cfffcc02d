// LoadLibraryExA, FreeLibrary and GetProcAddress over the process's module list. A name is completed
// (ModuleName), then a bare name loads the built-in module of that name unless the profile removed it, or
// a module of that name already loaded, or the first file of that name in the search folders; a name with
// a path loads that file. A file must be an image descriptor of a DLL: Program=builtin stands for the
// built-in module of the file's name, any other program for a plugin (PluginLibrary).
// Callers hold LoadedModules::Lock(). Failures set the last error.
#pragma once

#include <cstdint>
#include <string>

#include "LoadedModules.h"

namespace winsim
{

class Runtime;
struct WinPath;

class ModuleLoader
{
public:
    ModuleLoader(Runtime& runtime, LoadedModules& modules) : m_runtime(runtime), m_modules(modules) {}

    // The new or counted-up module's handle; a data-file load's handle has its low bit set. 0 on failure.
    uintptr_t Load(const char* name, bool asDataFile);
    bool Free(uintptr_t handle);
    // By name, or by ordinal when the name "pointer" is below 0x10000.
    ExportProc Procedure(uintptr_t handle, const char* name);

private:
    uintptr_t LoadBuiltin(const BuiltinModule& builtin, bool asDataFile);
    uintptr_t LoadFile(const WinPath& file, bool asDataFile);
    uintptr_t AddDataFile(const std::string& path, const BuiltinModule* builtin);
    uintptr_t Counted(LoadedModule& module);
    bool Search(const std::string& name, WinPath& found);
    std::string ProcessMachine();
    bool IsAbsent(const BuiltinModule& builtin);
    uintptr_t NotFound();
    static uintptr_t Fail(uint32_t error);

    Runtime& m_runtime;
    LoadedModules& m_modules;
};

} // namespace winsim
