// The install end to end on the default machine (Windows XP SP2) with the sample package under C:\DRIVERS
// and the sample hardware-detection library beside Setup.exe, run with `winsim run` as a user would: the
// devices it leaves, the result file, the exit code, the trace log's review lines, and the clean-up
// hand-off of a run that did not end.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "SetupRunFixture.h"
#include "platform/CRegistryKey.h"

namespace
{

const char* const RUN_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const LOG = "C:\\DRIVERS\\NORVALIS_INSTALL.LOG";
const char* const RESULT_FILE = "C:\\DRIVERS\\SETUP.LOG";

// The default machine with lines added to the PCI soft modem's device section.
std::string ProfileWithPciModem(const std::string& name, const std::string& lines)
{
    const std::string profile = TestMachine::DeriveProfile("xp-sp2", name, "");
    const std::string ini = profile + "/machine.ini";
    std::ifstream in(ini);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string anchor = "Description=PCI Simple Communications Controller\n";
    const size_t at = text.find(anchor);
    if (profile.empty() || at == std::string::npos)
        return std::string();
    text.insert(at + anchor.size(), lines);
    std::ofstream(ini) << text;
    return profile;
}

class InstallScenarioTest : public SamplePackageRunFixture
{
protected:
    std::string Winsim() const { return "'" + m_bin + "/winsim'"; }

    // Runs Setup.exe with winsim options (answers, faults) before the program; returns its exit code.
    int RunWith(const std::string& options, const std::string& args)
    {
        return Shell(Winsim() + " run '" + MachineDir() + "' " + options + " -- 'C:\\DRIVERS\\Setup.exe' " + args);
    }

    static std::string Output(const std::string& command) { return HostCommandOutput(command + " 2>&1"); }

    std::string Devices() { return Output(Winsim() + " devices '" + MachineDir() + "'"); }

    // A field ("class", "status", ...) of the device `winsim devices` shows with the description.
    static std::string Field(const std::string& devices, const std::string& desc, const std::string& name)
    {
        const size_t block = devices.find("description:    " + desc + "\n");
        const size_t at = block == std::string::npos ? block : devices.find(name + ":", block);
        if (at == std::string::npos)
            return std::string();
        const size_t value = devices.find_first_not_of(' ', at + name.size() + 1);
        return devices.substr(value, devices.find('\n', value) - value);
    }

    // The review's verdict on one device description, from the trace log.
    static bool Reviewed(const std::string& log, const std::string& desc, const char* pszStatus)
    {
        return log.find("csDeviceDesc = " + desc + ", SetupStatus = " + pszStatus) != std::string::npos;
    }

    static bool HasRunValue(const char* pszName)
    {
        std::string value;
        return CRegistryKey(HKEY_LOCAL_MACHINE, RUN_KEY).ReadString(pszName, value);
    }
};

} // namespace

// The trace log grows run after run: the part of the last run.
std::string LastRun(const std::string& log)
{
    const size_t at = log.rfind("ENTRY: CSetupDlg::RunSetupDlg");
    return at == std::string::npos ? std::string() : log.substr(at);
}

TEST_F(InstallScenarioTest, SilentInstallThenSecondRunUpgrades)
{
    ASSERT_EQ(0, Run("-S -L -F2"));
    std::string log = LastRun(Read(LOG));
    EXPECT_NE(std::string::npos, Read(RESULT_FILE).find("ResultCode=0")) << Read(RESULT_FILE);
    for (const char* pszDesc : {"Sample HD Audio Soft Modem", "Sample HD Audio Codec", "Sample PCI Soft Modem"})
        EXPECT_TRUE(Reviewed(log, pszDesc, "DEVICE_UPGRADED")) << pszDesc << log;
    EXPECT_EQ(std::string::npos, log.find("SetupStatus = DEVICE_INSTALL_FAILED")) << log;
    // The hand-off for an interrupted run is gone once the run has ended.
    EXPECT_FALSE(HasRunValue("DVXCU2"));
    // Every sample device that is plugged in runs with its driver, the modems' functions included: the
    // wave functions appeared when the modem drivers started and Plug and Play gave them theirs.
    std::string devices = Devices();
    for (const char* pszDesc :
         {"Sample HD Audio Soft Modem", "Sample HD Audio Modem Wave Device", "Sample HD Audio Modem Voice Function",
          "Sample HD Audio Modem Fax Function", "Sample PCI Soft Modem", "Sample PCI Soft Modem Wave Device",
          "Sample PCI Soft Modem Audio Function"})
    {
        EXPECT_EQ("Modem", Field(devices, pszDesc, "class").substr(0, 5)) << pszDesc << devices;
        EXPECT_EQ("started", Field(devices, pszDesc, "status")) << pszDesc << devices;
    }
    EXPECT_EQ(std::string::npos, devices.find("problem 28")) << devices;
    EXPECT_EQ("absent (unplugged)", Field(devices, "ADSL USB Modem", "status")) << devices;

    ASSERT_EQ(0, Run("-S -L -F2"));
    log = LastRun(Read(LOG));
    for (const char* pszDesc : {"Sample HD Audio Soft Modem", "Sample HD Audio Modem Wave Device",
                                "Sample PCI Soft Modem", "Sample PCI Soft Modem Wave Device"})
        EXPECT_TRUE(Reviewed(log, pszDesc, "DEVICE_UPGRADED")) << pszDesc << log;
    EXPECT_EQ(std::string::npos, log.find("SetupStatus = DEVICE_INSTALL_FAILED")) << log;
    EXPECT_NE(std::string::npos, Read(RESULT_FILE).find("ResultCode=0"));
}

// Plug and Play cannot install the PCI soft modem: its row fails, the run's result code says failure,
// and the others still succeed.
class FailingDeviceScenarioTest : public InstallScenarioTest
{
protected:
    const char* Profile() const override
    {
        static const std::string profile = ProfileWithPciModem("pci-modem-fails", "InstallFails=1\n");
        return profile.c_str();
    }
};

// Driver updates of present devices are refused, so the PCI soft modem is left to Plug and Play, which
// fails it; the package holds only its INF, so nothing ends installed.
TEST_F(FailingDeviceScenarioTest, OnlyFailedDeviceGivesResultCodeOne)
{
    for (const char* pszInf : {"DSLSAMPL.INF", "HDAMDM.INF", "HDAUDSMP.INF", "SYSSAMPL.INF"})
        ASSERT_TRUE(DeleteFileA((std::string("C:\\DRIVERS\\") + pszInf).c_str())) << pszInf;
    EXPECT_EQ(1, RunWith("--fail 'UpdateDriverForPlugAndPlayDevicesA:*'", "-S -L -F2"));
    const std::string log = LastRun(Read(LOG));
    EXPECT_TRUE(Reviewed(log, "Sample PCI Soft Modem", "DEVICE_INSTALL_FAILED")) << log;
    EXPECT_NE(std::string::npos, log.find("ENTRY: CInstall::CleanUpFailedInstall")) << log;
    EXPECT_NE(std::string::npos, Read(RESULT_FILE).find("ResultCode=1"));
    EXPECT_FALSE(HasRunValue("DVXCU2"));
}

TEST_F(InstallScenarioTest, PackageWithoutInfsSaysNoDeviceFound)
{
    for (const char* pszInf : {"DSLSAMPL.INF", "HDAMDM.INF", "HDAUDSMP.INF", "SYSSAMPL.INF", "MDMSAMPL.INF"})
        ASSERT_TRUE(DeleteFileA((std::string("C:\\DRIVERS\\") + pszInf).c_str())) << pszInf;
    EXPECT_EQ(1, Run("-S -L -F2"));
    // The box is shown in silent runs too.
    EXPECT_NE(std::string::npos, Screen().find("Could not find the")) << Screen();
    EXPECT_NE(std::string::npos, Read(RESULT_FILE).find("ResultCode=1"));
    EXPECT_EQ(std::string::npos, Read(LOG).find("ENTRY: CInstall::Install"));
}

// The wizard: the confirmation list, the busy window and the result list, with the user's presses; Cancel
// on the confirmation ends the run before anything is installed.
TEST_F(InstallScenarioTest, WizardConfirmsThenShowsResults)
{
    EXPECT_EQ(1, RunWith("--answer 'window:Device driver installation wizard=CANCEL@1'", "-L"));
    std::string log = LastRun(Read(LOG));
    EXPECT_EQ(std::string::npos, log.find("ENTRY: CInstall::Install")) << log;

    EXPECT_EQ(0, RunWith("--answer 'window:Device driver installation wizard=OK@1'", "-L"));
    const std::string journal = Output(Winsim() + " journal '" + MachineDir() + "'");
    const size_t nWelcome = journal.rfind("title        Welcome to the device driver installation wizard.");
    const size_t nBusy = journal.rfind("title        Installing device drivers...");
    const size_t nResults = journal.rfind("title        Installation results.");
    ASSERT_NE(std::string::npos, nWelcome) << journal;
    ASSERT_NE(std::string::npos, nBusy);
    ASSERT_NE(std::string::npos, nResults);
    EXPECT_LT(nWelcome, nBusy);
    EXPECT_LT(nBusy, nResults);
    // The result list has no Cancel.
    EXPECT_NE(std::string::npos, journal.find("hide         &CANCEL", nResults));
    log = LastRun(Read(LOG));
    EXPECT_NE(std::string::npos, log.find("szDeviceDesc = Sample HD Audio Codec, eDeviceStatus = 4")) << log;
}

// A run killed after the clean-up hand-off is written leaves it behind; the next logon runs the copy in
// clean-up mode. Driver updates are refused so that the run goes the old way, which writes the hand-off;
// the API call to kill at is searched for, each attempt on a fresh copy of the machine.
TEST_F(InstallScenarioTest, KilledRunLeavesCleanUpForNextLogon)
{
    const std::string machine = MachineDir() + "-crash";
    bool bFound = false;
    for (int nCall = 4000; nCall <= 200000 && !bFound; nCall += 4000)
    {
        // A machine of its own: a copy of this test's machine would list the test process, which a reboot
        // of the copy would end.
        ASSERT_EQ(0, Shell("rm -rf '" + machine + "' && " + Winsim() + " new '" + DRVSETUP_SOURCE_DIR +
                           "/profiles/xp-sp2' '" + machine + "' && " + Winsim() + " put '" + machine + "' '" +
                           DRVSETUP_SOURCE_DIR + "/samples/package' 'C:\\DRIVERS' && " + Winsim() + " image '" +
                           machine + "' setup 'C:\\DRIVERS\\Setup.exe' && " + Winsim() + " image '" + machine +
                           "' dvxdll 'C:\\DRIVERS\\DVXDLL.DLL'"));
        const int nExit = Shell(Winsim() + " run '" + machine + "' --fail 'UpdateDriverForPlugAndPlayDevicesA:*' " +
                                "--crash-at " + std::to_string(nCall) + " -- 'C:\\DRIVERS\\Setup.exe' -S -L -F2");
        if (nExit != 139)
            break;
        bFound = Output(Winsim() + " reg '" + machine + "' export 'HKLM\\" + RUN_KEY + "'").find("DVXCU2") !=
                 std::string::npos;
    }
    ASSERT_TRUE(bFound) << "no kill point after the hand-off was written";
    ASSERT_EQ(0, Shell(Winsim() + " reboot '" + machine + "'"));
    const std::string journal = Output(Winsim() + " journal '" + machine + "'");
    EXPECT_NE(std::string::npos,
              journal.find("machine  run          C:\\WINDOWS\\TEMP\\DVXCU2.EXE -CLEAN_UP_AFTER_CRASH"))
        << journal;
    EXPECT_NE(std::string::npos, journal.find("process  exit         C:\\WINDOWS\\TEMP\\DVXCU2.EXE  0"));
    // The clean-up run's install object takes the hand-off away when it ends: it runs once.
    EXPECT_EQ(std::string::npos,
              Output(Winsim() + " reg '" + machine + "' export 'HKLM\\" + RUN_KEY + "'").find("DVXCU2"));
    Shell("rm -rf '" + machine + "'");
}

// "S3" leaves out the confirmation and "S5" the result list: the install runs behind its busy window only.
TEST_F(InstallScenarioTest, S3AndS5LeaveOutBothListScreens)
{
    EXPECT_EQ(0, Run("-S3 -S5 -L"));
    const std::string journal = Output(Winsim() + " journal '" + MachineDir() + "'");
    EXPECT_NE(std::string::npos, journal.find("title        Installing device drivers...")) << journal;
    EXPECT_EQ(std::string::npos, journal.find("Welcome to the device driver installation wizard."));
    EXPECT_EQ(std::string::npos, journal.find("Installation results."));
    EXPECT_NE(std::string::npos, LastRun(Read(LOG)).find("ENTRY: CInstall::Install"));
}
