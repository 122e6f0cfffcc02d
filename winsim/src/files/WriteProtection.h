// Write-protected folders: a folder on a read-only medium (a driver CD) or one the user has no rights to
// write in. Kept machine-wide in table protected_folders by upper-case normalised path. Every change to an
// entry at or below one fails with ERROR_ACCESS_DENIED; reading, listing and opening for read go on.
#pragma once

#include <string>
#include <vector>

#include "PathArgument.h"
#include "core/Store.h"

namespace winsim
{

class Runtime;

class WriteProtection
{
public:
    enum class Reach
    {
        Entry, // a change to the entry itself
        Tree   // a change that carries everything below the entry along (moving a folder)
    };

    explicit WriteProtection(Store& store) : m_store(store) {}

    // True when the change must be refused: the entry is at or below a protected folder or, with
    // Reach::Tree, a protected folder lies below it.
    bool Refuses(const std::string& upath, Reach reach = Reach::Entry);
    bool Refuses(const WinPath& path, Reach reach = Reach::Entry) { return Refuses(path.upath, reach); }

    // Adds or removes a protected folder; `changed` tells whether the set changed.
    bool Set(const std::string& upath, bool writeProtected, bool& changed);
    std::vector<std::string> Folders();

    // Protects or releases a folder of the attached machine, creating it when it is missing, and journals
    // the change. False for a path that is not a folder on drive C:.
    static bool Change(Runtime& runtime, const std::string& windowsPath, bool writeProtected);

private:
    Store& m_store;
};

} // namespace winsim
