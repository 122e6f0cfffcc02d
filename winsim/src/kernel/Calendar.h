// Gregorian calendar arithmetic on the machine clock's scale: milliseconds since 1601-01-01 00:00 UTC
// (a Monday), the epoch of FILETIME.
#pragma once

#include <cstdint>

#include "windows.h"

namespace winsim
{

class Calendar
{
public:
    // The largest FILETIME the conversions accept (100-ns units).
    static constexpr uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFULL;

    static void ToSystemTime(uint64_t msSince1601, SYSTEMTIME& out);
    // False for a field out of range (month 13, February 30, hour 24, year before 1601 ...).
    // wDayOfWeek is ignored, as Windows ignores it.
    static bool FromSystemTime(const SYSTEMTIME& in, uint64_t& msSince1601);

    static uint64_t FileTimeToMs(const FILETIME& time);
    static FILETIME MsToFileTime(uint64_t msSince1601);
};

} // namespace winsim
