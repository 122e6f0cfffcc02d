// The program's run on machines whose profile scripts other programs and the user.
#include <gtest/gtest.h>

#include "SetupRunFixture.h"
#include "platform/StringUtil.h"

namespace
{

class RunFlowMachineTest : public SetupRunFixture
{
protected:
    // Whether a process with this file name is running on the machine (process snapshot).
    static bool IsRunning(const char* pszExe)
    {
        HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (hSnapshot == INVALID_HANDLE_VALUE)
            return false;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        bool bFound = false;
        for (BOOL bMore = Process32First(hSnapshot, &entry); bMore && !bFound; bMore = Process32Next(hSnapshot, &entry))
            bFound = EqualsNoCase(entry.szExeFile, pszExe);
        CloseHandle(hSnapshot);
        return bFound;
    }
};

class StopProcessTest : public RunFlowMachineTest
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "stop-processes",
                                                      "[Process.1]\nImage=C:\\Program Files\\Modem\\MDMAPP.EXE\n"
                                                      "Lifetime=forever\n"
                                                      "[Process.2]\nImage=C:\\Program Files\\Other\\MYSETUP.EXE\n"
                                                      "Lifetime=forever\n"
                                                      "[Process.3]\nImage=C:\\Program Files\\Tray\\TRAY.EXE\n"
                                                      "Lifetime=forever\n");
        return path.c_str();
    }
};

TEST_F(StopProcessTest, RequestedProcessesStopButNotTheSetupItself)
{
    ASSERT_TRUE(IsRunning("MDMAPP.EXE"));
    ASSERT_TRUE(IsRunning("MYSETUP.EXE"));
    // "SETUP" matches MYSETUP.EXE (either name contains the other) and would match the running Setup.exe.
    EXPECT_EQ(1, Run("-K=MDMAPP.EXE,SETUP -L"));
    EXPECT_FALSE(IsRunning("MDMAPP.EXE"));
    EXPECT_FALSE(IsRunning("MYSETUP.EXE"));
    EXPECT_TRUE(IsRunning("TRAY.EXE"));
    std::string log;
    ASSERT_TRUE(ReadWholeFile("C:\\DRIVERS\\NORVALIS_INSTALL.LOG", log));
    EXPECT_NE(std::string::npos, log.find("ENTRY: KillThisGuy : csAppToTerminate = SETUP\r\n"));
    EXPECT_NE(std::string::npos, log.find("EXIT:  CSetupApp::RunSetupApp"));
}

class CloseArpTest : public RunFlowMachineTest
{
protected:
    const char* Profile() const override
    {
        static const std::string path =
            DeriveProfile("xp-sp2", "arp-window",
                          "[Process.1]\nImage=C:\\WINDOWS\\system32\\rundll32.exe\n"
                          "Window=Add or Remove Programs|NativeHWNDHost\nLifetime=forever\n"
                          "[Process.2]\nImage=C:\\WINDOWS\\explorer.exe\nWindow=My Documents|CabinetWClass\n"
                          "Lifetime=forever\n");
        return path.c_str();
    }
};

TEST_F(CloseArpTest, CloseModeEndsTheAddRemoveProgramsWindowOnly)
{
    ASSERT_NE(nullptr, FindWindowA(nullptr, "Add or Remove Programs"));
    EXPECT_EQ(0, Run("-ARPWCLOSE2"));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Add or Remove Programs"));
    EXPECT_NE(nullptr, FindWindowA(nullptr, "My Documents"));
    EXPECT_FALSE(IsRunning("rundll32.exe"));
}

class NonAdministratorXpTest : public RunFlowMachineTest
{
protected:
    const char* Profile() const override
    {
        // A later [Machine] line overrides the shipped one.
        static const std::string path = DeriveProfile("xp-sp2", "xp-user", "[Machine]\nAdministrator=0\n");
        return path.c_str();
    }
};

TEST_F(NonAdministratorXpTest, InstallIsRefusedWithTheWarning)
{
    EXPECT_EQ(1, Run("-S"));
    std::string screen = Screen();
    EXPECT_NE(std::string::npos, screen.find("WARNING")) << screen;
    EXPECT_NE(std::string::npos, screen.find("You must have Administrative privileges to install this product."))
        << screen;
}

class NonAdministratorVistaTest : public RunFlowMachineTest
{
protected:
    const char* Profile() const override
    {
        // A later [Machine] line overrides the shipped one.
        static const std::string path = DeriveProfile("vista-x64", "vista-user", "[Machine]\nAdministrator=0\n");
        return path.c_str();
    }
};

TEST_F(NonAdministratorVistaTest, SixtyFourBitSystemsSkipTheTest)
{
    // The machine's user really is no administrator: the shell says so (IsUserAnAdmin, ordinal 680).
    HMODULE hShell = LoadLibraryA("SHELL32.DLL");
    ASSERT_NE(nullptr, hShell);
    typedef BOOL(WINAPI * PFN_IS_USER_AN_ADMIN)();
    auto pfnIsAdmin = reinterpret_cast<PFN_IS_USER_AN_ADMIN>(
        reinterpret_cast<void (*)()>(GetProcAddress(hShell, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(680)))));
    ASSERT_NE(nullptr, pfnIsAdmin);
    EXPECT_FALSE(pfnIsAdmin());
    FreeLibrary(hShell);
    EXPECT_EQ(1, Run("-S"));
    EXPECT_EQ(std::string::npos, Screen().find("Administrative privileges"));
}

class WithoutCfgMgrTest : public RunFlowMachineTest
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "run-no-cfgmgr", "[Modules]\nCFGMGR32.DLL=absent\n");
        return path.c_str();
    }
};

TEST_F(WithoutCfgMgrTest, ProgramRunsOnWithoutTheConfigurationManager)
{
    EXPECT_EQ(1, Run("-U -L"));
    EXPECT_NE(
        std::string::npos,
        Read("C:\\DRIVERS\\NORVALIS_UNINSTALL.LOG").find("EXIT:  CSetupApp::RunSetupApp : m_SetupParms.nRetVal = 1"));
}

} // namespace
