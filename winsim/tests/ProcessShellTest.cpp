// ShellExecuteA and ShellExecuteExA: starting programs as the shell does, and elevation on Vista.
#include <gtest/gtest.h>

#include <string>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "shellapi.h"
#include "windows.h"

using namespace process_test;

namespace
{

constexpr const char* kViewer = "C:\\TEST\\Apps\\viewer.exe";

class ProcessShellTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        PutViewer();
    }
    static void PutViewer()
    {
        Declare(Program("VIEWER"));
        ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\Apps", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        WriteImage(kViewer, "Viewer", "exe", "x86");
    }

    static SHELLEXECUTEINFOA Info(const char* verb, const char* file, ULONG mask = SEE_MASK_NOCLOSEPROCESS)
    {
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = mask;
        info.lpVerb = verb;
        info.lpFile = file;
        return info;
    }

    static uintptr_t Code(HINSTANCE instance) { return reinterpret_cast<uintptr_t>(instance); }
};

std::string CommandLineOf(DWORD pid)
{
    auto stmt =
        winsim::Runtime::Current()->GetMachine().GetStore().Prepare("SELECT cmdline FROM processes WHERE pid = ?1");
    stmt.Bind(1, pid);
    return stmt.Step() ? stmt.Text(0) : "<none>";
}

} // namespace

TEST_F(ProcessShellTest, OpenStartsTheProgramAndHandsBackItsProcess)
{
    SHELLEXECUTEINFOA info = Info("open", kViewer);
    info.lpParameters = "/page 2";
    ASSERT_TRUE(ShellExecuteExA(&info)) << GetLastError();
    EXPECT_GT(Code(info.hInstApp), 32u);
    ASSERT_NE(nullptr, info.hProcess);
    EXPECT_EQ("\"C:\\TEST\\Apps\\viewer.exe\" /page 2", CommandLineOf(GetProcessId(info.hProcess)));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(info.hProcess, 0));
    CloseHandle(info.hProcess);

    SHELLEXECUTEINFOA plain = Info(nullptr, kViewer, 0);
    ASSERT_TRUE(ShellExecuteExA(&plain));
    EXPECT_EQ(nullptr, plain.hProcess);

    SHELLEXECUTEINFOA wrong = Info("open", kViewer);
    wrong.cbSize = sizeof(wrong) - 4;
    EXPECT_FALSE(ShellExecuteExA(&wrong));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(ProcessShellTest, QuotedFileNameIsTheNameInsideTheQuotes)
{
    const std::string quoted = std::string("\"") + kViewer + "\"";
    SHELLEXECUTEINFOA info = Info("open", quoted.c_str());
    ASSERT_TRUE(ShellExecuteExA(&info)) << GetLastError();
    EXPECT_EQ("\"C:\\TEST\\Apps\\viewer.exe\"", CommandLineOf(GetProcessId(info.hProcess)));
    CloseHandle(info.hProcess);
}

TEST_F(ProcessShellTest, FailuresComeAsShellCodesAndErrors)
{
    file_test::WriteText("C:\\TEST\\readme.txt", "read me");
    struct Case
    {
        const char* verb;
        const char* file;
        uintptr_t code;
        DWORD error;
    } cases[] = {
        {nullptr, "C:\\TEST\\missing.exe", SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
        {"open", "C:\\NOPE\\setup.exe", SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
        {"open", "C:\\TEST\\readme.txt", SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
        {"print", kViewer, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
    };
    for (const Case& c : cases)
    {
        SetLastError(0);
        EXPECT_EQ(c.code, Code(ShellExecuteA(nullptr, c.verb, c.file, nullptr, nullptr, SW_SHOW))) << c.file;
        EXPECT_EQ(c.error, GetLastError()) << c.file;
    }
    // A bare name is looked for in the working folder given.
    EXPECT_GT(Code(ShellExecuteA(nullptr, "open", "viewer", nullptr, "C:\\TEST\\Apps", SW_SHOW)), 32u);
}

TEST_F(ProcessShellTest, RunasOnXpRunsAsOpen)
{
    SHELLEXECUTEINFOA info = Info("runas", kViewer);
    ASSERT_TRUE(ShellExecuteExA(&info));
    EXPECT_NE(nullptr, info.hProcess);
    CloseHandle(info.hProcess);
}

namespace
{

class ProcessShellVistaTest : public ProcessShellTest
{
protected:
    const char* Profile() const override { return "vista-x64"; }
};

} // namespace

TEST_F(ProcessShellVistaTest, ElevationTheUserAcceptsStartsTheProgram)
{
    SHELLEXECUTEINFOA info = Info("RunAs", kViewer);
    ASSERT_TRUE(ShellExecuteExA(&info)) << GetLastError();
    EXPECT_NE(nullptr, info.hProcess);
    CloseHandle(info.hProcess);
}

TEST_F(ProcessShellVistaTest, ElevationTheUserRefusesIsCancelled)
{
    std::string error;
    const std::string dir =
        MachineFromProfileCopy("vista-x64", "[Machine]\nAcceptElevation=0\n", MachineDir() + "-refuses", error);
    ASSERT_FALSE(dir.empty()) << error;
    AttachTo(dir);
    PutViewer();

    SHELLEXECUTEINFOA info = Info("runas", kViewer);
    EXPECT_FALSE(ShellExecuteExA(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), GetLastError());
    EXPECT_EQ(static_cast<uintptr_t>(SE_ERR_ACCESSDENIED), Code(info.hInstApp));
    EXPECT_EQ(nullptr, info.hProcess);
    EXPECT_EQ(static_cast<uintptr_t>(SE_ERR_ACCESSDENIED),
              Code(ShellExecuteA(nullptr, "runas", kViewer, nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ(2u, file_test::Journal("process", "elevation-refused").size());
    // Without elevation it starts.
    EXPECT_GT(Code(ShellExecuteA(nullptr, "open", kViewer, nullptr, nullptr, SW_SHOW)), 32u);
}
