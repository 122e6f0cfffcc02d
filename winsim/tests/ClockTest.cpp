// The machine clock: virtual time jumps only when every thread waits, never past a thread that is about
// to run; it carries over from process to process; scaled time runs faster than real time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "KernelTestSupport.h"
#include "TestMachine.h"
#include "core/Clock.h"
#include "kernel/Calendar.h"

using namespace kernel_test;
using namespace std::chrono_literals;

namespace
{

class ClockTest : public TestMachine
{
};

TEST_F(ClockTest, TwoThreadsSleeping200SecondsOverlapAndTakeNoRealTime)
{
    const DWORD start = GetTickCount();
    const auto realStart = std::chrono::steady_clock::now();
    HANDLE threads[2];
    for (HANDLE& thread : threads)
    {
        thread = StartThread(
            []
            {
                Sleep(200000);
                return DWORD{0};
            });
        ASSERT_NE(nullptr, thread);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, INFINITE));
    EXPECT_EQ(200000u, GetTickCount() - start);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 1s);
    for (HANDLE thread : threads)
        CloseHandle(thread);
}

TEST_F(ClockTest, TimeStandsStillWhileAnyThreadRuns)
{
    std::atomic<bool> mainWoke{false};
    // Busy for a while in real time: the main thread's sleep must not end meanwhile.
    HANDLE busy = StartThread(
        [&]
        {
            const auto until = std::chrono::steady_clock::now() + 100ms;
            while (std::chrono::steady_clock::now() < until)
            {
                if (mainWoke)
                    return DWORD{1};
            }
            return DWORD{0};
        });
    ASSERT_NE(nullptr, busy);
    const DWORD start = GetTickCount();
    Sleep(1000);
    mainWoke = true;
    EXPECT_EQ(1000u, GetTickCount() - start);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(busy, INFINITE));
    EXPECT_EQ(0u, ExitCodeOf(busy));
    CloseHandle(busy);
}

TEST_F(ClockTest, ThreadWokenByASignalRunsBeforeTimeMovesOn)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<DWORD> wokeAt{0};
    HANDLE waiter = StartThread(
        [&]
        {
            WaitForSingleObject(event, INFINITE);
            wokeAt = GetTickCount();
            return DWORD{0};
        });
    // This sleep can only end once the waiter is blocked on the event.
    Sleep(10);
    const DWORD setAt = GetTickCount();
    ASSERT_TRUE(SetEvent(event));
    // The waiter has not run yet when this sleep starts; time must not jump past it.
    Sleep(1000);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(waiter, INFINITE));
    EXPECT_EQ(setAt, wokeAt.load());
    CloseHandle(waiter);
    CloseHandle(event);
}

TEST_F(ClockTest, NextProcessOnTheMachineStartsWhereTheLastOneEnded)
{
    Sleep(3600000);
    const uint64_t before = NowFileTime();
    const DWORD tickBefore = GetTickCount();
    Reattach(MachineDir());
    EXPECT_EQ(before, NowFileTime());
    // The machine did not reboot: its tick count goes on too.
    EXPECT_EQ(tickBefore, GetTickCount());
}

TEST(ClockStandalone, NewMachineClockStartsOnItsDefaultDate)
{
    winsim::Clock clock;
    clock.Start(nullptr, winsim::TimeMode::Virtual, 1.0);
    SYSTEMTIME time{};
    winsim::Calendar::ToSystemTime(clock.NowMs(), time);
    EXPECT_EQ(2007, time.wYear);
    EXPECT_EQ(6, time.wMonth);
    EXPECT_EQ(15, time.wDay);
    EXPECT_EQ(9, time.wHour);
    EXPECT_EQ(0, time.wMinute);
    EXPECT_EQ(0u, clock.TickMs());
}

TEST(ClockStandalone, ScaledTimeRunsFasterThanRealTime)
{
    winsim::Clock clock;
    clock.Start(nullptr, winsim::TimeMode::Scaled, 1000.0);
    const uint64_t start = clock.NowMs();
    const auto realStart = std::chrono::steady_clock::now();
    EXPECT_FALSE(clock.WaitUntil([] { return false; }, start + 2000, false));
    EXPECT_GE(clock.NowMs(), start + 2000);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 1s);
}

} // namespace
