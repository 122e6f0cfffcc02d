// OpenProcess, GetExitCodeProcess, TerminateProcess: access rights, ended processes, and what ending a
// process takes with it.
#include <gtest/gtest.h>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "kernel/ProcessLiveness.h"
#include "windows.h"

using namespace process_test;

namespace
{

class ProcessControlTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        Declare(Program("MODEMAPP", {{"Modem Status", "ModemWnd"}, {"Modem Tray", "TrayWnd"}}));
        WriteImage("C:\\TEST\\modemapp.exe", "ModemApp");
    }
};

class ProcessTerminateHostTest : public HostChildMachine
{
};

} // namespace

TEST_F(ProcessControlTest, OpenProcessKnowsOnlyRunningProcesses)
{
    SetLastError(0);
    EXPECT_EQ(nullptr, OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(nullptr, OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 4000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
    ASSERT_NE(nullptr, self);
    EXPECT_EQ(GetCurrentProcessId(), GetProcessId(self));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), ExitCodeOf(self));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(self, 0));
    CloseHandle(self);

    Started app = Start(nullptr, "C:\\TEST\\modemapp.exe");
    ASSERT_TRUE(app.ok) << app.error;
    ASSERT_TRUE(TerminateProcess(app.info.hProcess, 1));
    EXPECT_EQ(nullptr, OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, app.info.dwProcessId));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    Close(app);
}

TEST_F(ProcessControlTest, TerminatingADeclaredProcessTakesItsWindows)
{
    Started app = Start(nullptr, "C:\\TEST\\modemapp.exe");
    ASSERT_TRUE(app.ok) << app.error;
    HWND status = FindWindowA(nullptr, "Modem Status");
    ASSERT_NE(nullptr, status);

    // A handle needs the right for what is done with it.
    HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, app.info.dwProcessId);
    HANDLE synchronize = OpenProcess(SYNCHRONIZE, FALSE, app.info.dwProcessId);
    ASSERT_NE(nullptr, query);
    ASSERT_NE(nullptr, synchronize);
    EXPECT_FALSE(TerminateProcess(query, 5));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeProcess(synchronize, &code));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    // Two handles to one process are one object to a wait for all.
    HANDLE both[2] = {app.info.hProcess, synchronize};
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(2, both, TRUE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    ASSERT_TRUE(TerminateProcess(app.info.hProcess, 5));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(synchronize, 0));
    EXPECT_EQ(5u, ExitCodeOf(query));
    EXPECT_FALSE(IsWindow(status));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, FindWindowA("TrayWnd", nullptr));
    // An ended process cannot be terminated again.
    EXPECT_FALSE(TerminateProcess(app.info.hProcess, 6));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(5u, ExitCodeOf(app.info.hProcess));
    EXPECT_EQ(std::vector<std::string>{"C:\\TEST\\modemapp.exe|terminated, exit code 5"},
              file_test::Journal("process", "end"));
    CloseHandle(query);
    CloseHandle(synchronize);
    Close(app);
}

TEST_F(ProcessControlTest, ProcessHandlesAreNotThreadHandles)
{
    Started app = Start(nullptr, "C:\\TEST\\modemapp.exe");
    ASSERT_TRUE(app.ok) << app.error;
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeProcess(app.info.hThread, &code));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(TerminateProcess(app.info.hThread, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(0u, GetProcessId(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(GetCurrentProcessId(), GetProcessId(GetCurrentProcess()));
    Close(app);
}

TEST_F(ProcessTerminateHostTest, TerminatingAHostChildKillsIt)
{
    Started child = Start(nullptr, Child() + " wait Process.Never.Set exit 3");
    ASSERT_TRUE(child.ok) << child.error;
    ASSERT_TRUE(TerminateProcess(child.info.hProcess, 99));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hProcess, INFINITE));
    EXPECT_EQ(99u, ExitCodeOf(child.info.hProcess));
    auto stmt =
        winsim::Runtime::Current()->GetMachine().GetStore().Prepare("SELECT host_pid FROM processes WHERE pid = ?1");
    stmt.Bind(1, child.info.dwProcessId);
    ASSERT_TRUE(stmt.Step());
    const int64_t host = stmt.Int(0);
    // The host process is gone (a zombie until it is reaped counts as gone).
    for (int i = 0; i < 200 && winsim::ProcessLiveness::IsHostRunning(host); ++i)
        usleep(10000);
    EXPECT_FALSE(winsim::ProcessLiveness::IsHostRunning(host));
    Close(child);
}
