// Wall-clock time: the machine clock as UTC and local time, and the SYSTEMTIME/FILETIME conversions.
#include <gtest/gtest.h>

#include "KernelTestSupport.h"
#include "TestMachine.h"

using namespace kernel_test;

namespace
{

class KernelTimeTest : public TestMachine
{
};

SYSTEMTIME Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = ms;
    return time;
}

FILETIME FileTime(uint64_t value)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

TEST_F(KernelTimeTest, ConversionsAgreeAcrossTheCalendar)
{
    struct Case
    {
        SYSTEMTIME date;
        uint64_t fileTime;
        WORD dayOfWeek;
    };
    const Case cases[] = {
        {Date(1601, 1, 1), 0, 1},
        {Date(1970, 1, 1), 116444736000000000ULL, 4},
        {Date(2000, 2, 29), 125962560000000000ULL, 2},
        {Date(2100, 2, 28), 157519296000000000ULL, 0},
        {Date(2100, 3, 1), 157520160000000000ULL, 1},
        {Date(2007, 6, 16, 23, 59, 59, 999), 128264256000000000ULL + 863999990000ULL, 6},
    };
    for (const Case& c : cases)
    {
        FILETIME converted{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.date, &converted)) << c.date.wYear;
        EXPECT_EQ(c.fileTime, FileTimeValue(converted)) << c.date.wYear << "-" << c.date.wMonth;
        SYSTEMTIME back{};
        FILETIME source = FileTime(c.fileTime + 9999); // below a millisecond: dropped
        ASSERT_TRUE(FileTimeToSystemTime(&source, &back));
        EXPECT_EQ(c.date.wYear, back.wYear);
        EXPECT_EQ(c.date.wMonth, back.wMonth);
        EXPECT_EQ(c.date.wDay, back.wDay);
        EXPECT_EQ(c.date.wHour, back.wHour);
        EXPECT_EQ(c.date.wMinute, back.wMinute);
        EXPECT_EQ(c.date.wSecond, back.wSecond);
        EXPECT_EQ(c.date.wMilliseconds, back.wMilliseconds);
        EXPECT_EQ(c.dayOfWeek, back.wDayOfWeek) << c.date.wYear << "-" << c.date.wMonth << "-" << c.date.wDay;
    }

    // The largest FILETIME there is.
    SYSTEMTIME last{};
    FILETIME largest = FileTime(0x7FFFFFFFFFFFFFFFULL);
    ASSERT_TRUE(FileTimeToSystemTime(&largest, &last));
    EXPECT_EQ(30828, last.wYear);
    EXPECT_EQ(9, last.wMonth);
    EXPECT_EQ(14, last.wDay);
    EXPECT_EQ(2, last.wHour);
    EXPECT_EQ(48, last.wMinute);
    EXPECT_EQ(5, last.wSecond);
    EXPECT_EQ(477, last.wMilliseconds);
}

TEST_F(KernelTimeTest, ConversionsRefuseWhatIsNoTime)
{
    const SYSTEMTIME invalid[] = {
        Date(2100, 2, 29),       Date(2007, 0, 1),
        Date(2007, 13, 1),       Date(2007, 4, 31),
        Date(2007, 1, 0),        Date(2007, 1, 1, 24),
        Date(2007, 1, 1, 0, 60), Date(2007, 1, 1, 0, 0, 60),
        Date(1600, 12, 31),      Date(2007, 1, 1, 0, 0, 0, 1000),
    };
    for (const SYSTEMTIME& time : invalid)
    {
        FILETIME out{};
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(SystemTimeToFileTime(&time, &out))
            << time.wYear << "-" << time.wMonth << "-" << time.wDay << " " << time.wHour << ":" << time.wMinute;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    // The day of the week is not checked.
    SYSTEMTIME wrongWeekday = Date(2007, 6, 15);
    wrongWeekday.wDayOfWeek = 3;
    FILETIME out{};
    EXPECT_TRUE(SystemTimeToFileTime(&wrongWeekday, &out));

    FILETIME negative = FileTime(0x8000000000000000ULL);
    SYSTEMTIME time{};
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &time));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(KernelTimeTest, SystemTimeIsTheMachineClock)
{
    // The profile's clock: Friday 2007-06-15 09:00 UTC.
    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_EQ(2007, now.wYear);
    EXPECT_EQ(6, now.wMonth);
    EXPECT_EQ(15, now.wDay);
    EXPECT_EQ(5, now.wDayOfWeek);
    EXPECT_EQ(9, now.wHour);
    EXPECT_EQ(128263392000000000ULL + 9ULL * 36000000000ULL, NowFileTime());
    Sleep(90 * 60 * 1000);
    GetSystemTime(&now);
    EXPECT_EQ(10, now.wHour);
    EXPECT_EQ(30, now.wMinute);
    SYSTEMTIME local{};
    GetLocalTime(&local);
    EXPECT_EQ(10, local.wHour) << "the profile's time zone is UTC";
}

TEST_F(KernelTimeTest, LocalTimeIsUtcMinusTheBias)
{
    // UTC+10: 09:00 UTC is 19:00 local.
    Reattach(MachineDir(), {{"clock.tz_bias", "-600"}});
    SYSTEMTIME local{};
    GetLocalTime(&local);
    EXPECT_EQ(15, local.wDay);
    EXPECT_EQ(19, local.wHour);
    // Six hours later it is Saturday there, not yet here.
    Sleep(6 * 3600 * 1000);
    GetLocalTime(&local);
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    EXPECT_EQ(16, local.wDay);
    EXPECT_EQ(6, local.wDayOfWeek);
    EXPECT_EQ(1, local.wHour);
    EXPECT_EQ(15, utc.wDay);

    // UTC-5.
    Reattach(MachineDir(), {{"clock.tz_bias", "300"}});
    GetLocalTime(&local);
    EXPECT_EQ(15, local.wDay);
    EXPECT_EQ(10, local.wHour);
}

} // namespace
