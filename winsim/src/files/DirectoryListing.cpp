#include "DirectoryListing.h"

#include <algorithm>

#include "FileNameRules.h"
#include "NameCase.h"

namespace winsim
{

bool DirectoryListing::Read(const WinPath& folder, std::vector<ListingEntry>& entries)
{
    std::vector<std::string> names;
    if (!HostDrive::List(folder.host, names))
        return false;
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (const std::string& name : names)
        keyed.emplace_back(NameCase::Upper(name), name);
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (const auto& entry : keyed)
        names.push_back(entry.second);
    std::vector<std::string> shortNames = FileNameRules::ShortNames(names);
    entries.clear();
    entries.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
    {
        ListingEntry entry;
        entry.name = names[i];
        entry.shortName = shortNames[i];
        entry.host = folder.host + "/" + names[i];
        entry.stat = HostDrive::Stat(entry.host);
        if (entry.stat.exists)
            entries.push_back(entry);
    }
    return true;
}

const ListingEntry* DirectoryListing::Find(const std::vector<ListingEntry>& entries, const std::string& name)
{
    for (const ListingEntry& entry : entries)
    {
        if (NameCase::Equal(entry.name, name))
            return &entry;
    }
    return nullptr;
}

std::string DirectoryListing::Join(const std::string& folder, const std::string& name)
{
    return folder.size() == 3 ? folder + name : folder + "\\" + name;
}

} // namespace winsim
