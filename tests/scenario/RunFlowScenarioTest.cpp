// The program run as a user runs it: `winsim run` on a machine with the package under C:\DRIVERS.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FileText.h"
#include "TestMachine.h"

namespace
{

class RunFlowScenarioTest : public TestMachine
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("WINSIM_BIN");
        if (!bin || !*bin)
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        m_bin = bin;
        TestMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\DRIVERS", nullptr));
        ASSERT_TRUE(WriteImage("C:\\DRIVERS\\Setup.exe", "exe", "setup"));
    }

    static bool WriteImage(const std::string& path, const char* kind, const char* program)
    {
        return WriteWholeFile(path, std::string("WINSIM-IMAGE 1\r\nKind=") + kind + "\r\nProgram=" + program +
                                        "\r\nMachine=x86\r\nFileVersion=4.0.17.1\r\n");
    }

    // Runs Setup.exe with the arguments; returns its exit code.
    int Run(const std::string& args)
    {
        std::string command = "'" + m_bin + "/winsim' run '" + MachineDir() + "' -- 'C:\\DRIVERS\\Setup.exe' " + args +
                              " >/dev/null 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string Read(const std::string& path)
    {
        std::string content;
        ReadWholeFile(path, content);
        return content;
    }

    std::string m_bin;
};

TEST_F(RunFlowScenarioTest, PlainUninstallWithoutSelectorEndsWithOneAndLogsTheRun)
{
    EXPECT_EQ(1, Run("-U -L"));
    std::string log = Read("C:\\DRIVERS\\NORVALIS_UNINSTALL.LOG");
    EXPECT_NE(std::string::npos, log.find("ENTRY: CSetupApp::RunSetupApp : GDVX Modem Build v4.0.17.1\r\n"));
    EXPECT_NE(std::string::npos, log.find("Version = V4.0.17.1\r\n"));
    EXPECT_NE(std::string::npos, log.find("OS Platform = OS_WINXP\r\n"));
    EXPECT_NE(std::string::npos, log.find("CSetupApp::GetSetupConfigInfo : csCmdLine = -L\r\n"));
    EXPECT_NE(std::string::npos, log.find("dwSetupConfig = 1000 : dwMode = 2\r\n"));
    EXPECT_NE(std::string::npos, log.find("EXIT:  CSetupApp::RunSetupApp : m_SetupParms.nRetVal = 1\r\n"));
    EXPECT_EQ(std::string::npos, log.find("\n\n"));
}

TEST_F(RunFlowScenarioTest, UnknownSwitchEndsWithOneAndSaysWhy)
{
    EXPECT_EQ(1, Run("-XYZ -L"));
    std::string log = Read("C:\\DRIVERS\\NORVALIS_INSTALL.LOG");
    EXPECT_NE(std::string::npos, log.find("ERROR : csTemp = -XYZ\r\n"));
    EXPECT_NE(std::string::npos, log.find("dwSetupConfig = 1000 : dwMode = 0\r\n"));
}

TEST_F(RunFlowScenarioTest, SecondInteractiveInstanceIsRefused)
{
    // This process plays the first instance: it holds the instance semaphore.
    HANDLE hFirst = CreateSemaphoreA(nullptr, 0, 4, "DVX_SEMAPHORE");
    ASSERT_NE(nullptr, hFirst);
    EXPECT_EQ(1, Run("-L"));
    EXPECT_NE(std::string::npos,
              Read("C:\\DRIVERS\\NORVALIS_INSTALL.LOG").find("ERROR : Another Setup.exe instance is Already running"));
    CloseHandle(hFirst);
}

TEST_F(RunFlowScenarioTest, PatchLibraryTakesOverTheRun)
{
    ASSERT_TRUE(WriteImage("C:\\DRIVERS\\DVXPTCH.DLL", "dll", "patch_sample"));
    EXPECT_EQ(1, Run("-L RC=1"));
    EXPECT_EQ("-L RC=1", Read("C:\\DRIVERS\\PATCHRAN.TXT"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\DRIVERS\\NORVALIS_INSTALL.LOG"));
    // Results other than 0 and 1 end the process with 0.
    EXPECT_EQ(0, Run("RC=7"));
}

TEST_F(RunFlowScenarioTest, SingleDeviceIniShowsItsResultEvenWhenSilent)
{
    EXPECT_EQ(0, Run("-DEVINI=MODEM.INI,PCI\\VEN_14F1 -S"));
}

} // namespace
