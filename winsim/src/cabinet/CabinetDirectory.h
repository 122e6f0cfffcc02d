// The header and file table of one cabinet as stored: the raw DOS date, time and attributes the callback is
// given, each file's folder index (which says whether it starts in an earlier cabinet of a set or goes on
// in the next), and where the data block split with the next cabinet begins. libmspack decompresses, but
// keeps none of these as stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

struct CabinetEntry
{
    std::string name; // as stored, with the folders inside the cabinet ("sub\file.txt")
    uint32_t size = 0;
    uint32_t offset = 0; // of its first byte in its folder's uncompressed data
    uint16_t folder = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attribs = 0;
};

class CabinetDirectory
{
public:
    // Folder indexes of files that cross a cabinet boundary.
    static constexpr uint16_t kContinuedFromPrev = 0xFFFD;
    static constexpr uint16_t kContinuedToNext = 0xFFFE;
    static constexpr uint16_t kContinuedPrevAndNext = 0xFFFF;

    // Reads a cabinet on the machine; 0, the error of opening it, or ERROR_INVALID_DATA for one that is
    // not a cabinet or whose tables are cut short.
    uint32_t Read(const std::string& path);

    uint16_t SetId() const { return m_setId; }
    uint16_t Index() const { return m_index; }
    bool HasNext() const { return m_hasNext; }
    const std::string& NextName() const { return m_nextName; }
    const std::string& NextDisk() const { return m_nextDisk; }
    const std::vector<CabinetEntry>& Files() const { return m_files; }

    // A file whose beginning is in an earlier cabinet: Windows does not offer it.
    static bool StartsEarlier(const CabinetEntry& entry);
    // True when the cabinet ends inside a data block that the next cabinet completes; `position` is then
    // the file position of that block's header, the read that needs the next cabinet.
    bool SplitBlock(uint64_t& position) const;

private:
    uint16_t m_setId = 0;
    uint16_t m_index = 0;
    bool m_hasNext = false;
    std::string m_nextName;
    std::string m_nextDisk;
    std::vector<CabinetEntry> m_files;
    uint64_t m_splitBlock = 0;
};

} // namespace winsim
