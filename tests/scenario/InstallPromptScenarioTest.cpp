// What the install asks of the user along the way: the plug-in prompt for a USB DSL modem that is not
// plugged in, the restart prompt at the end (a driver that needs one, "NR", "FR"), and the preview
// ("PREVIEW"), which shows its two test rows and changes nothing.
#include <fstream>
#include <iterator>

#include "InstallEdgeFixture.h"

using namespace install_edge;

namespace
{

const char* const NET_GUID = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
const char* const DSL_INSTANCE = "USB\\VID_F0E1&PID_3A01\\5&1E2D3C4B&0&1";
const char* const RESTART_BOX = "ui       messagebox   System Settings Change";

// The machine of the edge cases, on which the USB DSL modem gets plugged in 30 s after start.
std::string PromptProfile()
{
    const std::string profile = TestMachine::DeriveProfile("xp-sp2", "install-prompt", EDGE_DEVICES);
    const std::string ini = profile + "/machine.ini";
    std::ifstream in(ini);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string anchor = "BusDescription=ADSL USB Modem\n";
    const size_t at = text.find(anchor);
    if (profile.empty() || at == std::string::npos)
        return std::string();
    text.insert(at + anchor.size(), "PlugAt=30000\n");
    std::ofstream(ini) << text;
    return profile;
}

class InstallPromptScenarioTest : public InstallEdgeScenarioTest
{
protected:
    const char* Profile() const override
    {
        static const std::string profile = PromptProfile();
        return profile.c_str();
    }

    // A package holding only the USB DSL modem's INF, without the detection library, so that the
    // modem is listed although it is not plugged in.
    static void PutDslPackage()
    {
        Put("EDGEDSL.INF",
            DriverInf("Net", NET_GUID, {{"Edge USB DSL Modem", "USB\\VID_F0E1&PID_3A01", "f0e1dsl.sys"}}));
        Put("f0e1dsl.sys", "driver");
    }
    static void PutModemPackage(const char* pszDevice)
    {
        const std::string csID = std::string("PCI\\VEN_F0E1&DEV_") + pszDevice + "&SUBSYS_" + pszDevice + "F0E1";
        Put("EDGEMDM.INF", DriverInf("Modem", MODEM_GUID, {{"Edge Modem", csID.c_str(), "f0e1m.sys"}}));
        Put("f0e1m.sys", "driver");
        PutDetectionLibrary();
    }
};

} // namespace

// The DSL modem is not plugged in: the prompt, titled with the modem's description (the only device),
// stays until the modem arrives 30 s after start; the install goes on and the modem is installed.
TEST_F(InstallPromptScenarioTest, AbsentDslModemIsAskedForAndInstalledOncePluggedIn)
{
    PutDslPackage();
    ASSERT_EQ(0, Run("-S -L -F2"));
    const std::string log = LastRun();
    EXPECT_NE(std::string::npos, log.find("Setting for REQUEST_USER_TO_PLUGIN_USB_DEVICE scenario")) << log;
    EXPECT_EQ(Lines({"Edge USB DSL Modem=DEVICE_INSTALLED"}), Reviews(log));
    EXPECT_EQ("ResultCode=0", ResultCode());
    const std::string journal = Journal();
    const size_t nShown = journal.find("window   show         Edge USB DSL Modem");
    const size_t nPlugged = journal.find("device   plug         USB\\VID_F0E1&PID_3A01");
    const size_t nClosed = journal.find("window   destroy      Edge USB DSL Modem");
    ASSERT_NE(std::string::npos, nShown) << journal;
    ASSERT_NE(std::string::npos, nPlugged);
    ASSERT_NE(std::string::npos, nClosed);
    EXPECT_LT(nShown, nPlugged);
    EXPECT_LT(nPlugged, nClosed);
    EXPECT_NE(std::string::npos, journal.find("Plug in your USB Device now."));
    // The machine starts at 09:00:00.
    const size_t nLine = journal.rfind('\n', nPlugged) + 1;
    EXPECT_EQ("2007-06-15 09:00:30.000", journal.substr(nLine, 23));
    const std::string block = DeviceBlock(DSL_INSTANCE);
    EXPECT_NE(std::string::npos, block.find("class:          Net")) << block;
    EXPECT_NE(std::string::npos, block.find("status:         started")) << block;
}

// The user cancels the prompt: no wait for Plug and Play, and the modem is reported failed.
TEST_F(InstallPromptScenarioTest, CancelledDslPromptReportsTheModemFailed)
{
    PutDslPackage();
    EXPECT_EQ(1, RunWith("--answer 'window:Edge USB DSL Modem=CANCEL@5'", "-S -L -F2"));
    const std::string log = LastRun();
    EXPECT_NE(std::string::npos, log.find("EXIT:  CSetupADSL::DisplayPlugInUSBDeviceDlg : bRetVal = 0")) << log;
    EXPECT_EQ(std::string::npos, log.find("ENTRY: CInstallMonitor::WaitForInstallCompletion"));
    EXPECT_EQ(Lines({"Edge USB DSL Modem=DEVICE_INSTALL_FAILED"}), Reviews(log));
    EXPECT_EQ("ResultCode=1", ResultCode());
    EXPECT_NE(std::string::npos, Journal().find("ui       press        CANCEL"));
}

// The DSL modem is plugged in already: no prompt, and it is installed by the upgrade pass.
TEST_F(InstallPromptScenarioTest, PresentDslModemIsInstalledWithoutPrompt)
{
    PutDslPackage();
    ASSERT_EQ(0, Shell("'" + m_bin + "/winsim' plug '" + MachineDir() + "' '" + DSL_INSTANCE + "'"));
    ASSERT_EQ(0, Run("-S -L -F2"));
    const std::string log = LastRun();
    EXPECT_EQ(std::string::npos, log.find("REQUEST_USER_TO_PLUGIN_USB_DEVICE")) << log;
    EXPECT_EQ(std::string::npos, log.find("ENTRY: CSetupADSL::DisplayPlugInUSBDeviceDlg"));
    EXPECT_NE(std::string::npos, log.find("Attempting to install USB\\VID_F0E1&PID_3A01"));
    EXPECT_EQ(Lines({"Edge USB DSL Modem=DEVICE_UPGRADED"}), Reviews(log));
    EXPECT_EQ("ResultCode=0", ResultCode());
    EXPECT_EQ(std::string::npos, Journal().find("Plug in your USB Device now."));
}

// A driver that needs a restart ends the run with the restart prompt; "NR" keeps it away. The result
// code and the exit code say success either way.
TEST_F(InstallPromptScenarioTest, DriverNeedingRestartPromptsUnlessNoRebootIsAsked)
{
    PutModemPackage("4C40");
    ASSERT_EQ(0, Run("-S -L -F2 -NR"));
    EXPECT_NE(std::string::npos, LastRun().find("bRequireReboot = TRUE : Setting for Reboot"));
    EXPECT_EQ(std::string::npos, Journal().find(RESTART_BOX));
    EXPECT_EQ("ResultCode=0", ResultCode());

    ASSERT_EQ(0, RunWith("--answer 'System Settings Change=IDNO'", "-S -L -F2"));
    const std::string journal = Journal();
    EXPECT_NE(std::string::npos, journal.find(RESTART_BOX)) << journal;
    EXPECT_NE(std::string::npos, journal.find("Do you want to restart your computer now? => IDNO"));
    EXPECT_EQ("ResultCode=0", ResultCode());
}

// "FR" asks for the restart although no driver needs one.
TEST_F(InstallPromptScenarioTest, ForceRebootPromptsWithoutADriverAskingForIt)
{
    PutModemPackage("4C20");
    ASSERT_EQ(0, Run("-S -L -F2"));
    EXPECT_EQ(std::string::npos, LastRun().find("bRequireReboot = TRUE"));
    EXPECT_EQ(std::string::npos, Journal().find(RESTART_BOX));

    ASSERT_EQ(0, Run("-S -L -F2 -FR"));
    const std::string journal = Journal();
    EXPECT_NE(std::string::npos, journal.find(RESTART_BOX)) << journal;
    EXPECT_NE(std::string::npos, journal.find("machine  restart-accepted"));
    EXPECT_EQ("ResultCode=0", ResultCode());
}

// "PREVIEW": the confirmation and the result list show the two test rows, and nothing is installed.
TEST_F(InstallPromptScenarioTest, PreviewShowsTestRowsAndInstallsNothing)
{
    PutModemPackage("4C20");
    std::string screen = ScreenWhenShowing("-PREVIEW -L", "Test Modem #2");
    EXPECT_NE(std::string::npos, screen.find("columns: Device | Task")) << screen;
    EXPECT_NE(std::string::npos, screen.find("row: Test Modem #1 | INSTALL\n")) << screen;
    EXPECT_NE(std::string::npos, screen.find("row: Test Modem #2 | UPGRADE\n")) << screen;
    EXPECT_EQ(std::string::npos, screen.find("Edge Modem"));

    screen = ScreenWhenShowing("-PREVIEW -S3 -L", "Installation results.");
    EXPECT_NE(std::string::npos, screen.find("columns: Device | Result")) << screen;
    EXPECT_NE(std::string::npos, screen.find("row: Test Modem #1 | SUCCESS\n")) << screen;
    EXPECT_NE(std::string::npos, screen.find("row: Test Modem #2 | FAILURE\n")) << screen;

    EXPECT_EQ(0, RunWith(PRESS_OK, "-PREVIEW -L"));
    EXPECT_EQ(std::string::npos, Read(LOG).find("ENTRY: CInstall::Install"));
    EXPECT_NE(std::string::npos, DeviceBlock("PCI\\VEN_F0E1&DEV_4C20").find("driver:         -"));
    EXPECT_EQ(std::string::npos, Winsim("store '" + MachineDir() + "'").find("oem"));
}
