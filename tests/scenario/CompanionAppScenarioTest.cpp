// A device INI's companion application: started, found successful through its result file, registered with
// the device and hidden from Add/Remove Programs; then uninstalled with the device's INIs, its running
// process ended first. The installer and uninstaller are programs the machine's profile declares.
#include <gtest/gtest.h>

#include <memory>

#include "SetupRunFixture.h"
#include "config/CINIFile.h"
#include "devapi/KDeviceApi.h"
#include "platform/CRegistryKey.h"

namespace
{

const char* kModemID = "PCI\\VEN_F0E1&DEV_1F10";
const char* kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SampleCallHold";

class CompanionAppScenarioTest : public SetupRunFixture
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile(
            "xp-sp2", "companion-installers",
            "[Device.12]\n"
            "InstanceId=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02\\4&2B3C4D5E&0&60F0\n"
            "HardwareIDs=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02|PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1\n"
            "Class=Modem\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\nDriverDesc=Sample Data Fax Modem\n"
            "ProviderName=Sample Modems\n"
            "[Program.CALLHOLDSETUP]\nLifetime=4000\nResultCode=0\nUninstallKey=SampleCallHold\n"
            "DisplayName=Sample Call Hold\nUninstallString=C:\\Program Files\\CallHold\\UNINST.EXE\n"
            "[Program.FAILINGSETUP]\nLifetime=1000\nResultCode=-3\nUninstallKey=BadApp\nDisplayName=Bad App\n"
            "UninstallString=C:\\BAD\\UNINST.EXE\n"
            "[Program.CALLHOLDUNINST]\nLifetime=2000\nRemovesUninstallKey=SampleCallHold\n"
            "[Process.1]\nImage=C:\\Program Files\\CallHold\\CALLHOLD.EXE\nLifetime=forever\n");
        return path.c_str();
    }

    void SetUp() override
    {
        SetupRunFixture::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\DRIVERS\\APPS", nullptr));
        ASSERT_TRUE(WriteImage("C:\\DRIVERS\\APPS\\SETUP.EXE", "exe", "CALLHOLDSETUP"));
        ASSERT_TRUE(WriteImage("C:\\DRIVERS\\APPS\\BAD.EXE", "exe", "FAILINGSETUP"));
        ASSERT_TRUE(WriteImage("C:\\Program Files\\CallHold\\UNINST.EXE", "exe", "CALLHOLDUNINST"));
    }

    std::string Journal() { return Winsim("journal '" + MachineDir() + "'"); }

    static bool CallHoldRuns()
    {
        HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        bool found = false;
        for (BOOL more = Process32First(hSnap, &entry); more; more = Process32Next(hSnap, &entry))
            found = found || std::string(entry.szExeFile) == "CALLHOLD.EXE";
        CloseHandle(hSnap);
        return found;
    }
};

TEST_F(CompanionAppScenarioTest, ApplicationIsRegisteredWithTheDeviceHiddenAndUninstalledWithIt)
{
    ASSERT_TRUE(
        WriteWholeFile("C:\\DRIVERS\\CALLHOLD.INI",
                       "[Version]\r\nSignature=$CHICAGO$\r\nDEVTYPE_DVX_INI_FILE=1\r\n"
                       "[TASKS]\r\nAddReg=A\r\n[A]\r\nHKR,,CallHold,,1\r\n"
                       "[InstallApp]\r\n"
                       "InstallApp=APPS\\BAD.EXE,,1,Sample Call Hold\r\n"
                       "InstallApp=C:\\DRIVERS\\APPS\\SETUP.EXE, -s ,3,Sample Call Hold,-silent,CALLHOLD.EXE\r\n"));
    ASSERT_TRUE(CallHoldRuns());
    CINIFile ini;
    DWORD dwFlags = 1;
    ASSERT_TRUE(ini.InstallSingleINIFile(kModemID, "C:\\DRIVERS\\CALLHOLD.INI", &dwFlags));

    CRegistryKey entry(HKEY_LOCAL_MACHINE, kEntry);
    std::string value;
    EXPECT_TRUE(entry.ReadString("CorrespondingDevice", value));
    EXPECT_EQ("{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000", value);
    EXPECT_TRUE(entry.ReadString("UninstallString", value));
    EXPECT_EQ("C:\\Program Files\\CallHold\\UNINST.EXE -silent", value);
    EXPECT_TRUE(entry.ReadString("ProcessName", value));
    EXPECT_EQ("CALLHOLD.EXE", value);
    // Flag 0x2: no longer shown in Add/Remove Programs.
    EXPECT_FALSE(entry.ReadString("DisplayName", value));

    std::string journal = Journal();
    EXPECT_NE(std::string::npos, journal.find("C:\\DRIVERS\\APPS\\BAD.EXE")) << journal;
    EXPECT_NE(std::string::npos, journal.find("\"C:\\DRIVERS\\APPS\\SETUP.EXE\"-s")) << journal;

    CINIFile uninstall;
    DWORD dwResult = uninstall.UninstallINIFiles(kModemID);
    EXPECT_EQ(0u, dwResult & 0x40u);
    EXPECT_FALSE(entry.Exists());
    EXPECT_FALSE(CallHoldRuns());
    journal = Journal();
    EXPECT_NE(std::string::npos, journal.find("C:\\Program Files\\CallHold\\UNINST.EXE -silent")) << journal;
}

TEST_F(CompanionAppScenarioTest, FailedInstallerIsNotRegistered)
{
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\BAD.INI", "[Version]\r\nSignature=$CHICAGO$\r\nDEVTYPE_DVX_INI_FILE=1\r\n"
                                                       "[TASKS]\r\nAddReg=A\r\n[A]\r\nHKR,,X,,1\r\n"
                                                       "[InstallApp]\r\nInstallApp=APPS\\BAD.EXE,,1,Bad App\r\n"));
    CINIFile ini;
    DWORD dwFlags = 1;
    ASSERT_TRUE(ini.InstallSingleINIFile(kModemID, "C:\\DRIVERS\\BAD.INI", &dwFlags));
    std::string log;
    ASSERT_TRUE(ReadWholeFile("C:\\DRIVERS\\APPS\\SETUP.LOG", log));
    EXPECT_NE(std::string::npos, log.find("ResultCode=-3"));
    // The installer's own entry stays as it made it: not tied to the device, still shown.
    CRegistryKey entry(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BadApp");
    std::string value;
    EXPECT_TRUE(entry.ReadString("DisplayName", value));
    EXPECT_FALSE(entry.ReadString("CorrespondingDevice", value));
}

} // namespace
