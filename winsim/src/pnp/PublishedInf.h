// Publishing a driver INF into the machine's INF folder, as SetupCopyOEMInf does: the first free oemN.inf,
// a .PNF beside it that remembers the folder the INF came from (where its driver files are), and the
// package's catalog in CatRoot as oemN.cat. The same INF published again keeps its name.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

class Runtime;

class PublishedInf
{
public:
    // `published` gets the full path of the copy in the INF folder. `alreadyThere` is set when an INF of
    // the same contents was published before (or the source is in the INF folder itself).
    static bool Publish(Runtime& rt, const std::string& source, std::string& published, bool& alreadyThere,
                        uint32_t& error);
    // The folder an INF of the INF folder was published from; false for another INF.
    static bool OriginOf(Runtime& rt, const std::string& infPath, std::string& origin);
    // Removes a published INF with its .PNF and catalog.
    static bool Unpublish(Runtime& rt, const std::string& published);
    static std::string InfFolder(Runtime& rt);
    static std::string CatalogFolder(Runtime& rt);
    // Reads a machine file whole; false when it cannot.
    static bool ReadAll(Runtime& rt, const std::string& path, std::string& bytes);
    static bool WriteAll(const std::string& path, const std::string& bytes);
};

} // namespace winsim
