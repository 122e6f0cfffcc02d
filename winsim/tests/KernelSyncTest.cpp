// Events, semaphores and mutexes and the waits on them. Every behaviour is checked for unnamed objects
// (kept in the process) and for named ones (kept on the machine).
#include <gtest/gtest.h>

#include <string>

#include "KernelTestSupport.h"
#include "TestMachine.h"

using namespace kernel_test;

namespace
{

class KernelSyncTest : public TestMachine, public ::testing::WithParamInterface<bool>
{
protected:
    // A fresh object name for the named variant, nullptr for the unnamed one.
    const char* Name()
    {
        if (!GetParam())
            return nullptr;
        m_names.push_back("Kernel.Sync." + std::to_string(m_names.size()));
        return m_names.back().c_str();
    }

    HANDLE Event(bool manualReset, bool initialState)
    {
        HANDLE event = CreateEventA(nullptr, manualReset, initialState, Name());
        EXPECT_NE(nullptr, event);
        EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
        return event;
    }

    HANDLE Semaphore(LONG initial, LONG maximum)
    {
        HANDLE semaphore = CreateSemaphoreA(nullptr, initial, maximum, Name());
        EXPECT_NE(nullptr, semaphore);
        return semaphore;
    }

    HANDLE Mutex(bool owned)
    {
        HANDLE mutex = CreateMutexA(nullptr, owned, Name());
        EXPECT_NE(nullptr, mutex);
        return mutex;
    }

private:
    std::vector<std::string> m_names;
};

TEST_P(KernelSyncTest, AutoResetEventLetsOneWaitThroughPerSet)
{
    HANDLE event = Event(false, false);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    ASSERT_TRUE(SetEvent(event));
    ASSERT_TRUE(SetEvent(event));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    ASSERT_TRUE(SetEvent(event));
    ASSERT_TRUE(ResetEvent(event));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    EXPECT_TRUE(CloseHandle(event));
}

TEST_P(KernelSyncTest, ManualResetEventStaysSignalledUntilReset)
{
    HANDLE event = Event(true, true);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    ASSERT_TRUE(ResetEvent(event));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    CloseHandle(event);
}

TEST_P(KernelSyncTest, SemaphoreCountsAndRefusesPostsPastItsMaximum)
{
    HANDLE semaphore = Semaphore(1, 3);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(semaphore, 0));
    LONG previous = -1;
    ASSERT_TRUE(ReleaseSemaphore(semaphore, 2, &previous));
    EXPECT_EQ(0, previous);
    // 2 + 2 > 3: nothing is released.
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 2, &previous));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TOO_MANY_POSTS), GetLastError());
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(semaphore, 0));
    CloseHandle(semaphore);

    for (auto [initial, maximum] : {std::pair{0, 0}, std::pair{-1, 2}, std::pair{3, 2}})
    {
        EXPECT_EQ(nullptr, CreateSemaphoreA(nullptr, initial, maximum, Name()));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
}

TEST_P(KernelSyncTest, MutexIsRecursiveAndOnlyItsOwnerReleasesIt)
{
    HANDLE mutex = Mutex(true);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    HANDLE other = StartThread(
        [&]
        {
            DWORD waited = WaitForSingleObject(mutex, 0);
            BOOL released = ReleaseMutex(mutex);
            return waited == WAIT_TIMEOUT && !released && GetLastError() == ERROR_NOT_OWNER ? DWORD{0} : DWORD{1};
        });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(other, INFINITE));
    EXPECT_EQ(0u, ExitCodeOf(other));
    CloseHandle(other);

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_OWNER), GetLastError());
    CloseHandle(mutex);
}

TEST_P(KernelSyncTest, MutexOfAThreadThatEndedIsAbandoned)
{
    HANDLE mutex = Mutex(false);
    HANDLE owner = StartThread([&] { return WaitForSingleObject(mutex, INFINITE); });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(owner, INFINITE));
    EXPECT_EQ(WAIT_OBJECT_0, ExitCodeOf(owner));
    CloseHandle(owner);

    EXPECT_EQ(WAIT_ABANDONED, WaitForSingleObject(mutex, 0));
    // Now it is ours, in the ordinary way.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST_P(KernelSyncTest, WaitForAnyTakesTheLowestSignalledObject)
{
    HANDLE events[3] = {Event(false, false), Event(false, false), Event(false, false)};
    ASSERT_TRUE(SetEvent(events[2]));
    ASSERT_TRUE(SetEvent(events[1]));
    EXPECT_EQ(WAIT_OBJECT_0 + 1, WaitForMultipleObjects(3, events, FALSE, 0));
    EXPECT_EQ(WAIT_OBJECT_0 + 2, WaitForMultipleObjects(3, events, FALSE, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(3, events, FALSE, 0));
    for (HANDLE event : events)
        CloseHandle(event);
}

TEST_P(KernelSyncTest, WaitForAllTakesEverythingOrNothing)
{
    HANDLE objects[2] = {Event(false, true), Semaphore(0, 1)};
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, objects, TRUE, 0));
    ASSERT_TRUE(ReleaseSemaphore(objects[1], 1, nullptr));
    // The event was not consumed by the wait that failed.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, objects, TRUE, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(objects[0], 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(objects[1], 0));

    // A blocked wait for all wakes once the last object comes.
    HANDLE waiter = StartThread([&] { return WaitForMultipleObjects(2, objects, TRUE, INFINITE); });
    Sleep(10);
    ASSERT_TRUE(SetEvent(objects[0]));
    Sleep(10);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(objects[0], 0)) << "a wait for all took part of its objects";
    ASSERT_TRUE(SetEvent(objects[0]));
    ASSERT_TRUE(ReleaseSemaphore(objects[1], 1, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(waiter, INFINITE));
    EXPECT_EQ(WAIT_OBJECT_0, ExitCodeOf(waiter));
    CloseHandle(waiter);
    for (HANDLE object : objects)
        CloseHandle(object);
}

TEST_P(KernelSyncTest, TimedWaitEndsAtExactlyItsDeadline)
{
    HANDLE event = Event(true, false);
    const DWORD start = GetTickCount();
    const uint64_t startTime = NowFileTime();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 5000));
    EXPECT_EQ(5000u, GetTickCount() - start);
    EXPECT_EQ(5000u * 10000u, NowFileTime() - startTime);
    CloseHandle(event);
}

TEST_P(KernelSyncTest, OperationsOnAHandleOfAnotherKindFail)
{
    HANDLE event = Event(true, false);
    HANDLE semaphore = Semaphore(0, 1);
    EXPECT_FALSE(ReleaseSemaphore(event, 1, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(ReleaseMutex(semaphore));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SetEvent(semaphore));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    CloseHandle(event);
    CloseHandle(semaphore);
}

INSTANTIATE_TEST_SUITE_P(Kernel, KernelSyncTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "Named" : "Unnamed"; });

class KernelHandleTest : public TestMachine
{
};

TEST_F(KernelHandleTest, BadHandlesAndArguments)
{
    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7770));
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(CloseHandle(bogus));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(bogus, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE both[2] = {event, bogus};
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(2, both, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(0, both, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    HANDLE many[MAXIMUM_WAIT_OBJECTS + 1];
    for (HANDLE& handle : many)
        handle = event;
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, many, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    // The same object twice in a wait for all.
    HANDLE twice[2] = {event, event};
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(2, twice, TRUE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, twice, FALSE, 0));

    EXPECT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SetEvent(event));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(KernelHandleTest, CurrentProcessPseudoHandle)
{
    HANDLE self = GetCurrentProcess();
    EXPECT_EQ(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)), self);
    const DWORD start = GetTickCount();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(self, 250));
    EXPECT_EQ(250u, GetTickCount() - start);
    EXPECT_TRUE(CloseHandle(self));
}

} // namespace
