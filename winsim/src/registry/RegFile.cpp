#include "RegFile.h"

#include <fstream>
#include <sstream>

#include "registry/RegFileParser.h"
#include "registry/RegFileWriter.h"

namespace winsim
{

bool ImportRegFile(RegistryStore& registry, const std::string& hostPath, std::string& error)
{
    std::ifstream file(hostPath, std::ios::binary);
    if (!file)
    {
        error = hostPath + ": cannot read the file";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    RegFileParser parser(registry, hostPath);
    return parser.Apply(text.str(), error);
}

bool ExportRegFile(RegistryStore& registry, const std::string& fullPath, std::string& text, std::string& error)
{
    RegRoot root;
    std::string rest;
    if (!RegistryStore::SplitFullPath(fullPath, root, rest))
    {
        error = "not a registry path: " + fullPath;
        return false;
    }
    // Shown under the root as asked for (long name) and each level's name as stored.
    int64_t key = registry.FindRootKey(root);
    std::string display = RegistryStore::RootName(root);
    for (const std::string& name : RegistryStore::SplitPath(rest))
    {
        key = key ? registry.FindChild(key, name) : 0;
        if (!key)
            break;
        display += '\\';
        display += registry.NameOf(key);
    }
    if (!key)
    {
        error = "no such key: " + fullPath;
        return false;
    }
    text = RegFileWriter(registry).Export(key, display);
    return true;
}

} // namespace winsim
