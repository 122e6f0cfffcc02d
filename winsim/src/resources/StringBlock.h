// RT_STRING resources: strings come in blocks of sixteen. String id N is entry N % 16 of the block named
// N / 16 + 1; each entry is a length (in UTF-16 units) and that many UTF-16 units, an empty entry a zero.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace winsim
{

class StringBlock
{
public:
    static uint16_t BlockOf(uint16_t stringId) { return static_cast<uint16_t>((stringId >> 4) + 1); }

    // Entry stringId % 16 of a block; false when the block is too short to hold it.
    static bool Read(const uint8_t* data, uint32_t size, uint16_t stringId, std::u16string& text);
    // A block from entries by their index in it (0 to 15); absent entries are empty.
    static std::vector<uint8_t> Build(const std::map<unsigned, std::u16string>& entries);
};

} // namespace winsim
