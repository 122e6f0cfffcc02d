// New-hardware wizard windows removed on winsim machines: the title fragment, one pass that ends the
// wizard's process and leaves other windows alone, the watcher that catches a wizard opening mid-install and
// stops within a quarter second, and the Plug and Play aids that run before an install (the wait for a
// running new-device installer, the most specific PCI hardware ID).
#include <gtest/gtest.h>

#include <string>

#include "FileText.h"
#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "devapi/KDeviceApi.h"
#include "workarounds/CInstall2KWA2.h"
#include "workarounds/CInstall2KWA4.h"
#include "workarounds/CInstallWA2.h"

namespace
{

const char* kLogPath = "C:\\TRACE.LOG";

// xp-sp2 with a wizard already open, another program's window, and a program that opens a wizard when
// started.
const char* kWizardIni = "[Process.1]\nImage=C:\\WINDOWS\\system32\\rundll32.exe\n"
                         "Modules=C:\\WINDOWS\\system32\\newdev.dll\n"
                         "Window=Found New Hardware Wizard - Modem Device|#32770\nLifetime=forever\n"
                         "[Process.2]\nImage=C:\\Program Files\\Other\\OTHER.EXE\n"
                         "Window=Hardware Update Notes|Notepad\nLifetime=forever\n"
                         "[Program.wizard]\nWindow=FOUND NEW HARDWARE WIZARD|#32770\nLifetime=forever\n";

class InstallWA2Test : public ProductMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string s_csProfile = DeriveProfile("xp-sp2", "wa2-wizard", kWizardIni);
        return s_csProfile.c_str();
    }
    void SetUp() override
    {
        ProductMachine::SetUp();
        StartTraceLogTo(kLogPath);
    }
    std::string Log() { return TraceLogText(); }
};

TEST_F(InstallWA2Test, OnePassEndsTheWizardsProcessAndLeavesOtherWindows)
{
    CInstallWA2 closer;
    std::string csTitle;
    closer.GetPNPWindowTitle(csTitle);
    EXPECT_EQ("Found New Hardware Wizard", csTitle);

    ASSERT_NE(nullptr, FindWindowA(nullptr, "Found New Hardware Wizard - Modem Device"));
    closer.ClosePNPWindow();
    EXPECT_TRUE(closer.WindowWasClosed());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Found New Hardware Wizard - Modem Device"));
    EXPECT_NE(nullptr, FindWindowA(nullptr, "Hardware Update Notes"));
    EXPECT_NE(std::string::npos, Log().find("Just Closed a PNP Windows\r\n"));
}

TEST_F(InstallWA2Test, TheWatcherCatchesAWizardOpeningMidInstallAndStopsQuickly)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\WIZARD.EXE", "WINSIM-IMAGE 1\nKind=exe\nProgram=wizard\nMachine=x86\n"));
    CInstallWA2 closer;
    closer.StartClosePNPWindowThread();
    Sleep(300);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA("C:\\TEST\\WIZARD.EXE", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 2000));
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "FOUND NEW HARDWARE WIZARD"));

    const DWORD dwStart = GetTickCount();
    closer.EndClosePNPWindowThread();
    EXPECT_LE(GetTickCount() - dwStart, 250u);
    EXPECT_TRUE(closer.WindowWasClosed());
    EXPECT_NE(nullptr, FindWindowA(nullptr, "Hardware Update Notes"));

    // Stopping it again, or a watcher never started, returns at once.
    closer.EndClosePNPWindowThread();
    CInstallWA2 idle;
    const DWORD dwIdle = GetTickCount();
    idle.EndClosePNPWindowThread();
    EXPECT_EQ(dwIdle, GetTickCount());
}

TEST_F(InstallWA2Test, TheBubbleTipAidClosesTheWizardThenWaitsOneSecond)
{
    CInstall2KWA2 aid;
    const DWORD dwStart = GetTickCount();
    aid.DoBubbleTipWA();
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Found New Hardware Wizard - Modem Device"));
    // The wizard's rundll32 is gone: nothing to wait for but the one pause.
    EXPECT_EQ(CInstall2KWA2::POLL_MS, GetTickCount() - dwStart);
    EXPECT_EQ(std::string::npos, Log().find("Waiting for PNP Manager Event to complete"));
}

// A new-device installer that works for 5 s without showing a window.
class PnPInstallAidsTest : public InstallWA2Test
{
protected:
    const char* Profile() const override
    {
        static const std::string s_csProfile =
            DeriveProfile("xp-sp2", "wa2-installer",
                          "[Process.1]\nImage=C:\\WINDOWS\\system32\\rundll32.exe\n"
                          "Modules=C:\\WINDOWS\\system32\\NEWDEV.DLL\nLifetime=5000\n");
        return s_csProfile.c_str();
    }
};

TEST_F(PnPInstallAidsTest, ARunningNewDeviceInstallerDelaysTheStart)
{
    CInstall2KWA2 aid;
    const DWORD dwStart = GetTickCount();
    aid.WaitForPreviousPNPManagerEventToFinish();
    const DWORD dwTook = GetTickCount() - dwStart;
    EXPECT_GE(dwTook, 5000u);
    EXPECT_LE(dwTook, 6000u);
    EXPECT_NE(std::string::npos, Log().find("Waiting for PNP Manager Event to complete...\r\n"));
}

TEST_F(PnPInstallAidsTest, AVendorAndDevicePciIdBecomesTheLongestIdOfThePresentDevice)
{
    CInstall2KWA4 aid;
    std::string csResult = "untouched";
    ASSERT_TRUE(aid.DoWA("PCI\\VEN_F0E1&DEV_2F20", csResult));
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01", csResult);
    EXPECT_NE(std::string::npos, Log().find("Found 4 Part ID : PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01\r\n"));

    // Declined, the result left alone: an ID with its subsystem, and one without a vendor.
    csResult = "untouched";
    EXPECT_FALSE(aid.DoWA("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", csResult));
    EXPECT_FALSE(aid.DoWA("USB\\VID_F0E1&PID_3A01", csResult));
    EXPECT_EQ("untouched", csResult);
    // A vendor and device no present device has: the search runs and finds nothing.
    EXPECT_FALSE(aid.DoWA("PCI\\VEN_F0E1&DEV_7777", csResult));
    EXPECT_EQ("", csResult);
}

} // namespace
