#include "ModuleResources.h"

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "CodePage.h"
#include "StringBlock.h"
#include "core/Runtime.h"
#include "modules/BuiltinModule.h"
#include "modules/LoadedModules.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace winsim
{

namespace
{

// Set before main by the program's generated resource source; plain values, so that no constructor order
// matters.
const uint8_t* g_programData = nullptr;
size_t g_programSize = 0;

// The strings of a built-in module as a Windows version of NT has them: for each id the text of the latest
// version not after the machine's. Windows 9x has none of them.
std::map<uint16_t, std::string> StringsFor(const BuiltinModule& module, const MachineIdentity& identity)
{
    std::map<uint16_t, std::pair<uint16_t, std::string>> chosen;
    if (!identity.IsNT())
        return {};
    const uint32_t version = (identity.major << 8) | identity.minor;
    for (const BuiltinString& entry : module.Strings())
    {
        if (entry.sinceVersion > version)
            continue;
        auto found = chosen.find(entry.id);
        if (found == chosen.end() || found->second.first <= entry.sinceVersion)
            chosen[entry.id] = {entry.sinceVersion, entry.text};
    }
    std::map<uint16_t, std::string> strings;
    for (const auto& [id, versioned] : chosen)
        strings[id] = versioned.second;
    return strings;
}

const ResourceCatalog* BuiltinCatalog(const BuiltinModule& module, const MachineIdentity& identity)
{
    // Built once per module and version and kept for the life of the host process: HRSRC values point
    // into them.
    static std::mutex mutex;
    static std::map<std::pair<const BuiltinModule*, uint32_t>, std::unique_ptr<ResourceCatalog>> catalogs;
    const uint32_t version = identity.IsNT() ? (identity.major << 8) | identity.minor : 0;
    std::lock_guard<std::mutex> lock(mutex);
    auto& catalog = catalogs[{&module, version}];
    if (!catalog)
    {
        catalog = std::make_unique<ResourceCatalog>();
        std::map<uint16_t, std::map<unsigned, std::u16string>> blocks;
        for (const auto& [id, text] : StringsFor(module, identity))
            blocks[StringBlock::BlockOf(id)][id & 15u] = CodePage::FromUtf8(text);
        for (const auto& [block, entries] : blocks)
            catalog->Add(ResourceId::Number(6), ResourceId::Number(block), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                         StringBlock::Build(entries));
    }
    return catalog.get();
}

} // namespace

void ModuleResources::RegisterProgram(const uint8_t* data, size_t size)
{
    g_programData = data;
    g_programSize = size;
}

const ResourceCatalog* ModuleResources::Program()
{
    static const std::unique_ptr<ResourceCatalog> catalog = []() -> std::unique_ptr<ResourceCatalog>
    {
        if (!g_programData)
            return nullptr;
        auto parsed = std::make_unique<ResourceCatalog>();
        std::string error;
        if (!parsed->Parse(g_programData, g_programSize, error))
        {
            std::fprintf(stderr, "winsim: the program's resources are damaged: %s\n", error.c_str());
            return nullptr;
        }
        return parsed;
    }();
    return catalog.get();
}

const ResourceCatalog* ModuleResources::Of(Runtime& runtime, uintptr_t module, uint32_t& error)
{
    error = ERROR_RESOURCE_DATA_NOT_FOUND;
    if (module == 0 || module == LoadedModules::kImageBase)
        return Program();
    std::lock_guard<std::recursive_mutex> lock(LoadedModules::Lock());
    LoadedModule* loaded = LoadedModules::Of(runtime).Find(module);
    if (!loaded || !loaded->builtin)
        return nullptr;
    return BuiltinCatalog(*loaded->builtin, runtime.Identity());
}

bool RegisterProgramResources(const unsigned char* data, size_t size)
{
    ModuleResources::RegisterProgram(data, size);
    return true;
}

} // namespace winsim
