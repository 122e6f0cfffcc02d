// The single device INI mode end to end on a machine with an installed data modem: the INI's registry
// changes, the reversed copy kept for uninstall, the result box, and the uninstall that undoes it all.
#include <gtest/gtest.h>

#include <memory>

#include "SetupRunFixture.h"
#include "config/CINIFile.h"
#include "devapi/KDeviceApi.h"

namespace
{

const char* kModemID = "PCI\\VEN_F0E1&DEV_1F10";
const char* kModemDriverKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";
const char* kSavedCopy = "C:\\WINDOWS\\TEMP\\{4D36E96D-E325-11CE-BFC1-08002BE10318}0000\\MODEM.INI";

const char* kModemIni = "[Version]\r\n"
                        "Signature=$CHICAGO$\r\n"
                        "DEVTYPE_DVX_INI_FILE=1\r\n"
                        "\r\n"
                        "[TASKS]\r\n"
                        "AddReg=Modem_AddReg\r\n"
                        "\r\n"
                        "[FLAGS]\r\n"
                        "REBOOT=0\r\n"
                        "\r\n"
                        "[Modem_AddReg]\r\n"
                        "HKR,Settings,Country,0x00010001,0x000000B5\r\n"
                        "HKR,,UserInit,,\"ATS7=60\"\r\n"
                        "HKLM,SOFTWARE\\Sample Modems\\Modem\\Tools,Installed,0x00010001,1\r\n"
                        "HKLM,SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run,SampleTray,,\"tray.exe\"\r\n";

class DevIniModeScenarioTest : public SetupRunFixture
{
protected:
    const char* Profile() const override
    {
        static const std::string path =
            DeriveProfile("xp-sp2", "data-modem",
                          "[Device.12]\n"
                          "InstanceId=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02\\4&2B3C4D5E&0&60F0\n"
                          "HardwareIDs=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02|"
                          "PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1\n"
                          "Mfg=Sample Modems\n"
                          "Class=Modem\n"
                          "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n"
                          "DriverDesc=Sample Data Fax Modem\n"
                          "ProviderName=Sample Modems\n"
                          "DriverVersion=5.10.0.12\n"
                          "DriverDate=2-15-2006\n"
                          "InfPath=oem3.inf\n"
                          "InfSection=Modem_Install\n"
                          "MatchingDeviceId=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1\n");
        return path.c_str();
    }

    std::string Export(const std::string& key) { return Winsim("reg '" + MachineDir() + "' export '" + key + "'"); }

    // What the registry holds where the INI writes.
    std::string ExportAll() { return Export(std::string("HKLM\\") + kModemDriverKey) + Export("HKLM\\SOFTWARE"); }
};

TEST_F(DevIniModeScenarioTest, AppliesTheIniKeepsItsReversedCopyAndUninstallRestoresTheRegistry)
{
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\MODEM.INI", kModemIni));
    std::string before = ExportAll();
    ASSERT_NE(std::string::npos, before.find("Sample Data Fax Modem")) << before;
    std::string journalBefore = Winsim("journal '" + MachineDir() + "'");

    EXPECT_EQ(0, Run(std::string("'-DEVINI=MODEM.INI,") + kModemID + "'"));
    std::string screen = Screen();
    EXPECT_NE(std::string::npos, screen.find("The operation completed successfully.")) << screen;
    EXPECT_NE(std::string::npos, screen.find(std::string("-DEVINI = MODEM.INI,") + kModemID)) << screen;

    std::string after = ExportAll();
    EXPECT_NE(std::string::npos, after.find("\\0000\\Settings]\r\n\"Country\"=dword:000000b5")) << after;
    EXPECT_NE(std::string::npos, after.find("\"UserInit\"=\"ATS7=60\"")) << after;
    EXPECT_NE(std::string::npos, after.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Sample Modems\\Modem\\Tools]")) << after;
    EXPECT_NE(std::string::npos, after.find("\"SampleTray\"=\"tray.exe\"")) << after;

    // The journal of the run holds the INI's registry changes and no other.
    std::string journal = Winsim("journal '" + MachineDir() + "'").substr(journalBefore.size());
    size_t nRegistryLines = 0;
    for (size_t nPos = journal.find(" registry "); nPos != std::string::npos;
         nPos = journal.find(" registry ", nPos + 1))
        ++nRegistryLines;
    EXPECT_NE(std::string::npos, journal.find("Country")) << journal;
    EXPECT_NE(std::string::npos, journal.find("SampleTray")) << journal;
    // Settings created and Country set, UserInit set, three levels of the tool's key and its value, the
    // Run value.
    EXPECT_EQ(8u, nRegistryLines) << journal;
    EXPECT_EQ(std::string::npos, journal.find("DriverDesc")) << journal;

    // The saved copy undoes what was added; the keys the INI created are named in it.
    std::string copy = Read(kSavedCopy);
    EXPECT_NE(std::string::npos, copy.find("[TASKS]\r\nDelReg=Modem_AddReg\r\n")) << copy;
    EXPECT_NE(std::string::npos, copy.find("Key = HKLM,\"SOFTWARE\\Sample Modems\\Modem\"")) << copy;
    EXPECT_NE(std::string::npos, copy.find("Key = HKR,\"Settings\"")) << copy;
    EXPECT_NE(std::string::npos, copy.find("EmptyKey = HKLM,\"SOFTWARE\\Sample Modems\"")) << copy;
    EXPECT_EQ(std::string::npos, copy.find("CurrentVersion\\Run\"")) << copy;

    // A second install of the same INI keeps what the first one created on the list to undo.
    EXPECT_EQ(0, Run(std::string("'-DEVINI=MODEM.INI,") + kModemID + "'"));
    EXPECT_NE(std::string::npos, Read(kSavedCopy).find("EmptyKey = HKLM,\"SOFTWARE\\Sample Modems\""));

    CINIFile ini;
    DWORD dwFlags = ini.UninstallINIFiles(kModemID);
    EXPECT_EQ(0x20u, dwFlags & 0x20u) << dwFlags;
    // Exactly as before: the shared Run key keeps its other values, the modem's own key is gone.
    EXPECT_EQ(before, ExportAll());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kSavedCopy));
}

TEST_F(DevIniModeScenarioTest, MissingIniOrDeviceShowsTheInvalidParameterText)
{
    std::string before = ExportAll();
    EXPECT_EQ(0, Run(std::string("'-DEVINI=NONE.INI,") + kModemID + "'"));
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\MODEM.INI", kModemIni));
    EXPECT_EQ(0, Run("'-DEVINI=MODEM.INI,PCI\\VEN_F0E1&DEV_9999'"));
    // Not a device INI: no DEVTYPE key in [Version].
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\PLAIN.INI", "[Version]\r\nSignature=$CHICAGO$\r\n[TASKS]\r\nAddReg=A\r\n"
                                                         "[A]\r\nHKR,,X,,1\r\n"));
    EXPECT_EQ(0, Run(std::string("'-DEVINI=PLAIN.INI,") + kModemID + "'"));
    std::string screen = Screen();
    EXPECT_NE(std::string::npos, screen.find("The parameter is incorrect.")) << screen;
    EXPECT_EQ(before, ExportAll());
}

} // namespace
