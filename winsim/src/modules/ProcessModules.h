// The modules of a process as PSAPI and tool help list them: its image first (at the image base), then
// the built-in modules every program imports (NTDLL, KERNEL32, ADVAPI32, USER32, unless the profile
// removed them), then what it loaded itself, in load order: the modules an attached process loaded
// through winsim's loader (recorded by the loader in table process_modules), or the modules a declared
// process declares (given addresses where package libraries load).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class Runtime;
class Store;

struct ProcessModule
{
    uintptr_t handle = 0;
    std::string path;
};

class ProcessModules
{
public:
    explicit ProcessModules(Store& store) : m_store(store) {}

    // The loader of the attached process loaded or unloaded a code module (not at start, not as data).
    static void Loaded(Runtime& rt, uintptr_t handle, const std::string& path);
    static void Unloaded(Runtime& rt, uintptr_t handle);

    void AddDeclared(uint32_t pid, const std::string& path);
    std::vector<ProcessModule> List(uint32_t pid, const std::string& image, const std::string& systemDir);

private:
    Store& m_store;
};

} // namespace winsim
