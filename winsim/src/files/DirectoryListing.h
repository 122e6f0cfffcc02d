// One folder's entries as FindFirstFileA and GetShortPathNameA see them. Entries are ordered by their
// upper-case names (byte order of code page 1252), ties by the name as written: a stable order close to
// the one NTFS gives. The short names are assigned in that order.
#pragma once

#include <string>
#include <vector>

#include "AttributeTable.h"
#include "PathArgument.h"

namespace winsim
{

struct ListingEntry
{
    std::string name;
    std::string shortName; // empty when the name is already 8.3
    std::string host;
    HostStat stat;
};

class DirectoryListing
{
public:
    // False when the folder cannot be read.
    static bool Read(const WinPath& folder, std::vector<ListingEntry>& entries);
    // The entry of `name` (compared without regard to case); null if there is none.
    static const ListingEntry* Find(const std::vector<ListingEntry>& entries, const std::string& name);
    // "C:\A" + "b" -> "C:\A\b"; the root keeps its single backslash.
    static std::string Join(const std::string& folder, const std::string& name);
};

} // namespace winsim
