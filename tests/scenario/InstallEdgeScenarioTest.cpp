// The install's edge cases on the default machine with devices and packages of their own: root devices,
// classes with one device upgraded, failing child functions, success-only results, installs without
// hardware, the completion wait timing out and a write-protected package medium.
#include <cctype>
#include <fstream>

#include "InstallEdgeFixture.h"
#include "install/CSoftwareDeviceInstaller.h"

using namespace install_edge;

// A package whose only INF is of class System: setup creates the root devices itself, and the review
// finds them by their hardware IDs. A second run finds them and upgrades them in place. Without the
// detection library every INF device counts as present.
TEST_F(InstallEdgeScenarioTest, SystemOnlyPackageCreatesRootDevicesThenUpgradesThem)
{
    Put("TSYS.INF", DriverInf("System", SYSTEM_GUID,
                              {{"Edge System Service", "ROOT\\F0E1TSV", "f0e1tsv.sys"},
                               {"Edge System Service Extra", "ROOT\\F0E1TSVX", "f0e1tsv.sys"}}));
    Put("f0e1tsv.sys", "driver");

    ASSERT_EQ(0, Run("-S -L -F2"));
    std::string log = LastRun();
    EXPECT_EQ(Lines({"Edge System Service=DEVICE_INSTALLED", "Edge System Service Extra=DEVICE_INSTALLED"}),
              Reviews(log))
        << log;
    // Nothing for the upgrade pass or Plug and Play to do: the tree is re-enumerated without a wait.
    EXPECT_NE(std::string::npos, log.find("CInstall :: InstallSoftwareDevice : bNonInstalledDevices = 0")) << log;
    EXPECT_EQ(std::string::npos, log.find("Attempting to install"));
    EXPECT_EQ(std::string::npos, log.find("ENTRY: CInstallMonitor::WaitForInstallCompletion"));
    EXPECT_EQ("ResultCode=0", ResultCode());
    std::string block = DeviceBlock("ROOT\\F0E1TSV\\0000");
    EXPECT_NE(std::string::npos, block.find("hardware ids:   ROOT\\F0E1TSV, F0E1TSV\n")) << block;
    EXPECT_NE(std::string::npos, block.find("description:    Edge System Service\n")) << block;
    EXPECT_NE(std::string::npos, block.find("status:         started")) << block;

    ASSERT_EQ(0, Run("-S -L -F2"));
    log = LastRun();
    EXPECT_EQ(Lines({"Edge System Service=DEVICE_UPGRADED", "Edge System Service Extra=DEVICE_UPGRADED"}), Reviews(log))
        << log;
    EXPECT_EQ("ResultCode=0", ResultCode());
    // Upgraded where they are: no second instance of either root device.
    const std::string devices = Devices();
    EXPECT_EQ(std::string::npos, devices.find("ROOT\\F0E1TSV\\0001"));
    EXPECT_EQ(std::string::npos, devices.find("ROOT\\F0E1TSVX\\0001"));

    // The uninstall's removal takes the device of exactly that ID, not the one whose ID merely starts so.
    EXPECT_TRUE(CSoftwareDeviceInstaller().RemoveRootDevice("F0E1TSV"));
    EXPECT_NE(std::string::npos, DeviceBlock("ROOT\\F0E1TSV\\0000").find("status:         absent"));
    EXPECT_NE(std::string::npos, DeviceBlock("ROOT\\F0E1TSVX\\0000").find("status:         started"));
}

// Two modems of one package: the first takes its driver in the upgrade pass, the second's driver cannot
// be installed (its file is missing from the package). Once one device of the class is upgraded the
// other is not tried again the old way; it is reported failed, and the run still succeeds.
TEST_F(InstallEdgeScenarioTest, SecondModemOfAnUpgradedClassIsNotInstalledTheOldWay)
{
    PutDetectionLibrary();
    Put("TWOMDM.INF", DriverInf("Modem", MODEM_GUID,
                                {{"Edge Modem A", "PCI\\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1", "f0e1a.sys"},
                                 {"Edge Modem B", "PCI\\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1", "f0e1b.sys"}}));
    Put("f0e1a.sys", "driver");

    ASSERT_EQ(0, RunWith(PRESS_OK, "-S3 -L -F2"));
    const std::string log = LastRun();
    EXPECT_NE(std::string::npos, log.find("Flag as DEVICE_NOT_INSTALLED = PCI\\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1"))
        << log;
    EXPECT_EQ(std::string::npos, log.find("Installing devices the old fashion way"));
    EXPECT_EQ(std::string::npos, log.find("ENTRY: CInstall::SetupForCleanUpIfAborted"));
    EXPECT_EQ(Lines({"Edge Modem A=DEVICE_UPGRADED", "Edge Modem B=DEVICE_INSTALL_FAILED"}), Reviews(log));
    EXPECT_EQ(Lines({"Edge Modem A=4", "Edge Modem B=5"}), ResultRows(log));
    EXPECT_EQ("ResultCode=0", ResultCode());
    EXPECT_NE(std::string::npos, DeviceBlock("PCI\\VEN_F0E1&DEV_4C20").find("status:         started"));
    EXPECT_NE(std::string::npos, DeviceBlock("PCI\\VEN_F0E1&DEV_4C21").find("driver:         -"));
}

// "GS": the result list shows only the devices that succeeded.
TEST_F(InstallEdgeScenarioTest, SuccessResultsOnlyLeaveFailedDevicesOutOfTheResultList)
{
    PutDetectionLibrary();
    Put("TWOMDM.INF", DriverInf("Modem", MODEM_GUID,
                                {{"Edge Modem A", "PCI\\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1", "f0e1a.sys"},
                                 {"Edge Modem B", "PCI\\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1", "f0e1b.sys"}}));
    Put("f0e1a.sys", "driver");

    const std::string screen = ScreenWhenShowing("-S3 -GS -L -F2", "Installation results.");
    EXPECT_NE(std::string::npos, screen.find("row: Edge Modem A | SUCCESS")) << screen;
    EXPECT_EQ(std::string::npos, screen.find("Edge Modem B")) << screen;
    EXPECT_EQ(Lines({"Edge Modem A=4"}), ResultRows(LastRun()));
}

namespace
{

const char* const MEDIA_GUID = "{4D36E96C-E325-11CE-BFC1-08002BE10318}";

// The multifunction card's package: the card's INF names three child functions, each with an INF of its
// own; the second child's driver file is missing from the package.
void PutMultifunctionPackage()
{
    const std::string csChildren = "\r\n[Install_1.NT.HW]\r\nAddReg=Child_AddReg\r\n\r\n[Child_AddReg]\r\n"
                                   "HKR,ENUM\\Device1,HardwareID,,\"F0E1MF\\CHILD_1\"\r\n"
                                   "HKR,ENUM\\Device2,HardwareID,,\"F0E1MF\\CHILD_2\"\r\n"
                                   "HKR,ENUM\\Device3,HardwareID,,\"F0E1MF\\CHILD_3\"\r\n";
    ASSERT_TRUE(WriteWholeFile(
        "C:\\DRIVERS\\MFMODEM.INF",
        DriverInf("Modem", MODEM_GUID,
                  {{"Edge Multifunction Modem", "PCI\\VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1", "f0e1mf.sys"}}, csChildren)));
    for (const char* pszN : {"1", "2", "3"})
    {
        const std::string csID = std::string("F0E1MF\\CHILD_") + pszN;
        const std::string csFile = std::string("f0e1c") + pszN + ".sys";
        const std::string csDesc = std::string("Edge Child ") + pszN;
        ASSERT_TRUE(WriteWholeFile(std::string("C:\\DRIVERS\\MFCHILD") + pszN + ".INF",
                                   DriverInf("MEDIA", MEDIA_GUID, {{csDesc.c_str(), csID.c_str(), csFile.c_str()}})));
    }
    for (const char* pszFile : {"f0e1mf.sys", "f0e1c1.sys", "f0e1c3.sys"})
        ASSERT_TRUE(WriteWholeFile(std::string("C:\\DRIVERS\\") + pszFile, "driver"));
}

} // namespace

// The card takes its driver and two of its children theirs; the second child gets none. The device
// counts as failed: FAILURE, exit code 1, ResultCode=1, and its failed install handed to the clean-up
// (which this build cannot run yet and says so). With "UBI" the card goes the old way, which writes the
// clean-up hand-off; it is gone again when the run ends, and the parked in-box INFs are back.
TEST_F(InstallEdgeScenarioTest, DeviceWhoseSecondChildHasNoDriverFailsAndIsCleanedUp)
{
    PutDetectionLibrary();
    PutMultifunctionPackage();
    ASSERT_FALSE(HasFatalFailure());

    EXPECT_EQ(1, Run("-S -L -F2"));
    std::string log = LastRun();
    EXPECT_NE(std::string::npos, log.find("Attempting to install F0E1MF\\CHILD_2 : C:\\DRIVERS\\MFCHILD2.INF\r\n"))
        << log;
    EXPECT_NE(std::string::npos, log.find("Child Device Installed = F0E1MF\\CHILD_1"));
    EXPECT_EQ(std::string::npos, log.find("Child Device Installed = F0E1MF\\CHILD_2"));
    EXPECT_EQ(Lines({"Edge Multifunction Modem=DEVICE_INSTALL_FAILED"}), Reviews(log));
    const size_t nCleanUp = log.find("ENTRY: CInstall::CleanUpFailedInstall");
    ASSERT_NE(std::string::npos, nCleanUp);
    EXPECT_NE(
        std::string::npos,
        log.find("csDeviceID = VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1, csBusType = PCI, csClassType = Modem", nCleanUp));
    EXPECT_NE(std::string::npos, log.find("CUninstall::Uninstall : not available in this build", nCleanUp));
    EXPECT_EQ("ResultCode=1", ResultCode());
    EXPECT_FALSE(HasRunValue("DVXCU2"));
    EXPECT_NE(std::string::npos, DeviceBlock("F0E1MF\\CHILD_1").find("status:         started"));
    EXPECT_NE(std::string::npos, DeviceBlock("F0E1MF\\CHILD_2").find("driver:         -"));

    EXPECT_EQ(1, Run("-S -L -F2 -UBI"));
    log = LastRun();
    EXPECT_NE(std::string::npos, log.find("Installing devices the old fashion way"));
    EXPECT_EQ(Lines({"Edge Multifunction Modem=DEVICE_INSTALL_FAILED"}), Reviews(log));
    EXPECT_EQ("ResultCode=1", ResultCode());
    const std::string journal = Journal();
    EXPECT_NE(std::string::npos,
              journal.find("\"DVXCU2\"=\"C:\\\\WINDOWS\\\\TEMP\\\\DVXCU2.EXE -CLEAN_UP_AFTER_CRASH\""))
        << journal;
    EXPECT_FALSE(HasRunValue("DVXCU2"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\WINDOWS\\inf\\mdmgen.inf"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\WINDOWS\\TEMP\\DVX_INBUILD_INF\\MDMGEN.INF"));
}

// "PRE" with none of the package's devices present: the run turns into an install without hardware (the
// No Enumeration case); the INFs are made known and every device counts as installed without a test.
TEST_F(InstallEdgeScenarioTest, PreInstallWithoutHardwareReportsEveryDeviceInstalled)
{
    PutDetectionLibrary();
    Put("ABSENT.INF", DriverInf("Modem", MODEM_GUID,
                                {{"Edge Absent Modem", "PCI\\VEN_F0E1&DEV_4C50&SUBSYS_4C50F0E1", "f0e1x.sys"},
                                 {"Edge Absent Modem 2", "PCI\\VEN_F0E1&DEV_4C51&SUBSYS_4C51F0E1", "f0e1x.sys"}}));
    Put("f0e1x.sys", "driver");

    ASSERT_EQ(0, RunWith(PRESS_OK, "-S3 -PRE -L -F2"));
    const std::string log = LastRun();
    EXPECT_NE(std::string::npos, log.find("Setting for No Enumeration Case")) << log;
    EXPECT_EQ(Lines({"Edge Absent Modem=DEVICE_INSTALLED", "Edge Absent Modem 2=DEVICE_INSTALLED"}), Reviews(log));
    // With "PRE" nothing is deferred to a restart, and the result list is shown.
    EXPECT_EQ(std::string::npos, log.find("CInstallNoEnum::SetupInstallNoEnum"));
    EXPECT_EQ(Lines({"Edge Absent Modem=4", "Edge Absent Modem 2=4"}), ResultRows(log));
    EXPECT_EQ(std::string::npos, log.find("Attempting to install"));
    EXPECT_EQ(std::string::npos, log.find("Installing devices the old fashion way"));
    EXPECT_EQ("ResultCode=0", ResultCode());
    EXPECT_NE(std::string::npos, Winsim("store '" + MachineDir() + "'").find("oem0.inf"));
}

// "NE" (and "NOHW") without "PRE": files only, the deferred install is set up (a later piece; this build
// says so) and no result list is shown.
TEST_F(InstallEdgeScenarioTest, NoHardwareWithoutPreShowsNoResultList)
{
    PutDetectionLibrary();
    Put("TWOMDM.INF",
        DriverInf("Modem", MODEM_GUID, {{"Edge Modem A", "PCI\\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1", "f0e1a.sys"}}));
    Put("f0e1a.sys", "driver");

    for (const char* pszSwitch : {"-NE", "-NOHW"})
    {
        ASSERT_EQ(0, RunWith(PRESS_OK, std::string("-S3 -L -F2 ") + pszSwitch)) << pszSwitch;
        const std::string log = LastRun();
        EXPECT_EQ(Lines({"Edge Modem A=DEVICE_INSTALLED"}), Reviews(log)) << pszSwitch;
        EXPECT_NE(std::string::npos, log.find("CInstallNoEnum::SetupInstallNoEnum : not available in this build"));
        EXPECT_EQ(std::string::npos, log.find("GetInstallInfo : eInstallInfo = 1")) << pszSwitch;
        EXPECT_EQ("ResultCode=0", ResultCode());
        // The device itself is left to Plug and Play.
        EXPECT_NE(std::string::npos, DeviceBlock("PCI\\VEN_F0E1&DEV_4C20").find("driver:         -"));
    }
    EXPECT_EQ(std::string::npos, Journal().find("Installation results."));
}

// Plug and Play still busy with the device when the time limit ("T") runs out: the wait ends on its
// time-out and the device is reported failed. "UBI" sends it the old way, where Plug and Play installs it.
TEST_F(InstallEdgeScenarioTest, CompletionWaitTimingOutReportsTheDeviceFailed)
{
    PutDetectionLibrary();
    Put("SLOW.INF",
        DriverInf("Modem", MODEM_GUID, {{"Edge Slow Modem", "PCI\\VEN_F0E1&DEV_4C30&SUBSYS_4C30F0E1", "f0e1s.sys"}}));
    Put("f0e1s.sys", "driver");

    EXPECT_EQ(1, Run("-S -L -F2 -UBI -T=30"));
    const std::string log = LastRun();
    EXPECT_NE(std::string::npos, log.find("PNP Manager Started")) << log;
    EXPECT_NE(std::string::npos, log.find("Install Completed : Time out"));
    EXPECT_EQ(Lines({"Edge Slow Modem=DEVICE_INSTALL_FAILED"}), Reviews(log));
    EXPECT_EQ("ResultCode=1", ResultCode());
    EXPECT_FALSE(HasRunValue("DVXCU2"));
    const std::string block = DeviceBlock("PCI\\VEN_F0E1&DEV_4C30");
    EXPECT_NE(std::string::npos, block.find("driver:         -")) << block;
}

// The package on a write-protected medium: the trace log goes to the temporary folder, the result file
// where "F2" says, and the outcome is the same as from a writable folder.
TEST_F(InstallEdgeScenarioTest, PackageOnWriteProtectedMediumStillReports)
{
    const std::string csMedium = "C:\\CDROM\\";
    ASSERT_TRUE(CreateDirectoryA(csMedium.c_str(), nullptr));
    ASSERT_TRUE(WriteImage(csMedium + "Setup.exe", "exe", "setup"));
    ASSERT_TRUE(WriteImage(csMedium + "DVXDLL.DLL", "dll", "dvxdll"));
    ASSERT_TRUE(WriteWholeFile(csMedium + "TWOMDM.INF",
                               DriverInf("Modem", MODEM_GUID,
                                         {{"Edge Modem A", "PCI\\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1", "f0e1a.sys"},
                                          {"Edge Modem B", "PCI\\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1", "f0e1b.sys"}})));
    ASSERT_TRUE(WriteWholeFile(csMedium + "f0e1a.sys", "driver"));
    ASSERT_EQ(0, Shell("'" + m_bin + "/winsim' protect '" + MachineDir() + "' 'C:\\CDROM'"));

    EXPECT_EQ(0, Shell("'" + m_bin + "/winsim' run '" + MachineDir() +
                       "' -- 'C:\\CDROM\\Setup.exe' -S -L '-F2=C:\\RESULTS\\SETUP.LOG'"));
    const std::string log =
        Read("C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\NORVALIS_INSTALL.LOG");
    EXPECT_EQ(Lines({"Edge Modem A=DEVICE_UPGRADED", "Edge Modem B=DEVICE_INSTALL_FAILED"}), Reviews(log)) << log;
    EXPECT_EQ("ResultCode=0", ResultCode("C:\\RESULTS\\SETUP.LOG"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\CDROM\\NORVALIS_INSTALL.LOG"));
    EXPECT_NE(std::string::npos, DeviceBlock("PCI\\VEN_F0E1&DEV_4C20").find("status:         started"));
    // The device whose file is missing is left as it was found, not half-installed.
    const std::string block = DeviceBlock("PCI\\VEN_F0E1&DEV_4C21");
    EXPECT_NE(std::string::npos, block.find("driver:         -")) << block;
    EXPECT_NE(std::string::npos, block.find("status:         problem 28 (no driver)")) << block;
}

// A package for a device that is not there names the device class in the error box.
TEST_F(InstallEdgeScenarioTest, PackageForAbsentDeviceSaysWhichClassWasNotFound)
{
    PutDetectionLibrary();
    Put("ABSENT.INF",
        DriverInf("Modem", MODEM_GUID, {{"Edge Absent Modem", "PCI\\VEN_F0E1&DEV_4C50&SUBSYS_4C50F0E1", "f0e1x.sys"}}));
    EXPECT_EQ(1, Run("-S -L -F2"));
    EXPECT_NE(std::string::npos,
              Journal().find("ERROR  Driver Installation Failed: Could not find the Modem device for this driver."));
    EXPECT_EQ("ResultCode=1", ResultCode());
}

// A run killed while the in-box modem INFs are parked and the clean-up hand-off is written: at the next
// logon the clean-up run puts the INFs back and removes its own Run value, so it runs only once. The kill
// point is searched for, each attempt on a machine of its own (a reboot of this test's machine would end
// the test process).
TEST_F(InstallEdgeScenarioTest, CleanUpRunAfterAKilledInstallRestoresParkedInfsAndRunsOnce)
{
    const std::string winsim = "'" + m_bin + "/winsim' ";
    const std::string package = MachineDir() + "-package";
    const std::string machine = MachineDir() + "-killed";
    ASSERT_EQ(0, Shell("mkdir -p '" + package + "'"));
    {
        std::ofstream(package + "/EDGEMDM.INF") << DriverInf(
            "Modem", MODEM_GUID, {{"Edge Modem A", "PCI\\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1", "f0e1a.sys"}});
        std::ofstream(package + "/f0e1a.sys") << "driver";
    }
    const std::string parked = "C:\\WINDOWS\\TEMP\\DVX_INBUILD_INF";
    // File names in upper case: the in-box INF is "mdmgen.inf", its parked copy "MDMGEN.INF".
    auto Listing = [&](const std::string& csFolder)
    {
        std::string text = Winsim("ls '" + machine + "' '" + csFolder + "'");
        for (char& ch : text)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return text;
    };
    bool bFound = false;
    for (int nCall = 1500; nCall <= 20000 && !bFound; nCall += 150)
    {
        ASSERT_EQ(0, Shell("rm -rf '" + machine + "' && " + winsim + "new '" + Profile() + "' '" + machine + "' && " +
                           winsim + "put '" + machine + "' '" + package + "' 'C:\\DRIVERS' && " + winsim + "image '" +
                           machine + "' setup 'C:\\DRIVERS\\Setup.exe' && " + winsim + "image '" + machine +
                           "' dvxdll 'C:\\DRIVERS\\DVXDLL.DLL'"));
        const int nExit = Shell(winsim + "run '" + machine + "' --crash-at " + std::to_string(nCall) +
                                " -- 'C:\\DRIVERS\\Setup.exe' -S -L -F2 -UBI");
        if (nExit != 139)
            break;
        bFound = Listing(parked).find("MDMGEN.INF") != std::string::npos &&
                 Winsim("reg '" + machine + "' export 'HKLM\\" + RUN_KEY + "'").find("DVXCU2") != std::string::npos;
    }
    ASSERT_TRUE(bFound) << "no kill point with the INFs parked and the hand-off written";
    EXPECT_EQ(std::string::npos, Listing("C:\\WINDOWS\\inf").find("MDMGEN.INF"));

    ASSERT_EQ(0, Shell(winsim + "reboot '" + machine + "'"));
    EXPECT_NE(std::string::npos,
              Winsim("journal '" + machine + "'")
                  .find("machine  run          C:\\WINDOWS\\TEMP\\DVXCU2.EXE -CLEAN_UP_AFTER_CRASH"));
    EXPECT_NE(std::string::npos, Listing("C:\\WINDOWS\\inf").find("MDMGEN.INF"));
    EXPECT_EQ(std::string::npos, Listing(parked).find("MDMGEN.INF"));
    EXPECT_EQ(std::string::npos, Winsim("reg '" + machine + "' export 'HKLM\\" + RUN_KEY + "'").find("DVXCU2"));
    Shell("rm -rf '" + machine + "' '" + package + "'");
}

// The plug-in prompt for a USB DSL modem that never arrives closes by itself after two minutes, as if
// cancelled: no wait for Plug and Play, the modem reported failed.
TEST_F(InstallEdgeScenarioTest, DslPromptWithNothingPluggedInGivesUpAfterTwoMinutes)
{
    Put("EDGEDSL.INF", DriverInf("Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}",
                                 {{"Edge USB DSL Modem", "USB\\VID_F0E1&PID_3A01", "f0e1dsl.sys"}}));
    Put("f0e1dsl.sys", "driver");
    EXPECT_EQ(1, Run("-S -L -F2"));
    const std::string log = LastRun();
    EXPECT_NE(std::string::npos, log.find("EXIT:  CSetupADSL::DisplayPlugInUSBDeviceDlg : bRetVal = 0")) << log;
    EXPECT_EQ(Lines({"Edge USB DSL Modem=DEVICE_INSTALL_FAILED"}), Reviews(log));
    EXPECT_EQ("ResultCode=1", ResultCode());
    const std::string journal = Journal();
    const size_t nShown = journal.find("window   show         Edge USB DSL Modem");
    const size_t nClosed = journal.find("window   destroy      Edge USB DSL Modem");
    ASSERT_NE(std::string::npos, nShown) << journal;
    ASSERT_NE(std::string::npos, nClosed);
    const std::string csShown = journal.substr(journal.rfind('\n', nShown) + 1, 19);
    const std::string csClosed = journal.substr(journal.rfind('\n', nClosed) + 1, 19);
    EXPECT_EQ("2007-06-15 09:00:02", csShown);
    EXPECT_EQ("2007-06-15 09:02:02", csClosed);
}

namespace
{

// Windows Vista x64 with the driver package library in System32 and two modems of ours; the program
// runs as its 64-bit twin.
class VistaEdgeScenarioTest : public InstallEdgeScenarioTest
{
protected:
    const char* Profile() const override
    {
        static const std::string profile = TestMachine::DeriveProfile("vista-x64", "install-edge-vista", R"(
[Device.20]
InstanceId=PCI\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1&REV_01\4&5A1B2C3D&0&68F0
HardwareIDs=PCI\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1&REV_01|PCI\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1
Description=PCI Simple Communications Controller
[Device.21]
InstanceId=PCI\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1&REV_01\4&5A1B2C3D&0&70F0
HardwareIDs=PCI\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1&REV_01|PCI\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1
Description=PCI Simple Communications Controller
)");
        return profile.c_str();
    }
};

} // namespace

// Two models of one INF: the driver package install of the first record covers the INF, so the second
// record gets no install call of its own; both devices end with the package's driver.
TEST_F(VistaEdgeScenarioTest, SecondRecordOfAnInfInstalledByThePackageGetsNoCallOfItsOwn)
{
    std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\nClassGUID=" + std::string(MODEM_GUID) +
                      "\r\nProvider=Edge Maker\r\nDriverVer=06/01/2007,1.0.0.1\r\nCatalogFile=edgemdm.cat\r\n"
                      "\r\n[Manufacturer]\r\nEdge Maker=Models,NTamd64\r\n\r\n[Models.NTamd64]\r\n"
                      "Edge Modem A=Modem_Install, PCI\\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1\r\n"
                      "Edge Modem B=Modem_Install, PCI\\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1\r\n"
                      "\r\n[Modem_Install.NT]\r\nCopyFiles=Modem_Files\r\n\r\n[Modem_Files]\r\nf0e1a.sys\r\n"
                      "\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n\r\n[SourceDisksNames]\r\n1=Edge Disk,,,\r\n"
                      "\r\n[SourceDisksFiles]\r\nf0e1a.sys=1\r\n";
    Put("EDGEMDM.INF", inf);
    Put("edgemdm.cat", "catalog");
    Put("f0e1a.sys", "driver");
    ASSERT_TRUE(
        WriteWholeFile("C:\\DRIVERS\\SETUP64.EXE",
                       "WINSIM-IMAGE 1\r\nKind=exe\r\nProgram=setup\r\nMachine=x64\r\nFileVersion=4.0.17.1\r\n"));

    ASSERT_EQ(0, Shell("'" + m_bin + "/winsim' run '" + MachineDir() + "' -- 'C:\\DRIVERS\\SETUP64.EXE' -S -L -F2"));
    const std::string log = Read("C:\\DRIVERS\\NORVALIS_INSTALL64.LOG");
    EXPECT_NE(std::string::npos, log.find("Attempting to install PCI\\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1")) << log;
    EXPECT_NE(std::string::npos, log.find("CDIFxInstall :: InstallViaDifxApi : bRetVal = 1"));
    EXPECT_EQ(std::string::npos, log.find("Attempting to install PCI\\VEN_F0E1&DEV_4C21"));
    EXPECT_EQ(Lines({"Edge Modem A=DEVICE_UPGRADED", "Edge Modem B=DEVICE_UPGRADED"}), Reviews(log));
    EXPECT_EQ("ResultCode=0", ResultCode());
    EXPECT_NE(std::string::npos, DeviceBlock("PCI\\VEN_F0E1&DEV_4C21").find("status:         started"));
}
