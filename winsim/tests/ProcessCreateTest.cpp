// CreateProcessA: host child processes (this test program again), declared programs, and how the
// module is found and refused.
#include <gtest/gtest.h>

#include <string>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "windows.h"

using namespace process_test;

namespace
{

class ProcessCreateTest : public HostChildMachine
{
};

class ProcessCreateErrorTest : public TestMachine
{
};

} // namespace

TEST_F(ProcessCreateTest, HostChildRunsToItsExitCode)
{
    Started child = Start(nullptr, Child() + " exit 7");
    ASSERT_TRUE(child.ok) << child.error;
    EXPECT_EQ(0u, child.info.dwProcessId % 4);
    EXPECT_NE(GetCurrentProcessId(), child.info.dwProcessId);
    EXPECT_EQ(child.info.dwProcessId * 256 + 4, child.info.dwThreadId);
    EXPECT_EQ(GetProcessId(child.info.hProcess), child.info.dwProcessId);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hProcess, INFINITE));
    EXPECT_EQ(7u, ExitCodeOf(child.info.hProcess));
    // The first thread ends with the process.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hThread, 0));
    Close(child);
}

TEST_F(ProcessCreateTest, ChildGetsItsCommandLineDirectoryAndParent)
{
    // The application name is the module; the command line goes over as it is, first word and all.
    Started child = Start(Child().c_str(), "anything record C:\\TEST\\seen.txt", "C:\\WINDOWS");
    ASSERT_TRUE(child.ok) << child.error;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hProcess, INFINITE));
    EXPECT_EQ(0u, ExitCodeOf(child.info.hProcess));
    const std::string seen = file_test::ReadText("C:\\TEST\\seen.txt");
    EXPECT_EQ(
        0u,
        seen.rfind("anything record C:\\TEST\\seen.txt|C:\\WINDOWS|" + std::to_string(GetCurrentProcessId()) + "|", 0))
        << seen;
    Close(child);
}

TEST_F(ProcessCreateTest, UnquotedPathWithBlanksIsFoundWordByWord)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\Sub Dir", nullptr));
    WriteImage("C:\\TEST\\Sub Dir\\child.exe", SelfProgram());
    // Without a directory of its own, the child starts in its parent's.
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WINDOWS\\system32"));
    // "C:\TEST\Sub" is tried first; ".exe" is added to a name without an extension.
    Started child = Start(nullptr, "C:\\TEST\\Sub Dir\\child record C:\\TEST\\seen.txt");
    ASSERT_TRUE(child.ok) << child.error;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hProcess, INFINITE));
    const std::string seen = file_test::ReadText("C:\\TEST\\seen.txt");
    EXPECT_NE(std::string::npos, seen.find("|C:\\WINDOWS\\system32|")) << seen;
    Close(child);
}

TEST_F(ProcessCreateTest, ChildThatCrashesEndsWithItsHostStatus)
{
    Started child = Start(nullptr, Child() + " crash 42");
    ASSERT_TRUE(child.ok) << child.error;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hProcess, INFINITE));
    EXPECT_EQ(42u, ExitCodeOf(child.info.hProcess));
    const auto ends = file_test::Journal("process", "end");
    ASSERT_EQ(1u, ends.size());
    EXPECT_NE(std::string::npos, ends[0].find("without recording its exit")) << ends[0];
    Close(child);
}

TEST_F(ProcessCreateTest, WaitOnARunningChildTimesOut)
{
    Started child = Start(nullptr, Child() + " wait Process.Create.Go exit 3");
    ASSERT_TRUE(child.ok) << child.error;
    const DWORD before = GetTickCount();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(child.info.hProcess, 1000));
    EXPECT_GE(GetTickCount() - before, 1000u);
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), ExitCodeOf(child.info.hProcess));
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, "Process.Create.Go");
    ASSERT_TRUE(SetEvent(go));
    HANDLE both[2] = {child.info.hProcess, child.info.hThread};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, TRUE, INFINITE));
    EXPECT_EQ(3u, ExitCodeOf(child.info.hProcess));
    CloseHandle(go);
    Close(child);
}

TEST_F(ProcessCreateErrorTest, DeclaredProgramLivesForItsLifetime)
{
    Declare(Program("COMPANION", {{"Companion", "CompanionWnd"}}, 5000, 3));
    WriteImage("C:\\TEST\\companion.exe", "Companion");
    Started app = Start(nullptr, "C:\\TEST\\companion.exe /quiet");
    ASSERT_TRUE(app.ok) << app.error;
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), ExitCodeOf(app.info.hProcess));
    HWND window = FindWindowA("CompanionWnd", "Companion");
    ASSERT_NE(nullptr, window);
    DWORD owner = 0;
    EXPECT_EQ(app.info.dwThreadId, GetWindowThreadProcessId(window, &owner));
    EXPECT_EQ(app.info.dwProcessId, owner);

    const DWORD before = GetTickCount();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(app.info.hProcess, 1000));
    // Virtual time goes straight to the end of its life.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(app.info.hProcess, INFINITE));
    EXPECT_EQ(5000u, GetTickCount() - before);
    EXPECT_EQ(3u, ExitCodeOf(app.info.hProcess));
    EXPECT_FALSE(IsWindow(window));
    Close(app);
}

TEST_F(ProcessCreateErrorTest, ProgramWithoutLifetimeRunsOn)
{
    Declare(Program("DAEMON"));
    WriteImage("C:\\TEST\\daemon.exe", "daemon");
    // A bare name is looked for in the program's folder; ".exe" is added.
    Started app = Start(nullptr, "daemon");
    ASSERT_TRUE(app.ok) << app.error;
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(app.info.hProcess, 100000));
    Close(app);
}

TEST_F(ProcessCreateErrorTest, ModulesThatCannotRunAreRefused)
{
    file_test::WriteText("C:\\TEST\\text.exe", "just text");
    WriteImage("C:\\TEST\\library.exe", "patch_sample", "dll");
    WriteImage("C:\\TEST\\wide.exe", "daemon", "exe", "x64");
    WriteImage("C:\\TEST\\orphan.exe", "no_such_host_program");
    Declare(Program("DAEMON"));
    WriteImage("C:\\TEST\\daemon.exe", "daemon");
    struct Case
    {
        const char* application;
        const char* commandLine;
        const char* directory;
        DWORD error;
    } cases[] = {
        {nullptr, "C:\\TEST\\missing.exe /s", nullptr, ERROR_FILE_NOT_FOUND},
        {nullptr, "nosuchprogram /s", nullptr, ERROR_FILE_NOT_FOUND},
        {"C:\\NOPE\\setup.exe", nullptr, nullptr, ERROR_PATH_NOT_FOUND},
        // No extension is added to an application name.
        {"C:\\TEST\\text", nullptr, nullptr, ERROR_FILE_NOT_FOUND},
        {"C:\\TEST", nullptr, nullptr, ERROR_ACCESS_DENIED},
        {"C:\\TEST\\text.exe", nullptr, nullptr, ERROR_BAD_EXE_FORMAT},
        {"C:\\TEST\\library.exe", nullptr, nullptr, ERROR_BAD_EXE_FORMAT},
        {"C:\\TEST\\wide.exe", nullptr, nullptr, ERROR_BAD_EXE_FORMAT},
        {"C:\\TEST\\orphan.exe", nullptr, nullptr, ERROR_BAD_EXE_FORMAT},
        {nullptr, "C:\\TEST\\daemon.exe", "C:\\TEST\\nofolder", ERROR_DIRECTORY},
        {nullptr, nullptr, nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases)
    {
        Started started = Start(c.application, c.commandLine ? c.commandLine : "", c.directory);
        EXPECT_FALSE(started.ok) << (c.application ? c.application : c.commandLine);
        EXPECT_EQ(c.error, started.error) << (c.application ? c.application : c.commandLine ? c.commandLine : "null");
        Close(started);
    }
    // Nothing was started.
    auto stmt = winsim::Runtime::Current()->GetMachine().GetStore().Prepare("SELECT COUNT(*) FROM processes");
    ASSERT_TRUE(stmt.Step());
    EXPECT_EQ(1, stmt.Int(0));
}
