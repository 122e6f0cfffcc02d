// The driver package install on winsim machines: declining before Vista even with the package's own copy of
// the library, the library's refusal traced by name, the pre-install that sets Plug and Play going, the
// install after a quiet wait, and the bound on that wait when Plug and Play never goes quiet.
#include <gtest/gtest.h>

#include <string>

#include "FileText.h"
#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "devapi/KDeviceApi.h"
#include "device/CDevNode.h"
#include "install/CDIFxInstall.h"

namespace
{

const char* kLogPath = "C:\\TRACE.LOG";
const char* kModemID = "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001";

std::string ModemInf(const char* pszCatalog)
{
    return std::string("[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
                       "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Sample Modems\r\n") +
           (pszCatalog ? std::string("CatalogFile=") + pszCatalog + "\r\n" : std::string()) +
           "DriverVer=06/01/2007,7.12.0.40\r\n[Manufacturer]\r\nSample Modems=Models,NTamd64.6.0,NTx86.5.1\r\n"
           "[Models.NTamd64.6.0]\r\nSample HD Audio Soft Modem=Modem_Install, " +
           kModemID + "\r\n[Models.NTx86.5.1]\r\nSample HD Audio Soft Modem=Modem_Install, " + kModemID +
           "\r\n[Modem_Install.NT]\r\n";
}

class DIFxInstallTest : public ProductMachine
{
protected:
    const char* Profile() const override { return "vista-x64"; }

    void SetUp() override
    {
        ProductMachine::SetUp();
        StartTraceLogTo(kLogPath);
        // On 64-bit Vista the install runs in the program's 64-bit twin, which loads the 64-bit library.
        char szSelf[MAX_PATH] = {0};
        GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
        if (GetFileAttributesA("C:\\Windows\\SysWOW64") != INVALID_FILE_ATTRIBUTES)
        {
            ASSERT_TRUE(WriteWholeFile(szSelf, "WINSIM-IMAGE 1\nKind=exe\nProgram=setup\nMachine=x64\n")) << szSelf;
        }
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\MODEM.INF", ModemInf("modem.cat")));
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\modem.cat", "catalog"));
    }
    std::string Log() { return TraceLogText(); }

    static BOOL ModemHasDriver()
    {
        CDevNode node(kModemID, TRUE);
        return node.HasDriverKey() && node.CheckDeviceState(TRUE);
    }
};

TEST_F(DIFxInstallTest, TheLibraryRefusingAnUnsignedPackageIsTracedByName)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\MODEM.INF", ModemInf(nullptr)));
    CDIFxInstall difx;
    difx.Initialize("DIFAPI64.DLL");
    EXPECT_EQ("DIFXAPI.DLL", difx.GetDIFxFileName());
    char szPath[MAX_PATH] = {0};
    ASSERT_TRUE(difx.IsDifxCase(szPath));
    EXPECT_STREQ("C:\\Windows\\SYSTEM32\\DIFXAPI.DLL", szPath);
    BOOL bReboot = FALSE;
    EXPECT_FALSE(difx.InstallViaDifxApi("C:\\TEST\\MODEM.INF", &bReboot));
    EXPECT_NE(std::string::npos, Log().find("FAILED : DriverPackageInstallA call Failed : csErrorCode = "
                                            "ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH\r\n"));
    EXPECT_FALSE(ModemHasDriver());
}

TEST_F(DIFxInstallTest, ThePreinstallSetsPlugAndPlayGoingWhenItDoesNotStartByItself)
{
    CDIFxInstall difx;
    BOOL bReboot = FALSE;
    const DWORD dwStart = GetTickCount();
    ASSERT_TRUE(difx.PreInstallViaDifxApi("C:\\TEST\\MODEM.INF", TRUE, &bReboot));
    // Three quiet polls a second apart, then the re-enumeration.
    EXPECT_EQ(3 * CDIFxInstall::QUIET_POLL_MS, GetTickCount() - dwStart);
    EXPECT_EQ(0u, GetDeviceApi()->KCMP_WaitNoPendingInstallEvents(INFINITE));
    EXPECT_TRUE(ModemHasDriver());
    EXPECT_NE(std::string::npos, Log().find("CDIFxInstall :: PreInstallViaDifxApi : bRetVal = 1\r\n"));
}

TEST_F(DIFxInstallTest, TheInstallWithoutAnEnumeratedDeviceWaitsForFourQuietPollsFirst)
{
    CDIFxInstall difx;
    BOOL bReboot = TRUE;
    const DWORD dwStart = GetTickCount();
    ASSERT_TRUE(difx.InstallViaDifxApiWithDeviceNotEnumerated("C:\\TEST\\MODEM.INF", &bReboot));
    EXPECT_GE(GetTickCount() - dwStart, 4 * CDIFxInstall::QUIET_POLL_MS);
    EXPECT_LT(GetTickCount() - dwStart, 5 * CDIFxInstall::QUIET_POLL_MS);
    EXPECT_FALSE(bReboot);
    EXPECT_TRUE(ModemHasDriver());
}

TEST_F(DIFxInstallTest, WithoutTheLibraryNothingIsLoaded)
{
    ASSERT_TRUE(DeleteFileA("C:\\Windows\\system32\\difxapi.dll"));
    CDIFxInstall difx;
    BOOL bReboot = FALSE;
    EXPECT_FALSE(difx.IsDifxCase(nullptr));
    EXPECT_FALSE(difx.InstallViaDifxApi("C:\\TEST\\MODEM.INF", &bReboot));
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("szLocalDifxPath = C:\\TEST\\DIFXAPI.DLL\r\n"));
    EXPECT_EQ(std::string::npos, log.find("FAILED : DIFXAPI.DLL not found"));
}

class DIFxInstallXPTest : public DIFxInstallTest
{
protected:
    const char* Profile() const override { return "xp-sp2"; }
};

TEST_F(DIFxInstallXPTest, WindowsXPDeclinesEvenWithThePackagesCopyOfTheLibrary)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\DIFAPI32.DLL",
                               "WINSIM-IMAGE 1\nKind=dll\nProgram=builtin\nMachine=x86\nFileVersion=2.1.0.0\n"));
    CDIFxInstall difx;
    difx.Initialize("DIFAPI32.DLL");
    EXPECT_EQ("DIFAPI32.DLL", difx.GetDIFxFileName());
    BOOL bReboot = FALSE;
    EXPECT_FALSE(difx.IsDifxCase(nullptr));
    EXPECT_FALSE(difx.InstallViaDifxApi("C:\\TEST\\MODEM.INF", &bReboot));
    EXPECT_FALSE(difx.PreInstallViaDifxApi("C:\\TEST\\MODEM.INF", TRUE, &bReboot));
    EXPECT_FALSE(ModemHasDriver());
    const std::string log = Log();
    EXPECT_EQ(std::string::npos, log.find("szSystemDifxPath"));
    EXPECT_NE(std::string::npos, log.find("CDIFxInstall::IsDifxCase : bRetVal = 0\r\n"));
}

// A root device whose install never ends keeps Plug and Play busy for good.
class DIFxInstallBusyTest : public DIFxInstallTest
{
protected:
    const char* Profile() const override
    {
        static const std::string s_csProfile =
            DeriveProfile("vista-x64", "difx-busy",
                          "[Device.99]\nInstanceId=ROOT\\BUSYDEV\\0000\nHardwareIDs=ROOT\\BUSYDEV\n"
                          "Description=Busy Device\nInstallDelay=100000000\n");
        return s_csProfile.c_str();
    }
};

TEST_F(DIFxInstallBusyTest, TheQuietWaitGivesUpWhenPlugAndPlayNeverGoesQuiet)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\BUSY.INF",
                               "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
                               "ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Test\r\n"
                               "[Manufacturer]\r\nTest=Models\r\n[Models]\r\nBusy=Busy_Install, ROOT\\BUSYDEV\r\n"
                               "[Busy_Install]\r\n"));
    ASSERT_TRUE(
        GetDeviceApi()->KSetupCopyOEMInf("C:\\TEST\\BUSY.INF", nullptr, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr));
    CDIFxInstall difx;
    difx.SetWaitLimit(8000);
    BOOL bReboot = FALSE;
    const DWORD dwStart = GetTickCount();
    EXPECT_TRUE(difx.InstallViaDifxApiWithDeviceNotEnumerated("C:\\TEST\\MODEM.INF", &bReboot));
    // The watcher stops in steps of 200 ms.
    EXPECT_GE(GetTickCount() - dwStart, 8000u);
    EXPECT_LE(GetTickCount() - dwStart, 8200u);
    EXPECT_NE(std::string::npos, Log().find("FAILED : PNP Manager still busy after 8000 ms : going on\r\n"));
    EXPECT_TRUE(ModemHasDriver());
}

} // namespace
