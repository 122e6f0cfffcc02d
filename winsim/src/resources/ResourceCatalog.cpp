#include "ResourceCatalog.h"

#include <cstring>

#include "windows.h"

namespace winsim
{

namespace
{

// A little-endian reader over the .res bytes that refuses to go past the end.
class Reader
{
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Word(size_t at, uint16_t& value) const
    {
        if (at + 2 > m_size)
            return false;
        value = static_cast<uint16_t>(m_data[at] | (m_data[at + 1] << 8));
        return true;
    }
    bool Dword(size_t at, uint32_t& value) const
    {
        uint16_t low = 0, high = 0;
        if (!Word(at, low) || !Word(at + 2, high))
            return false;
        value = low | (static_cast<uint32_t>(high) << 16);
        return true;
    }
    // A type or name field: 0xFFFF and an ordinal, or a null-terminated UTF-16 name. at moves past it.
    bool Id(size_t& at, ResourceId& id) const
    {
        uint16_t first = 0;
        if (!Word(at, first))
            return false;
        if (first == 0xFFFF)
        {
            uint16_t ordinal = 0;
            if (!Word(at + 2, ordinal))
                return false;
            id = ResourceId::Number(ordinal);
            at += 4;
            return true;
        }
        std::string name;
        for (uint16_t c = first; c != 0; at += 2)
        {
            if (!Word(at, c))
                return false;
            if (c != 0)
                name += c < 0x80 ? static_cast<char>(c) : '?';
        }
        id = ResourceId::Name(name);
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

size_t AlignDword(size_t at)
{
    return (at + 3) & ~static_cast<size_t>(3);
}

} // namespace

bool ResourceCatalog::Parse(const uint8_t* data, size_t size, std::string& error)
{
    Reader reader(data, size);
    size_t at = 0;
    while (at < size)
    {
        uint32_t dataSize = 0, headerSize = 0;
        if (!reader.Dword(at, dataSize) || !reader.Dword(at + 4, headerSize) || headerSize < 16 ||
            headerSize > size - at || dataSize > size - at - headerSize)
        {
            error = "resource record at offset " + std::to_string(at) + " runs past the end";
            return false;
        }
        ResourceEntry entry;
        size_t field = at + 8;
        uint16_t language = 0;
        if (!reader.Id(field, entry.type) || !reader.Id(field, entry.name) ||
            !reader.Word(AlignDword(field) + 6, language) || AlignDword(field) + 16 > at + headerSize)
        {
            error = "bad resource header at offset " + std::to_string(at);
            return false;
        }
        entry.language = language;
        entry.data = data + at + headerSize;
        entry.size = dataSize;
        // The file starts with an empty record (type 0) that marks it as a 32-bit resource file.
        if (entry.type.isName || entry.type.id != 0)
            m_entries.push_back(entry);
        at = AlignDword(at + headerSize + dataSize);
    }
    return true;
}

void ResourceCatalog::Add(const ResourceId& type, const ResourceId& name, uint16_t language, std::vector<uint8_t> bytes)
{
    m_owned.push_back(std::move(bytes));
    ResourceEntry entry;
    entry.type = type;
    entry.name = name;
    entry.language = language;
    entry.data = m_owned.back().data();
    entry.size = static_cast<uint32_t>(m_owned.back().size());
    m_entries.push_back(entry);
}

const ResourceEntry* ResourceCatalog::Find(const ResourceId& type, const ResourceId& name,
                                           const std::vector<uint16_t>& languages, bool anyLanguage,
                                           uint32_t& error) const
{
    bool typeSeen = false;
    const ResourceEntry* first = nullptr;
    for (const ResourceEntry& entry : m_entries)
    {
        if (!(entry.type == type))
            continue;
        typeSeen = true;
        // In an image the languages of a resource are sorted by id: "the first" is the lowest.
        if (entry.name == name && (!first || entry.language < first->language))
            first = &entry;
    }
    if (!first)
    {
        error = typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
        return nullptr;
    }
    for (uint16_t language : languages)
    {
        for (const ResourceEntry& entry : m_entries)
        {
            if (entry.type == type && entry.name == name && entry.language == language)
                return &entry;
        }
    }
    if (anyLanguage)
        return first;
    error = ERROR_RESOURCE_LANG_NOT_FOUND;
    return nullptr;
}

const ResourceEntry* ResourceCatalog::Entry(const void* handle) const
{
    for (const ResourceEntry& entry : m_entries)
    {
        if (&entry == handle)
            return &entry;
    }
    return nullptr;
}

} // namespace winsim
