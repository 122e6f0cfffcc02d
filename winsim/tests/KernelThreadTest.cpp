// Threads made with CreateThread: exit codes, ids, per-thread last error, suspension, and what becomes
// of threads still running when the process ends.
#include <gtest/gtest.h>

#include <atomic>

#include "KernelTestSupport.h"
#include "TestMachine.h"

using namespace kernel_test;

namespace
{

class KernelThreadTest : public TestMachine
{
};

TEST_F(KernelThreadTest, ThreadRunsItsRoutineAndItsHandleIsSignalledWhenItReturns)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> seenId{0};
    DWORD id = 0;
    HANDLE thread = StartThread(
        [&]
        {
            seenId = GetCurrentThreadId();
            WaitForSingleObject(go, INFINITE);
            return DWORD{42};
        },
        0, &id);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 100));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), ExitCodeOf(thread));
    EXPECT_EQ(id, seenId.load());
    EXPECT_NE(GetCurrentThreadId(), id);
    EXPECT_EQ(0u, id % 4);
    EXPECT_EQ(0u, GetCurrentThreadId() % 4);
    EXPECT_NE(GetCurrentProcessId(), id);

    ASSERT_TRUE(SetEvent(go));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    EXPECT_EQ(42u, ExitCodeOf(thread));
    // An ended thread's handle stays signalled.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
    CloseHandle(thread);
    CloseHandle(go);
}

TEST_F(KernelThreadTest, LastErrorBelongsToEachThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    HANDLE thread = StartThread(
        []
        {
            DWORD inherited = GetLastError();
            SetLastError(ERROR_FILE_NOT_FOUND);
            return inherited;
        });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), ExitCodeOf(thread));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    CloseHandle(thread);
}

TEST_F(KernelThreadTest, SuspendedThreadStartsOnlyWhenResumed)
{
    std::atomic<bool> ran{false};
    HANDLE thread = StartThread(
        [&]
        {
            ran = true;
            return DWORD{0};
        },
        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    // A suspended thread counts as waiting, so this sleep passes.
    Sleep(1000);
    EXPECT_FALSE(ran);
    EXPECT_EQ(1u, ResumeThread(thread));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    EXPECT_TRUE(ran);
    EXPECT_EQ(0u, ResumeThread(thread));
    CloseHandle(thread);
}

TEST_F(KernelThreadTest, SleepZeroLetsNoTimePass)
{
    const DWORD start = GetTickCount();
    Sleep(0);
    EXPECT_EQ(start, GetTickCount());
    Sleep(1);
    EXPECT_EQ(start + 1, GetTickCount());
}

TEST_F(KernelThreadTest, ThreadCallErrors)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(event, &code));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(-1), ResumeThread(event));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    CloseHandle(event);
}

TEST_F(KernelThreadTest, ProcessEndStopsThreadsThatAreStillRunning)
{
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> loops{0};
    HANDLE waiting = StartThread([&] { return WaitForSingleObject(never, INFINITE); });
    HANDLE polling = StartThread(
        [&]
        {
            for (;;)
            {
                Sleep(500);
                ++loops;
            }
            return DWORD{0};
        });
    HANDLE suspended = StartThread([] { return DWORD{0}; }, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, waiting);
    ASSERT_NE(nullptr, polling);
    ASSERT_NE(nullptr, suspended);
    Sleep(2000);
    EXPECT_GE(loops.load(), 3);
    // Returns although none of the threads would ever end by itself.
    winsim::Detach(0);
    EXPECT_FALSE(winsim::IsAttached());
    const int stoppedAt = loops.load();
    Reattach(MachineDir());
    Sleep(5000);
    EXPECT_EQ(stoppedAt, loops.load());
}

} // namespace
