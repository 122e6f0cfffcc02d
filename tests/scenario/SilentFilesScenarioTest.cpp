// Silent callers' files: the result file where "F2" asks for it (or beside the program when it cannot be
// written there), and the response file's reboot choice; with the configuration INI's extra switches.
#include <gtest/gtest.h>

#include "SetupRunFixture.h"
#include "winsim/winsim.h"

namespace
{

class SilentFilesScenarioTest : public SetupRunFixture
{
};

const char* kSilentResult = "[InstallShield Silent]\r\n"
                            "Version=4.0.17.1\r\n"
                            "FileType=SetupLogFile\r\n"
                            "\r\n"
                            "[Application]\r\n"
                            "Name=Norvalis GDVX Application\r\n"
                            "Version=4.0.17.1\r\n"
                            "Company=Norvalis\r\n"
                            "\r\n"
                            "[ResponseResult]\r\n"
                            "ResultCode=1\r\n";

TEST_F(SilentFilesScenarioTest, ResultFileLandsInFoldersItCreates)
{
    EXPECT_EQ(1, Run("-S '-F2=C:\\LOGS\\R\\RESULT.LOG'"));
    EXPECT_EQ(kSilentResult, Read("C:\\LOGS\\R\\RESULT.LOG"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\DRIVERS\\SETUP.LOG"));
}

TEST_F(SilentFilesScenarioTest, UnwritableFolderMovesTheResultBesideTheProgramWith51)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\CDROM", nullptr));
    ASSERT_TRUE(winsim::SetFolderWriteProtected("C:\\CDROM", true));
    EXPECT_EQ(1, Run("-S '-F2=C:\\CDROM\\RESULT.LOG'"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\CDROM\\RESULT.LOG"));
    std::string result = Read("C:\\DRIVERS\\SETUP.LOG");
    EXPECT_NE(std::string::npos, result.find("[ResponseResult]\r\nResultCode=51\r\n")) << result;
}

TEST_F(SilentFilesScenarioTest, InteractiveRunWritesNoSilentHeaderAndNoneWithoutF2)
{
    EXPECT_EQ(1, Run("-F2"));
    std::string result = Read("C:\\DRIVERS\\SETUP.LOG");
    EXPECT_EQ(0u, result.find("[Application]\r\n")) << result;
    ASSERT_TRUE(DeleteFileA("C:\\DRIVERS\\SETUP.LOG"));
    EXPECT_EQ(1, Run("-S"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\DRIVERS\\SETUP.LOG"));
}

TEST_F(SilentFilesScenarioTest, ResponseFileBootOptionInAListedDialogAsksForTheRestart)
{
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\SETUP.ISS", "[InstallShield Silent]\r\nVersion=v7.00\r\n"
                                                         "[DlgOrder]\r\nDlg0=SdWelcome-0\r\nCount=2\r\n"
                                                         "Dlg1=SdFinishReboot-0\r\n"
                                                         "[SdWelcome-0]\r\nResult=1\r\n"
                                                         "[SdFinishReboot-0]\r\nResult=1\r\nBootOption=3\r\n"));
    EXPECT_EQ(1, Run("-S -L"));
    std::string log = Read("C:\\DRIVERS\\NORVALIS_INSTALL.LOG");
    EXPECT_NE(std::string::npos, log.find("Found File = C:\\DRIVERS\\SETUP.ISS\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("Setting for Reboot\r\n")) << log;
    std::string screen = Screen();
    EXPECT_NE(std::string::npos, screen.find("System Settings Change")) << screen;
}

TEST_F(SilentFilesScenarioTest, BootOptionOutsideTheListedDialogsOrNotThreeIsIgnored)
{
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\SETUP.ISS", "[DlgOrder]\r\nDlg0=SdWelcome-0\r\n"
                                                         "[SdWelcome-0]\r\nBootOption=2\r\n"
                                                         "[SdFinishReboot-0]\r\nBootOption=3\r\n"));
    EXPECT_EQ(1, Run("-S -L"));
    std::string log = Read("C:\\DRIVERS\\NORVALIS_INSTALL.LOG");
    EXPECT_NE(std::string::npos, log.find("Found File = ")) << log;
    EXPECT_EQ(std::string::npos, log.find("Setting for Reboot")) << log;
    EXPECT_EQ(std::string::npos, Screen().find("System Settings Change"));
}

TEST_F(SilentFilesScenarioTest, ConfigurationIniExtendsTheCommandLine)
{
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\SETUP.INI",
                               "[DVXSetupCfg]\r\nCOMMAND_LINE=-x\r\nDisableSplashScreenDlgBox=0\r\n"));
    EXPECT_EQ(1, Run("-L"));
    std::string log = Read("C:\\DRIVERS\\NORVALIS_INSTALL.LOG");
    EXPECT_NE(std::string::npos, log.find("CSetupApp::GetSetupConfigInfo : csCmdLine = -L-X-S1\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("ERROR : csTemp = -X\r\n")) << log;

    // Install-only switches the INI adds do not stop an uninstall.
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\SETUP.INI", "[DVXSetupCfg]\r\nDisableStatusUpgrade=1\r\n"));
    Run("-A -L");
    std::string uninstallLog = Read("C:\\DRIVERS\\NORVALIS_UNINSTALL.LOG");
    EXPECT_NE(std::string::npos, uninstallLog.find("csCmdLine = -L-GDSU\r\n")) << uninstallLog;
    EXPECT_EQ(std::string::npos, uninstallLog.find("ERROR : csTemp")) << uninstallLog;
    EXPECT_NE(std::string::npos, uninstallLog.find("dwMode = 42\r\n")) << uninstallLog;
}

} // namespace
