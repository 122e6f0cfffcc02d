// What a process learns about itself and its machine: ids, command line, module name, environment,
// Windows version and processor.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KernelTestSupport.h"
#include "TestMachine.h"

using namespace kernel_test;

namespace
{

class KernelProcessTest : public TestMachine
{
};

class KernelProcessVistaTest : public TestMachine
{
protected:
    const char* Profile() const override { return "vista-x64"; }
};

class KernelProcess98Test : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

std::string Variable(const char* name)
{
    char buffer[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    return length && length < sizeof(buffer) ? std::string(buffer, length) : std::string("<unset>");
}

TEST_F(KernelProcessTest, IdsAndCommandLine)
{
    const DWORD pid = GetCurrentProcessId();
    EXPECT_NE(0u, pid);
    EXPECT_EQ(0u, pid % 4);
    EXPECT_STREQ("\"C:\\TEST\\tests.exe\"", GetCommandLineA());
}

TEST_F(KernelProcessTest, ModuleNameOfTheImageTruncatesTheXpWay)
{
    const std::string path = "C:\\TEST\\tests.exe";
    char buffer[64];
    EXPECT_EQ(path.size(), GetModuleFileNameA(nullptr, buffer, sizeof(buffer)));
    EXPECT_EQ(path, buffer);

    // Exactly the length: all characters, no terminating null, success.
    std::memset(buffer, '#', sizeof(buffer));
    SetLastError(ERROR_ACCESS_DENIED);
    const DWORD size = static_cast<DWORD>(path.size());
    EXPECT_EQ(size, GetModuleFileNameA(nullptr, buffer, size));
    EXPECT_EQ(path, std::string(buffer, size));
    EXPECT_EQ('#', buffer[size]);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());

    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(5u, GetModuleFileNameA(nullptr, buffer, 5));
    EXPECT_EQ("C:\\TE#", std::string(buffer, 6));
}

TEST_F(KernelProcessVistaTest, ModuleNameTruncatesWithANullFromVistaOn)
{
    char buffer[64];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(5u, GetModuleFileNameA(nullptr, buffer, 5));
    EXPECT_STREQ("C:\\T", buffer);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST_F(KernelProcessTest, ModuleHandleOfTheImage)
{
    HMODULE image = GetModuleHandleA(nullptr);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(image, GetModuleHandleA("TESTS.EXE"));
    EXPECT_EQ(image, GetModuleHandleA("c:\\test\\tests.exe"));
    char buffer[64];
    EXPECT_EQ(17u, GetModuleFileNameA(image, buffer, sizeof(buffer)));
    // Without an extension the loader looks for a .dll.
    EXPECT_EQ(nullptr, GetModuleHandleA("tests"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST_F(KernelProcessTest, EnvironmentVariables)
{
    EXPECT_EQ("C:\\Documents and Settings\\Administrator\\Local Settings\\Temp", Variable("TEMP"));
    EXPECT_EQ(Variable("TEMP"), Variable("tmp"));
    EXPECT_EQ("C:\\WINDOWS", Variable("WINDIR"));
    EXPECT_EQ("C:\\WINDOWS", Variable("SystemRoot"));
    EXPECT_EQ("C:\\Program Files", Variable("ProgramFiles"));
    EXPECT_EQ("WINSIM-XP", Variable("COMPUTERNAME"));
    EXPECT_EQ("Windows_NT", Variable("OS"));
    EXPECT_EQ("<unset>", Variable("PROCESSOR_ARCHITEW6432"));

    // Too small a buffer: the size needed, with the null; the buffer untouched.
    char small[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(sizeof("Windows_NT"), GetEnvironmentVariableA("OS", small, sizeof(small)));
    EXPECT_EQ('#', small[0]);
    EXPECT_EQ(sizeof("Windows_NT"), GetEnvironmentVariableA("OS", nullptr, 0));

    EXPECT_EQ(0u, GetEnvironmentVariableA("NO_SUCH_VARIABLE", small, sizeof(small)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND), GetLastError());
}

TEST_F(KernelProcessTest, VersionOfXp)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(5u, info.dwMajorVersion);
    EXPECT_EQ(1u, info.dwMinorVersion);
    EXPECT_EQ(2600u, info.dwBuildNumber);
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), info.dwPlatformId);
    EXPECT_STREQ("Service Pack 2", info.szCSDVersion);

    OSVERSIONINFOEXA ex{};
    ex.dwOSVersionInfoSize = sizeof(ex);
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&ex)));
    EXPECT_EQ(2, ex.wServicePackMajor);
    EXPECT_EQ(0x0100, ex.wSuiteMask);
    EXPECT_EQ(VER_NT_WORKSTATION, ex.wProductType);

    info.dwOSVersionInfoSize = sizeof(info) + 1;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());

    EXPECT_EQ(0x0A280105u, GetVersion());
}

TEST_F(KernelProcess98Test, VersionOfWindows98)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), info.dwPlatformId);
    EXPECT_EQ(0x040A08AEu, info.dwBuildNumber);
    EXPECT_STREQ(" A ", info.szCSDVersion);
    // Windows 98 knows only the short structure.
    OSVERSIONINFOEXA ex{};
    ex.dwOSVersionInfoSize = sizeof(ex);
    EXPECT_FALSE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&ex)));
    EXPECT_EQ(0xC0000A04u, GetVersion());
    EXPECT_EQ("<unset>", Variable("OS"));
    EXPECT_EQ("C:\\WINDOWS", Variable("windir"));
}

TEST_F(KernelProcessVistaTest, A32BitProcessOnX64SeesTheMachineOnlyNatively)
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_INTEL, info.wProcessorArchitecture);
    GetNativeSystemInfo(&info);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, info.wProcessorArchitecture);
    EXPECT_EQ("x86", Variable("PROCESSOR_ARCHITECTURE"));
    EXPECT_EQ("AMD64", Variable("PROCESSOR_ARCHITEW6432"));
    EXPECT_EQ(0x17710006u, GetVersion());
}

} // namespace
