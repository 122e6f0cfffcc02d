#include "Calendar.h"

namespace winsim
{

namespace
{

constexpr int64_t kMsPerDay = 86400000;
// Days from 0000-03-01 (proleptic Gregorian, the start of the computational year) to 1601-01-01.
constexpr int64_t kDaysTo1601 = 584694;

bool IsLeap(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

// Days since 0000-03-01 of a date; years counted from March so that the leap day comes last.
int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    int64_t era = year / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

void CivilFromDays(int64_t days, int64_t& year, int& month, int& day)
{
    int64_t era = days / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

void Calendar::ToSystemTime(uint64_t msSince1601, SYSTEMTIME& out)
{
    int64_t days = static_cast<int64_t>(msSince1601 / kMsPerDay);
    int64_t msOfDay = static_cast<int64_t>(msSince1601 % kMsPerDay);
    int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days + kDaysTo1601, year, month, day);
    out.wYear = static_cast<WORD>(year);
    out.wMonth = static_cast<WORD>(month);
    out.wDay = static_cast<WORD>(day);
    // 1601-01-01 was a Monday; Sunday is 0.
    out.wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    out.wHour = static_cast<WORD>(msOfDay / 3600000);
    out.wMinute = static_cast<WORD>(msOfDay / 60000 % 60);
    out.wSecond = static_cast<WORD>(msOfDay / 1000 % 60);
    out.wMilliseconds = static_cast<WORD>(msOfDay % 1000);
}

bool Calendar::FromSystemTime(const SYSTEMTIME& in, uint64_t& msSince1601)
{
    if (in.wYear < 1601 || in.wYear > 30827 || in.wMonth < 1 || in.wMonth > 12 || in.wDay < 1 ||
        in.wDay > DaysInMonth(in.wYear, in.wMonth) || in.wHour > 23 || in.wMinute > 59 || in.wSecond > 59 ||
        in.wMilliseconds > 999)
        return false;
    int64_t days = DaysFromCivil(in.wYear, in.wMonth, in.wDay) - kDaysTo1601;
    int64_t ms = ((static_cast<int64_t>(in.wHour) * 60 + in.wMinute) * 60 + in.wSecond) * 1000 + in.wMilliseconds;
    msSince1601 = static_cast<uint64_t>(days * kMsPerDay + ms);
    return true;
}

uint64_t Calendar::FileTimeToMs(const FILETIME& time)
{
    uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return ticks / 10000;
}

FILETIME Calendar::MsToFileTime(uint64_t msSince1601)
{
    uint64_t ticks = msSince1601 * 10000;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

} // namespace winsim
