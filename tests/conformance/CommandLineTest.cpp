// The command line: the switch parser's rules, both passes, the log names and the single-instance rule.
#include <gtest/gtest.h>

#include "ProductMachine.h"
#include "app/CSetupApp.h"
#include "common/CTraceLog.h"
#include "common/PlatformInfo.h"

namespace
{

class CommandLineTest : public ProductMachine
{
protected:
    void TearDown() override
    {
        StopTraceLog();
        ProductMachine::TearDown();
    }

    // Both passes on an already prepared (upper-case) command line, as the run flow calls them.
    static void Parse(CSetupApp& app, const std::string& csCmdLine)
    {
        std::string csRest = app.GetSetupModeInfo(csCmdLine);
        if (app.GetSetupParms().dwMode & (SETUP_MODE_INSTALL | SETUP_MODE_UNINSTALL))
            app.GetSetupConfigInfo(csRest);
    }
};

TEST_F(CommandLineTest, SwitchRules)
{
    struct Case
    {
        const char* pszLine;
        const char* pszSwitch;
        int nRule;
        bool bFound;
        const char* pszValue;
        const char* pszRest;
        int nResultCode;
    } cases[] = {
        {"-S -L", "S", SWITCH_NO_VALUE, true, "", "-L", 1},
        {"/S", "S", SWITCH_NO_VALUE, true, "", "", 1},
        {"-SX", "S", SWITCH_NO_VALUE, false, "", "-SX", 10},
        {"-IPATH", "IPATH", SWITCH_VALUE_REQUIRED, false, "", "-IPATH", 10},
        {"-IPATH=C:\\DRV -S", "IPATH", SWITCH_VALUE_REQUIRED, true, "C:\\DRV", "-S", 1},
        {"-IPATH C:\\MY-DRIVERS", "IPATH", SWITCH_VALUE_REQUIRED, true, "C:\\MY", "-DRIVERS", 1},
        {"-IPATH \"C:\\MY-DRIVERS\" -S", "IPATH", SWITCH_VALUE_REQUIRED, true, "C:\\MY-DRIVERS", " -S", 1},
        {"-F2", "F2", SWITCH_VALUE_OPTIONAL, true, "", "", 1},
        {"-C", "C", SWITCH_VALUE_OR_ALL, true, "ALL", "", 1},
        {"-C=MODEM", "C", SWITCH_VALUE_OR_ALL, true, "MODEM", "", 1},
        {"-T30", "T", 268435455, true, "30", "", 1},
        {"-T 0", "T", 268435455, true, "0", "", 1},
        {"-T00", "T", 268435455, false, "", "-T00", 10},
        {"-TABC", "T", 268435455, false, "", "-TABC", 10},
        {"-T268435456", "T", 268435455, false, "", "-T268435456", 10},
        {"-S -S", "S", SWITCH_NO_VALUE, true, "", "", 1},
        {"-SX -S", "S", SWITCH_NO_VALUE, true, "", "", 10},
        {"-S -SX", "S", SWITCH_NO_VALUE, false, "", "-S -SX", 10},
        {"-K==X", "K", SWITCH_VALUE_REQUIRED, true, "X", "", 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszLine);
        CSetupApp app;
        std::string csLine = c.pszLine;
        std::string csValue = "unchanged";
        BOOL bFound = app.FindSwitch(csLine, c.pszSwitch, c.nRule, csValue);
        EXPECT_EQ(c.bFound, bFound != FALSE);
        EXPECT_EQ(c.bFound ? std::string(c.pszValue) : std::string("unchanged"), csValue);
        EXPECT_EQ(c.pszRest, csLine);
        EXPECT_EQ(c.nResultCode, app.GetISResultCode());
    }
}

TEST_F(CommandLineTest, ModesAndLogNames)
{
    struct Case
    {
        const char* pszLine;
        DWORD dwMode;
        const char* pszLog;
    } cases[] = {
        {"", SETUP_MODE_INSTALL, "NORVALIS_INSTALL.LOG"},
        {"-U -CMODEM", SETUP_MODE_UNINSTALL, "NORVALIS_UNINSTALL.LOG"},
        {"-A", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL, "NORVALIS_UNINSTALL.LOG"},
        {"-AI", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL | SETUP_MODE_UNINSTALL_ANY_INF,
         "NORVALIS_UNINSTALL.LOG"},
        {"-LBI", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL | SETUP_MODE_UNINSTALL_ANY_INF,
         "NORVALIS_UNINSTALL.LOG"},
        {"-LB", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL, "NORVALIS_UNINSTALL.LOG"},
        {"-SAVE", SETUP_MODE_INSTALL | SETUP_MODE_SAVE, "NORVALIS_INSTALL.LOG"},
        {"-RESTORE", SETUP_MODE_INSTALL | SETUP_MODE_RESTORE, "NORVALIS_INSTALL.LOG"},
        {"-CLEAN_UP_AFTER_CRASH", SETUP_MODE_CLEAN_UP, "NORVALIS_CLEAN_UP.LOG"},
        {"-DEVINI=MODEM.INI,PCI\\VEN_F0E1", SETUP_MODE_DEVINI, "NORVALIS_DEVINI.LOG"},
        {"-DEVINI=MODEM.INI", 0, ""},
        {"-ARPWCLOSE2", SETUP_MODE_CLOSE_ARP, "NORVALIS_CLOSEAR.LOG"},
        {"-SCERT", SETUP_MODE_SCERT, ""},
        {"-REBOOTED_FROM_NO_ENUM_INSTALL", SETUP_MODE_INSTALL, "NORVALIS_NO_ENUM_INSTALL.LOG"},
        // Only one mode switch is consumed; the second is left over and the run does nothing.
        {"-U -A", 0, "NORVALIS_UNINSTALL.LOG"},
        // Options of another mode are not read.
        {"-U -CMODEM -NE", 0, "NORVALIS_UNINSTALL.LOG"},
        {"-JUNK", 0, "NORVALIS_INSTALL.LOG"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszLine);
        CSetupApp app;
        Parse(app, c.pszLine);
        EXPECT_EQ(c.dwMode, app.GetSetupParms().dwMode);
        // The install default carries "64" on a 64-bit processor.
        std::string csLog = c.pszLog;
        if (csLog == "NORVALIS_INSTALL.LOG" && IsNative64Bit() && !(app.GetSetupParms().dwMode & SETUP_MODE_SAVE) &&
            !(app.GetSetupParms().dwMode & SETUP_MODE_RESTORE))
            csLog = "NORVALIS_INSTALL64.LOG";
        EXPECT_EQ(csLog, app.GetSetupParms().csLogFileName);
    }
}

TEST_F(CommandLineTest, InstallOptions)
{
    CSetupApp app;
    Parse(app, "-S1 -S -T30 -D2 -NE -PRE -IPATH=\"C:\\MY-FILES\" -F2 -PPATH=\"D:\\PKG\" -K=A.EXE, B.EXE -NR -R");
    const SETUP_PARMS& parms = app.GetSetupParms();
    EXPECT_EQ(SETUP_MODE_INSTALL | SETUP_MODE_NO_SPLASH, parms.dwMode);
    EXPECT_EQ(SETUP_CFG_SILENT | SETUP_CFG_NO_HARDWARE | SETUP_CFG_PRE | SETUP_CFG_IS_LOG | SETUP_CFG_NO_REBOOT |
                  SETUP_CFG_FORCE_REBOOT,
              parms.dwSetupConfig);
    EXPECT_EQ(30000u, parms.dwWaitTimeout);
    EXPECT_EQ(2u, parms.dwUserDefineEnumDeviceToInstall);
    EXPECT_EQ("C:\\MY-FILES", parms.csForcedInstallPath);
    EXPECT_EQ("D:\\PKG", parms.csPackagePath);
    EXPECT_EQ("A.EXE, B.EXE", app.GetStopProcessList());
    EXPECT_EQ(1, app.GetISResultCode());
}

TEST_F(CommandLineTest, SilentFlagAndItsRevocation)
{
    {
        CSetupApp app;
        Parse(app, "-S1");
        EXPECT_EQ(0u, app.GetSetupParms().dwSetupConfig & SETUP_CFG_SILENT);
    }
    CSetupApp app;
    Parse(app, "-S -G");
    EXPECT_EQ(0u, app.GetSetupParms().dwSetupConfig & SETUP_CFG_SILENT);
    EXPECT_EQ(SETUP_MODE_INSTALL, app.GetSetupParms().dwMode);
}

// "R" is the short form of "FR", looked for only when "FR" is absent: given both, "R" is left over and the
// run is refused; every other interface switch of the table is read in the same pass.
TEST_F(CommandLineTest, ForcedRebootShortFormAndTheInterfaceSwitches)
{
    {
        CSetupApp app;
        Parse(app, "-R");
        EXPECT_NE(0u, app.GetSetupParms().dwSetupConfig & SETUP_CFG_FORCE_REBOOT);
        EXPECT_EQ(SETUP_MODE_INSTALL, app.GetSetupParms().dwMode);
    }
    {
        CSetupApp app;
        Parse(app, "-FR -R");
        EXPECT_EQ(0u, app.GetSetupParms().dwMode);
        EXPECT_EQ(52, app.GetISResultCode());
    }
    CSetupApp app;
    Parse(app, "-S1 -S2 -S3 -S4 -S5 -S6 -PB0 -PB1 -PREVIEW -NR -USS -UDF -K=A.EXE");
    const SETUP_PARMS& parms = app.GetSetupParms();
    EXPECT_EQ(SETUP_MODE_INSTALL | SETUP_MODE_NO_SPLASH | SETUP_MODE_NO_INITIAL_PROGBAR | SETUP_MODE_NO_INITIAL_DLG |
                  SETUP_MODE_NO_INSTALL_PROGBAR | SETUP_MODE_NO_FINAL_DLG | SETUP_MODE_SILENT_AFTER_REBOOT |
                  SETUP_MODE_STANDARD_PROGBAR | SETUP_MODE_BUSY_PROGBAR,
              parms.dwMode);
    EXPECT_EQ(SETUP_CFG_PREVIEW | SETUP_CFG_NO_REBOOT | SETUP_CFG_USS | SETUP_CFG_UDF,
              parms.dwSetupConfig & (SETUP_CFG_PREVIEW | SETUP_CFG_NO_REBOOT | SETUP_CFG_USS | SETUP_CFG_UDF));
    EXPECT_EQ("A.EXE", app.GetStopProcessList());
}

// A hyphen inside a value ends it unless the value is quoted; the switch search itself is a plain
// substring search, so it finds a switch name inside an earlier value too.
TEST_F(CommandLineTest, QuotedValuesKeepTheirHyphens)
{
    {
        CSetupApp app;
        Parse(app, "-PPATH=\"C:\\MY-DRIVERS\"");
        EXPECT_EQ(SETUP_MODE_INSTALL, app.GetSetupParms().dwMode);
        EXPECT_EQ("C:\\MY-DRIVERS", app.GetSetupParms().csPackagePath);
        // "-D" was found inside the value first and rejected; the package path still stands.
        EXPECT_EQ(10, app.GetISResultCode());
    }
    CSetupApp app;
    Parse(app, "-PPATH=C:\\MY-DRIVERS");
    EXPECT_EQ(0u, app.GetSetupParms().dwMode);
    EXPECT_EQ(52, app.GetISResultCode());
}

TEST_F(CommandLineTest, UninstallSelectors)
{
    CSetupApp app;
    Parse(app, "-U -CMODEM -I=OEM12.INF");
    const SETUP_PARMS& parms = app.GetSetupParms();
    EXPECT_EQ("MODEM", parms.csUninstallClass);
    EXPECT_EQ("ALL", parms.csUninstallDevice);
    EXPECT_EQ("OEM12.INF", parms.csUninstallINF);
    EXPECT_NE(0u, parms.dwSetupConfig & SETUP_CFG_UNINSTALL_BY_INF_FILE);
}

TEST_F(CommandLineTest, LeftoverTextAndBadValuesStopTheRun)
{
    {
        CSetupApp app;
        // Text after a switch is its value, and "S" takes none: the switch is refused and left over.
        Parse(app, "-S JUNK");
        EXPECT_EQ(0u, app.GetSetupParms().dwMode);
        EXPECT_EQ(52, app.GetISResultCode());
        EXPECT_NE(std::string::npos, app.GetCmdLineInfo().find("ERROR : csTemp = -S JUNK\n"));
    }
    CSetupApp app;
    Parse(app, "-TXYZ");
    EXPECT_EQ(0u, app.GetSetupParms().dwMode);
    EXPECT_EQ(52, app.GetISResultCode());
    EXPECT_NE(std::string::npos, app.GetCmdLineInfo().find("ERROR : csTemp = -TXYZ\n"));
}

TEST_F(CommandLineTest, SecondInteractiveInstanceIsRefused)
{
    CSetupApp first;
    Parse(first, "");
    ASSERT_EQ(SETUP_MODE_INSTALL, first.GetSetupParms().dwMode);

    CSetupApp second;
    // The run flow reads the second pass too: the selector it leaves over must not turn the 2 into 52.
    second.GetSetupConfigInfo(second.GetSetupModeInfo("-U -CMODEM"));
    EXPECT_EQ(0u, second.GetSetupParms().dwMode);
    EXPECT_EQ(2, second.GetISResultCode());
    EXPECT_NE(std::string::npos,
              second.GetCmdLineInfo().find("\nERROR : Another Setup.exe instance is Already running\n"));

    // Single-purpose modes do not take part.
    CSetupApp cleanUp;
    cleanUp.GetSetupModeInfo("-CLEAN_UP_AFTER_CRASH");
    EXPECT_EQ(SETUP_MODE_CLEAN_UP, cleanUp.GetSetupParms().dwMode);
}

TEST_F(CommandLineTest, CopyStartedByAnInstanceIsLetIn)
{
    CSetupApp first;
    Parse(first, "");
    HANDLE hSpawn = CreateSemaphoreA(nullptr, 0, 1, "DVX_SPAWN_SETUP_APP");
    ASSERT_NE(nullptr, hSpawn);
    CSetupApp copy;
    Parse(copy, "");
    EXPECT_EQ(SETUP_MODE_INSTALL, copy.GetSetupParms().dwMode);
    CloseHandle(hSpawn);
}

TEST_F(CommandLineTest, LogSwitchOpensTheTraceLog)
{
    std::string csExeFolder;
    ASSERT_TRUE(GetExeFolder(csExeFolder, FALSE));
    {
        CSetupApp app;
        Parse(app, "-L");
        ASSERT_TRUE(IsTraceLogEnabled());
        EXPECT_EQ(csExeFolder + (IsNative64Bit() ? "NORVALIS_INSTALL64.LOG" : "NORVALIS_INSTALL.LOG"),
                  GetTraceLog()->GetPath());
        EXPECT_NE(0u, app.GetSetupParms().dwSetupConfig & SETUP_CFG_LOG);
        StopTraceLog();
    }
    {
        CSetupApp app;
        // Quoted: a hyphen in the path would end the value.
        Parse(app, "-L=\"" + ScratchFolder() + "\\MY.LOG\"");
        ASSERT_TRUE(IsTraceLogEnabled());
        EXPECT_EQ(ScratchFolder() + "\\MY.LOG", GetTraceLog()->GetPath());
        StopTraceLog();
    }
    {
        CSetupApp app;
        Parse(app, "-U -L=ALL -CMODEM");
        ASSERT_TRUE(IsTraceLogEnabled());
        EXPECT_EQ(csExeFolder + "NORVALIS_UNINSTALL.LOG", GetTraceLog()->GetPath());
        StopTraceLog();
    }
    // Nothing is written by parsing alone, but the first two checks made the files: leave no trace.
    DeleteFileA((csExeFolder + "NORVALIS_INSTALL.LOG").c_str());
    DeleteFileA((csExeFolder + "NORVALIS_INSTALL64.LOG").c_str());
    DeleteFileA((csExeFolder + "NORVALIS_UNINSTALL.LOG").c_str());
}

} // namespace

namespace
{

class CommandLineMendsTest : public ProductMachine
{
protected:
    void TearDown() override
    {
        StopTraceLog();
        ProductMachine::TearDown();
    }
};

// A longer switch that begins with a shorter one's name is not that shorter switch with a value.
TEST_F(CommandLineMendsTest, LongerSwitchNamesAreNotShorterOnes)
{
    for (const char* pszLine : {"-U -USS -CMODEM", "-USS -U -CMODEM"})
    {
        SCOPED_TRACE(pszLine);
        CSetupApp app;
        std::string csRest = app.GetSetupModeInfo(pszLine);
        app.GetSetupConfigInfo(csRest);
        EXPECT_EQ(SETUP_MODE_UNINSTALL, app.GetSetupParms().dwMode);
        EXPECT_NE(0u, app.GetSetupParms().dwSetupConfig & SETUP_CFG_USS);
        EXPECT_EQ(1, app.GetISResultCode());
    }
    CSetupApp app;
    app.GetSetupModeInfo("-ARPWCLOSE2");
    EXPECT_EQ(SETUP_MODE_CLOSE_ARP, app.GetSetupParms().dwMode);
    EXPECT_EQ(1, app.GetISResultCode());
}

TEST_F(CommandLineMendsTest, LongWaitsAreClampedNotWrapped)
{
    CSetupApp app;
    std::string csRest = app.GetSetupModeInfo("-T=268435455");
    app.GetSetupConfigInfo(csRest);
    EXPECT_EQ(SETUP_MODE_INSTALL, app.GetSetupParms().dwMode);
    EXPECT_EQ(INFINITE - 1, app.GetSetupParms().dwWaitTimeout);
}

TEST_F(CommandLineMendsTest, InstallOnlySwitchesFromTheIniDoNotStopAnUninstall)
{
    CSetupApp app;
    std::string csRest = app.GetSetupModeInfo("-A -GDSU -GS -GDSO");
    app.GetSetupConfigInfo(csRest);
    EXPECT_EQ(SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL, app.GetSetupParms().dwMode);
    EXPECT_EQ(0u, app.GetSetupParms().dwSetupConfig & SETUP_CFG_SUCCESS_RESULT_ONLY);
}

} // namespace
