// Named objects shared by two processes of one machine. The other process is this test program again,
// started as `winsim run` starts programs (the machine named in the environment) and told by
// KERNEL_TEST_CHILD which part to play in KernelChild.Play, a test that is skipped otherwise.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "KernelTestSupport.h"
#include "TestMachine.h"
#include "core/Runtime.h"

extern char** environ;

namespace
{

constexpr const char* kChildRole = "KERNEL_TEST_CHILD";
constexpr const char* kChildObject = "KERNEL_TEST_OBJECT";
// What a child that ends without detaching (a crash) exits with.
constexpr int kCrashed = 42;

class KernelCrossProcessTest : public TestMachine
{
protected:
    // Starts the child process on this machine; -1 on failure.
    pid_t Spawn(const std::string& role, const std::string& object)
    {
        std::vector<std::string> settings;
        for (char** entry = environ; *entry; ++entry)
            settings.emplace_back(*entry);
        settings.push_back(std::string(winsim::kEnvMachine) + "=" + MachineDir());
        settings.push_back(std::string(winsim::kEnvImage) + "=C:\\TEST\\child.exe");
        settings.push_back(std::string(winsim::kEnvTime) + "=virtual");
        settings.push_back(std::string(winsim::kEnvParentPid) + "=" + std::to_string(GetCurrentProcessId()));
        settings.push_back(std::string(kChildRole) + "=" + role);
        settings.push_back(std::string(kChildObject) + "=" + object);
        std::vector<char*> envp;
        for (std::string& setting : settings)
            envp.push_back(setting.data());
        envp.push_back(nullptr);
        std::string program = "/proc/self/exe";
        std::string filter = "--gtest_filter=KernelChild.Play";
        char* argv[] = {program.data(), filter.data(), nullptr};

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? pid : -1;
    }

    // The child's exit code once it has ended (-1 if it died of a signal).
    static int Reap(pid_t pid)
    {
        int status = 0;
        if (waitpid(pid, &status, 0) != pid)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static int Count(const char* sql, const std::string& name)
    {
        auto stmt = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(sql);
        stmt.Bind(1, name);
        return stmt.Step() ? static_cast<int>(stmt.Int(0)) : -1;
    }
};

TEST_F(KernelCrossProcessTest, NamedEventSetInOneProcessWakesAWaiterInAnother)
{
    HANDLE shared = CreateEventA(nullptr, FALSE, FALSE, "Kernel.Cross.Event");
    // Set by a watchdog once the child has ended, so that a child that fails cannot hang the test.
    HANDLE childEnded = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Cross.Ended");
    ASSERT_NE(nullptr, shared);
    pid_t child = Spawn("set-event", "Kernel.Cross.Event");
    ASSERT_GT(child, 0);
    int exitCode = -1;
    std::thread watchdog(
        [&]
        {
            exitCode = Reap(child);
            SetEvent(childEnded);
        });
    HANDLE both[2] = {shared, childEnded};
    DWORD result = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    watchdog.join();
    EXPECT_EQ(WAIT_OBJECT_0, result);
    EXPECT_EQ(0, exitCode);
    // The child's handle is gone, ours is not.
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM named_object_refs WHERE name = ?1", "Kernel.Cross.Event"));
    CloseHandle(shared);
    CloseHandle(childEnded);
}

TEST_F(KernelCrossProcessTest, MutexOfACrashedProcessIsAbandoned)
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Kernel.Cross.Mutex");
    ASSERT_NE(nullptr, mutex);
    pid_t child = Spawn("own-mutex-and-crash", "Kernel.Cross.Mutex");
    ASSERT_GT(child, 0);
    ASSERT_EQ(kCrashed, Reap(child));
    EXPECT_EQ(WAIT_ABANDONED, WaitForSingleObject(mutex, 0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST_F(KernelCrossProcessTest, HandlesOfACrashedProcessArePruned)
{
    pid_t child = Spawn("hold-event-and-crash", "Kernel.Cross.Orphan");
    ASSERT_GT(child, 0);
    ASSERT_EQ(kCrashed, Reap(child));
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM named_objects WHERE name = ?1", "Kernel.Cross.Orphan"));
    // Opening any name notices that the only holder is gone.
    EXPECT_EQ(nullptr, OpenEventA(SYNCHRONIZE, FALSE, "Kernel.Cross.Orphan"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(0, Count("SELECT COUNT(*) FROM named_object_refs WHERE name = ?1", "Kernel.Cross.Orphan"));
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM journal WHERE op = 'delete' AND target = ?1", "Kernel.Cross.Orphan"));
}

// Real time that timed waits on a named object took; false if a wait did not time out.
bool TimeOutOn(HANDLE object, int nWaits, DWORD dwMs, std::chrono::steady_clock::duration& real)
{
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < nWaits; ++n)
    {
        if (WaitForSingleObject(object, dwMs) != WAIT_TIMEOUT)
            return false;
    }
    real = std::chrono::steady_clock::now() - start;
    return true;
}

// Another process could set a named object, so its timed waits give other processes a short real grace
// period before time jumps; with no other process on the machine, or only one that waits outside it, there
// is nobody to wait for.
TEST_F(KernelCrossProcessTest, TimedWaitsOnANamedObjectHoldTimeBackOnlyWhileAnotherProcessRunsInTheMachine)
{
    using namespace std::chrono_literals;
    HANDLE quiet = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Cross.Quiet");
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Cross.Ready");
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Cross.Done");
    ASSERT_TRUE(quiet && ready && done);
    const DWORD dwStart = GetTickCount();
    std::chrono::steady_clock::duration alone{};
    ASSERT_TRUE(TimeOutOn(quiet, 50, 50, alone));
    EXPECT_EQ(2500u, GetTickCount() - dwStart);
    EXPECT_LT(alone, 1s);

    pid_t child = Spawn("wait-for-done", "Kernel.Cross.Ready");
    ASSERT_GT(child, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, INFINITE));
    std::chrono::steady_clock::duration shared{};
    const bool bTimedOut = TimeOutOn(quiet, 10, 50, shared);
    SetEvent(done);
    EXPECT_EQ(0, Reap(child));
    EXPECT_TRUE(bTimedOut);
    EXPECT_GE(shared, 200ms);

    // A process that waits on something outside the machine holds nothing back.
    ASSERT_TRUE(ResetEvent(ready) && ResetEvent(done));
    child = Spawn("outside-until-done", "Kernel.Cross.Ready");
    ASSERT_GT(child, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, INFINITE));
    std::chrono::steady_clock::duration outside{};
    const bool bOutsideTimedOut = TimeOutOn(quiet, 50, 50, outside);
    SetEvent(done);
    EXPECT_EQ(0, Reap(child));
    EXPECT_TRUE(bOutsideTimedOut);
    EXPECT_LT(outside, 1s);
    CloseHandle(quiet);
    CloseHandle(ready);
    CloseHandle(done);
}

// The other process's part in the tests above.
TEST(KernelChild, Play)
{
    const char* role = std::getenv(kChildRole);
    const char* object = std::getenv(kChildObject);
    if (!role || !object)
        GTEST_SKIP() << "plays its part only when started by a cross-process kernel test";
    std::string error;
    ASSERT_TRUE(winsim::AttachFromEnvironment(error)) << error;
    const std::string part = role;
    if (part == "set-event")
    {
        HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, object);
        ASSERT_NE(nullptr, event);
        ASSERT_TRUE(SetEvent(event));
        CloseHandle(event);
        winsim::Detach(0);
        return;
    }
    if (part == "wait-for-done")
    {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, object);
        HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, "Kernel.Cross.Done");
        ASSERT_TRUE(ready && done);
        ASSERT_TRUE(SetEvent(ready));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, INFINITE));
        CloseHandle(ready);
        CloseHandle(done);
        winsim::Detach(0);
        return;
    }
    if (part == "outside-until-done")
    {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, object);
        HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, "Kernel.Cross.Done");
        ASSERT_TRUE(ready && done);
        ASSERT_TRUE(winsim::SetWaitingOutside(true));
        ASSERT_TRUE(SetEvent(ready));
        // Looks in now and then without waiting in the machine, as a test blocked on a host command would.
        while (WaitForSingleObject(done, 0) != WAIT_OBJECT_0)
            usleep(5000);
        EXPECT_TRUE(winsim::SetWaitingOutside(false));
        CloseHandle(ready);
        CloseHandle(done);
        winsim::Detach(0);
        return;
    }
    if (part == "own-mutex-and-crash")
    {
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, object);
        ASSERT_NE(nullptr, mutex);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, INFINITE));
        _exit(kCrashed);
    }
    if (part == "hold-event-and-crash")
    {
        ASSERT_NE(nullptr, CreateEventA(nullptr, TRUE, FALSE, object));
        _exit(kCrashed);
    }
    FAIL() << "unknown part " << part;
}

} // namespace
