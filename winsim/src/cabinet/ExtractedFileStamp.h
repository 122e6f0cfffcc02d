// What a file extracted from a cabinet is given once written, as Windows' cabinet extraction does: the
// cabinet's date and time (a local time, as DOS kept it) as creation and last-write time, and of the
// cabinet's attributes the read-only, hidden, system and archive bits.
#pragma once

#include <cstdint>
#include <string>

#include "CabinetDirectory.h"

namespace winsim
{

class Runtime;

class ExtractedFileStamp
{
public:
    static constexpr uint16_t kKeptAttributes = 0x01 | 0x02 | 0x04 | 0x20;

    // Stamps the file and journals the extraction (kind "file", op "extract", detail cabinet and name).
    static void Apply(Runtime& runtime, const std::string& target, const CabinetEntry& entry,
                      const std::string& cabinet);

    // A DOS date and time on a machine with the given bias (UTC = local + bias) as milliseconds since 1601
    // UTC; false for a stamp that is no date (month 0, day 32, hour 24 ...).
    static bool DosTimeToMs(uint16_t date, uint16_t time, int32_t biasMinutes, uint64_t& ms);
};

} // namespace winsim
