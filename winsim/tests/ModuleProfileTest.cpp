// What profiles take away from the built-in modules ([Modules] in machine.ini), the Windows 2000 profile,
// and the machine facts the module functions follow.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

#include "ModuleTestSupport.h"
#include "TestMachine.h"
#include "profile/HostFiles.h"
#include "shlobj.h"
#include "winsim/winsim.h"

using namespace module_test;

namespace
{

std::string ScratchDir(const std::string& name)
{
    static std::atomic<int> counter{0};
    const char* base = std::getenv("TMPDIR");
    std::string dir = std::string(base && *base ? base : "/tmp") + "/winsim-modules-" + std::to_string(getpid()) + "-" +
                      name + "-" + std::to_string(++counter);
    winsim::HostRemoveTree(dir);
    return dir;
}

// Machines made from xp-sp2 with lines added to its machine.ini.
class ModuleTrimTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (winsim::IsAttached())
            winsim::Detach(0);
        winsim::HostRemoveTree(m_machine);
        winsim::HostRemoveTree(m_profile);
    }

    // Makes the machine; false (with the error) when the profile is refused.
    bool Create(const std::string& extraIni, std::string& error)
    {
        m_profile = ScratchDir("profile");
        m_machine = ScratchDir("machine");
        std::string ini;
        EXPECT_TRUE(winsim::HostCopyTree(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2", m_profile, error));
        EXPECT_TRUE(winsim::HostReadFile(m_profile + "/machine.ini", ini));
        EXPECT_TRUE(winsim::HostWriteFile(m_profile + "/machine.ini", ini + extraIni));
        return winsim::CreateMachine(m_profile, m_machine, error);
    }

    void Attach(const std::string& extraIni)
    {
        std::string error;
        ASSERT_TRUE(Create(extraIni, error)) << error;
        winsim::AttachOptions options;
        options.machineDir = m_machine;
        options.imagePath = "C:\\TEST\\tests.exe";
        ASSERT_TRUE(winsim::Attach(options, error)) << error;
        ASSERT_TRUE(CreateDirectoryA("C:\\TEST", nullptr));
    }

    std::string m_profile;
    std::string m_machine;
};

class Module2000Test : public TestMachine
{
protected:
    const char* Profile() const override { return "win2k-sp4"; }
};

class Module98Test : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

TEST_F(ModuleTrimTest, AbsentModulesAndRemovedExports)
{
    Attach("\n[Modules]\nnewdev=Absent\nUSER32.DLL=absent\nShell32.dll = -IsUserAnAdmin , -NotExportedAnyway\n");

    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("newdev.dll"));
    EXPECT_EQ(nullptr, GetModuleHandleA("user32"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("user32"));
    EXPECT_EQ(0u, LoadError("setupapi"));

    // An image file of the absent module does not bring it back...
    ASSERT_TRUE(CopyFileA("C:\\WINDOWS\\system32\\setupapi.dll", "C:\\WINDOWS\\system32\\newdev.dll", TRUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("newdev"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("C:\\WINDOWS\\system32\\newdev.dll"));
    // ...but a library of that name that a package brings along is found as any other.
    WriteImage("C:\\TEST\\newdev.dll", kSamplePlugin);
    HMODULE own = LoadLibraryA("newdev");
    ASSERT_NE(nullptr, own);
    EXPECT_EQ("C:\\TEST\\newdev.dll", FileNameOf(own));
    FreeLibrary(own);

    HMODULE shell = LoadLibraryA("shell32");
    ASSERT_NE(nullptr, shell);
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(shell, "IsUserAnAdmin"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(shell, Ordinal(680)));
    FreeLibrary(shell);
}

TEST_F(ModuleTrimTest, MalformedModulesLinesNameFileAndLine)
{
    // The blank line and the section header follow xp-sp2's machine.ini; the bad line comes after them.
    std::string ini;
    ASSERT_TRUE(winsim::HostReadFile(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2/machine.ini", ini));
    const std::string where = "machine.ini:" + std::to_string(std::count(ini.begin(), ini.end(), '\n') + 3) + ": ";
    const char* cases[] = {"FOO.DLL=absent", "KERNEL32.DLL=GetVersionExA",
                           "KERNEL32.DLL=-", "KERNEL32.DLL=-GetVersion,,-Sleep",
                           "KERNEL32.DLL=",  "KERNEL32.DLL=-Get Version"};
    for (const char* line : cases)
    {
        SCOPED_TRACE(line);
        std::string error;
        EXPECT_FALSE(Create(std::string("\n[Modules]\n") + line + "\n", error));
        EXPECT_NE(std::string::npos, error.find(where)) << error;
        EXPECT_FALSE(winsim::HostExists(m_machine));
        winsim::HostRemoveTree(m_profile);
    }
}

TEST_F(ModuleTrimTest, IsUserAnAdminFollowsTheMachinesUser)
{
    Attach("\n[Machine]\nAdministrator=0\n");
    EXPECT_EQ(FALSE, IsUserAnAdmin());
    HMODULE shell = LoadLibraryA("shell32");
    auto isAdmin = As<BOOL(WINAPI*)()>(GetProcAddress(shell, Ordinal(680)));
    ASSERT_NE(nullptr, isAdmin);
    EXPECT_EQ(FALSE, isAdmin());
    FreeLibrary(shell);
}

TEST_F(Module2000Test, Kernel32LacksWhatCameWithXp)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(nullptr, kernel);
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(kernel, "GetNativeSystemInfo"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(kernel, "IsWow64Process"));
    EXPECT_NE(nullptr, GetProcAddress(kernel, "GetSystemInfo"));
    EXPECT_EQ("C:\\WINNT\\system32\\KERNEL32.dll", FileNameOf(kernel));

    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(5u, info.dwMajorVersion);
    EXPECT_EQ(0u, info.dwMinorVersion);
    EXPECT_EQ(2195u, info.dwBuildNumber);
    EXPECT_STREQ("Service Pack 4", info.szCSDVersion);

    char folder[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryA(folder, sizeof(folder)));
    EXPECT_STREQ("C:\\WINNT", folder);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, KEY_READ, &key));
    char value[64] = {};
    DWORD size = sizeof(value);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, "ProductName", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size));
    EXPECT_STREQ("Microsoft Windows 2000", value);
    size = sizeof(value);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, "CurrentVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size));
    EXPECT_STREQ("5.0", value);
    RegCloseKey(key);
}

TEST_F(Module98Test, Windows9xReportsAMissingLibraryWithItsOwnCode)
{
    EXPECT_EQ(static_cast<DWORD>(ERROR_DLL_NOT_FOUND), LoadError("no_such_module"));
    EXPECT_EQ("C:\\WINDOWS\\SYSTEM\\KERNEL32.dll", FileNameOf(GetModuleHandleA("kernel32")));
}

} // namespace
