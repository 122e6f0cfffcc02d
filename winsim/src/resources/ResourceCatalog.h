// The resources of one module: (type, name, language) -> bytes. Read from a compiled resource file (the
// 32-bit .res format the resource compilers write: RESOURCEHEADER records, each DWORD-aligned) or built
// in memory. Entries never move once the catalog is complete: an HRSRC is a pointer to one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ResourceId.h"

namespace winsim
{

struct ResourceEntry
{
    ResourceId type;
    ResourceId name;
    uint16_t language = 0;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

class ResourceCatalog
{
public:
    // Reads a .res image; the bytes must outlive the catalog. False, with a reason, for a malformed one.
    bool Parse(const uint8_t* data, size_t size, std::string& error);
    // Adds an entry whose bytes the catalog keeps.
    void Add(const ResourceId& type, const ResourceId& name, uint16_t language, std::vector<uint8_t> bytes);

    // The entry of that type and name in the first of the languages that has one, or (anyLanguage) in
    // the lowest language id it has. nullptr, with ERROR_RESOURCE_TYPE_NOT_FOUND, _NAME_NOT_FOUND or
    // _LANG_NOT_FOUND in error, when there is none.
    const ResourceEntry* Find(const ResourceId& type, const ResourceId& name, const std::vector<uint16_t>& languages,
                              bool anyLanguage, uint32_t& error) const;
    // Whether an HRSRC value is one of this catalog's entries.
    const ResourceEntry* Entry(const void* handle) const;
    const std::deque<ResourceEntry>& Entries() const { return m_entries; }

private:
    std::deque<ResourceEntry> m_entries;
    std::deque<std::vector<uint8_t>> m_owned;
};

} // namespace winsim
