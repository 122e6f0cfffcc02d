#include "PluginLibrary.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstring>

#include "images/HostPrograms.h"

namespace winsim
{

std::string PluginLibrary::Folder()
{
    return HostPrograms::Folder();
}

void* PluginLibrary::Open(const std::string& program, std::string& error)
{
    if (program.empty() || program.find('/') != std::string::npos)
    {
        error = "'" + program + "' is not a plugin name";
        return nullptr;
    }
    const std::string folder = Folder();
    for (const std::string& file : {"lib" + program + ".so", program + ".so"})
    {
        const std::string path = folder + "/" + file;
        if (access(path.c_str(), F_OK) != 0)
            continue;
        if (void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return library;
        const char* reason = dlerror();
        error = reason ? reason : "cannot load " + path;
        return nullptr;
    }
    error = "no lib" + program + ".so in " + folder;
    return nullptr;
}

ExportProc PluginLibrary::Find(void* library, const char* name)
{
    void* symbol = dlsym(library, name);
    if (!symbol)
        return nullptr;
    // dlsym also finds what the library's dependencies (the C library, ...) define.
    Dl_info where{};
    link_map* map = nullptr;
    if (!dladdr(symbol, &where) || dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map || !where.dli_fname ||
        std::strcmp(where.dli_fname, map->l_name) != 0)
        return nullptr;
    return reinterpret_cast<ExportProc>(symbol);
}

void PluginLibrary::Close(void* library)
{
    dlclose(library);
}

} // namespace winsim
