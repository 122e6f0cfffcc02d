// The program run as a user runs it: `winsim run` on a machine with the package under C:\DRIVERS.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "SetupRunFixture.h"

namespace
{

class RunFlowScenarioTest : public SetupRunFixture
{
protected:
    // How many file and registry changes the machine's journal holds.
    size_t Changes()
    {
        size_t count = 0;
        std::istringstream journal(Winsim("journal '" + MachineDir() + "'"));
        for (std::string line; std::getline(journal, line);)
        {
            if (line.find("  file ") != std::string::npos || line.find("  registry ") != std::string::npos)
                ++count;
        }
        return count;
    }
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

TEST_F(RunFlowScenarioTest, SingleDeviceIniIsNotInThisBuildShowsItsBoxAndChangesNothing)
{
    const size_t changesBefore = Changes();
    ASSERT_GT(changesBefore, 0u) << "the fixture's own files are journalled";
    // Quoted for the host shell, which would eat the backslash.
    EXPECT_EQ(0, Run("'-DEVINI=MODEM.INI,PCI\\VEN_F0E1' -S"));
    // The result box comes even in a silent run; what it reports is the missing step's failure.
    std::string screen = Screen();
    EXPECT_NE(std::string::npos, screen.find("[-DEVINI = MODEM.INI,PCI\\VEN_F0E1]")) << screen;
    EXPECT_EQ(changesBefore, Changes());
}

} // namespace
