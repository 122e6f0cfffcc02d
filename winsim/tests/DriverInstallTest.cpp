// The PnP manager's driver installs on the xp-sp2 machine: UpdateDriverForPlugAndPlayDevicesA with the
// sample modem INF, SetupCopyOEMInfA, the installs a re-enumeration sets off in virtual time, and the bad
// packages and arguments Windows refuses, each leaving the device as it was.
#include <gtest/gtest.h>

#include <string>

#include "DeviceTestSupport.h"
#include "FileTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "cfgmgr32.h"
#include "newdev.h"
#include "setupapi.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

using namespace device_test;

namespace
{

const char* kModemId = "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001";
const char* kWaveId = "HDAMDM\\WAVE_F0E1_2F20";
const char* kModemClassKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";

// A small driver INF for one hardware ID: `install` is the install section's body.
std::string DriverInf(const std::string& id, const std::string& driverVer, const std::string& install,
                      const std::string& extra = {})
{
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
           "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Test Modems\r\nDriverVer=" +
           driverVer + "\r\n[Manufacturer]\r\nTest Modems=Models\r\n[Models]\r\nTest Modem=Test_Install, " + id +
           "\r\n[Test_Install.NT]\r\n" + install + "\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n" + extra;
}

class DriverInstallTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_package = ScratchFolder();
        const std::string source = std::string(DRVSETUP_SOURCE_DIR) + "/samples/package/HDAMDM.INF";
        std::string text;
        ASSERT_TRUE(winsim::HostReadFile(source, text));
        file_test::WriteText(m_package + "\\HDAMDM.INF", text);
        for (const char* name : {"hdamdm.sys", "hdamdmv.sys", "hdamdm.cat"})
            file_test::WriteText(m_package + "\\" + name, std::string("sample ") + name);
    }

    std::string Inf() const { return m_package + "\\HDAMDM.INF"; }

    static std::string Value(const std::string& key, const char* name)
    {
        char buffer[512] = {0};
        DWORD size = sizeof(buffer);
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return "<no key>";
        const LONG status = RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(handle);
        return status == ERROR_SUCCESS ? std::string(buffer) : "<none>";
    }

    static std::string DriverOf(const char* instance) { return Value(std::string(kEnum) + instance, "Driver"); }

    std::string m_package;
};

TEST_F(DriverInstallTest, UpdateDriverInstallsTheHdAudioModemAndItsWaveFunctionAppearsWithoutADriver)
{
    ASSERT_EQ(CM_PROB_FAILED_INSTALL, StatusOf(kHdaModem).problem);
    EXPECT_EQ(CR_NO_SUCH_DEVNODE, StatusOf(kWave).result);

    BOOL reboot = TRUE;
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(nullptr, kModemId, Inf().c_str(), INSTALLFLAG_FORCE, &reboot))
        << GetLastError();
    EXPECT_FALSE(reboot);

    EXPECT_TRUE(Started(kHdaModem));
    const std::string driver = DriverOf(kHdaModem);
    ASSERT_EQ(0u, driver.find("{4D36E96D-E325-11CE-BFC1-08002BE10318}\\")) << driver;
    const std::string driverKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver;
    EXPECT_EQ("Sample HD Audio Soft Modem", Value(driverKey, "DriverDesc"));
    EXPECT_EQ("Sample Modems", Value(driverKey, "ProviderName"));
    EXPECT_EQ("7.12.0.40", Value(driverKey, "DriverVersion"));
    EXPECT_EQ("6-1-2007", Value(driverKey, "DriverDate"));
    EXPECT_EQ("oem0.inf", Value(driverKey, "InfPath"));
    EXPECT_EQ("HdaModem_Install.NT", Value(driverKey, "InfSection"));
    EXPECT_EQ(kModemId, Value(driverKey, "MatchingDeviceId"));
    // The install section's AddReg went to the driver key, the .HW section's to the hardware key.
    EXPECT_EQ(kWaveId, Value(driverKey + "\\WaveDriver", "WaveHardwareID"));
    EXPECT_EQ("HDAMDM\\VOICE_F0E1_2F20",
              Value(std::string(kEnum) + kHdaModem + "\\Device Parameters\\ENUM\\Device1", "HardwareID"));
    const std::string enumKey = std::string(kEnum) + kHdaModem;
    EXPECT_EQ("Modem", Value(enumKey, "Class"));
    EXPECT_EQ("Sample Modems", Value(enumKey, "Mfg"));
    EXPECT_EQ("hdamdm", Value(enumKey, "Service"));
    EXPECT_EQ("system32\\drivers\\hdamdm.sys", Value("SYSTEM\\CurrentControlSet\\Services\\hdamdm", "ImagePath"));
    EXPECT_TRUE(file_test::Exists("C:\\WINDOWS\\system32\\drivers\\hdamdm.sys"));
    EXPECT_TRUE(file_test::Exists("C:\\WINDOWS\\INF\\oem0.inf"));

    // The driver runs: its wave function is there, without a driver until its own INF installs.
    const NodeStatus wave = StatusOf(kWave);
    ASSERT_EQ(CR_SUCCESS, wave.result);
    EXPECT_EQ(CM_PROB_FAILED_INSTALL, wave.problem);
    EXPECT_EQ("<none>", DriverOf(kWave));
    file_test::WriteText(m_package + "\\WAVE.INF",
                         "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=MEDIA\r\n"
                         "ClassGUID={4D36E96C-E325-11CE-BFC1-08002BE10318}\r\nProvider=Sample Modems\r\n"
                         "DriverVer=06/01/2007,7.12.0.40\r\n[Manufacturer]\r\nSample Modems=Waves\r\n"
                         "[Waves]\r\nModem Wave=Wave_Install, HDAMDM\\WAVE_F0E1_2F20\r\n[Wave_Install]\r\n");
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(nullptr, kWaveId, (m_package + "\\WAVE.INF").c_str(), 0, nullptr))
        << GetLastError();
    EXPECT_TRUE(Started(kWave));
    EXPECT_EQ("MEDIA", Value(std::string(kEnum) + kWave, "Class"));
}

TEST_F(DriverInstallTest, UpdateDriverRefusesBadArgumentsAndIdsNoDeviceCarries)
{
    BOOL reboot = FALSE;
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(nullptr, "PCI\\VEN_F0E1&DEV_9999", Inf().c_str(), 1, &reboot));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), GetLastError());
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(nullptr, kModemId, "C:\\NOWHERE\\X.INF", 1, &reboot));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(nullptr, kModemId, Inf().c_str(), 0x100, &reboot));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(nullptr, nullptr, Inf().c_str(), 1, &reboot));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    // The modem function is not plugged into anything the USB modem's ID would find.
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(nullptr, "USB\\VID_F0E1&PID_3A01", Inf().c_str(), 1, &reboot));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), GetLastError());
    EXPECT_EQ(CM_PROB_FAILED_INSTALL, StatusOf(kHdaModem).problem);
}

TEST_F(DriverInstallTest, ABrokenPackageLeavesTheDeviceAsItWas)
{
    struct Case
    {
        const char* name;
        std::string inf;
        DWORD error;
    };
    const Case cases[] = {
        {"no install section",
         DriverInf(kModemId, "06/01/2007,1.0.0.0", "")
             .replace(DriverInf(kModemId, "06/01/2007,1.0.0.0", "").find("[Test_Install.NT]"), 17, "[Other_Section]"),
         static_cast<DWORD>(ERROR_SECTION_NOT_FOUND)},
        {"missing driver file",
         DriverInf(kModemId, "06/01/2007,1.0.0.0", "CopyFiles=Files",
                   "[Files]\r\nmissing.sys\r\n[SourceDisksNames]\r\n1=Disk\r\n"
                   "[SourceDisksFiles]\r\nmissing.sys=1\r\n"),
         static_cast<DWORD>(ERROR_FILE_NOT_FOUND)},
        {"service without binary",
         DriverInf(kModemId, "06/01/2007,1.0.0.0", "",
                   "[Test_Install.NT.Services]\r\nAddService=tst,2,Svc\r\n"
                   "[Svc]\r\nServiceType=1\r\nStartType=3\r\n"),
         static_cast<DWORD>(ERROR_BAD_SERVICE_INSTALLSECT)},
    };
    int n = 0;
    for (const Case& c : cases)
    {
        const std::string path = m_package + "\\BAD" + std::to_string(++n) + ".INF";
        file_test::WriteText(path, c.inf);
        EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(nullptr, kModemId, path.c_str(), 1, nullptr)) << c.name;
        EXPECT_EQ(c.error, GetLastError()) << c.name;
        EXPECT_EQ(CM_PROB_FAILED_INSTALL, StatusOf(kHdaModem).problem) << c.name;
        EXPECT_EQ("<none>", DriverOf(kHdaModem)) << c.name;
        EXPECT_FALSE(KeyExists(std::string(kModemClassKey) + "0000")) << c.name;
    }
}

TEST_F(DriverInstallTest, SetupCopyOEMInfPublishesEachInfOnce)
{
    char name[MAX_PATH] = {0};
    DWORD size = 0;
    PSTR component = nullptr;
    ASSERT_TRUE(SetupCopyOEMInfA(Inf().c_str(), nullptr, SPOST_PATH, 0, name, sizeof(name), &size, &component))
        << GetLastError();
    EXPECT_STREQ("C:\\WINDOWS\\INF\\oem0.inf", name);
    EXPECT_EQ(std::string(name).size() + 1, size);
    EXPECT_STREQ("oem0.inf", component);
    EXPECT_TRUE(file_test::Exists("C:\\WINDOWS\\INF\\oem0.PNF"));
    EXPECT_EQ("sample hdamdm.cat", file_test::ReadText("C:\\WINDOWS\\system32\\CatRoot\\"
                                                       "{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\oem0.cat"));

    // The same INF again keeps its name; with SP_COPY_NOOVERWRITE that is an error, the name still given.
    ASSERT_TRUE(SetupCopyOEMInfA(Inf().c_str(), nullptr, SPOST_PATH, 0, name, sizeof(name), nullptr, nullptr));
    EXPECT_STREQ("C:\\WINDOWS\\INF\\oem0.inf", name);
    EXPECT_FALSE(SetupCopyOEMInfA(Inf().c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, name, sizeof(name), nullptr,
                                  nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
    EXPECT_STREQ("C:\\WINDOWS\\INF\\oem0.inf", name);

    // Another INF takes the next number; a short buffer reports the size it needs.
    file_test::WriteText(m_package + "\\OTHER.INF", DriverInf("PCI\\VEN_F0E1&DEV_2F20", "01/01/2007", ""));
    char tiny[4];
    EXPECT_FALSE(SetupCopyOEMInfA((m_package + "\\OTHER.INF").c_str(), nullptr, SPOST_PATH, 0, tiny, sizeof(tiny),
                                  &size, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(sizeof("C:\\WINDOWS\\INF\\oem1.inf"), size);
    EXPECT_TRUE(file_test::Exists("C:\\WINDOWS\\INF\\oem1.inf"));
    EXPECT_FALSE(SetupCopyOEMInfA("C:\\NOWHERE\\X.INF", nullptr, SPOST_PATH, 0, name, sizeof(name), nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(DriverInstallTest, AReenumerationInstallsPublishedDriversAfterTheDeviceInstallDelay)
{
    ASSERT_TRUE(SetupCopyOEMInfA(Inf().c_str(), nullptr, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr));
    DEVINST root = 0;
    ASSERT_EQ(CR_SUCCESS, CM_Locate_DevNodeA(&root, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(0));
    const DWORD start = GetTickCount();
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));

    // xp-sp2's modem function takes 20 s to install; nothing else has a published driver.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), CMP_WaitNoPendingInstallEvents(0));
    Sleep(19000);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), CMP_WaitNoPendingInstallEvents(0));
    EXPECT_EQ("<none>", DriverOf(kHdaModem));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(INFINITE));
    EXPECT_EQ(20000u, GetTickCount() - start);
    EXPECT_TRUE(Started(kHdaModem));
    EXPECT_EQ("oem0.inf", Value("SYSTEM\\CurrentControlSet\\Control\\Class\\" + DriverOf(kHdaModem), "InfPath"));

    // A second re-enumeration finds nothing more to do.
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(0));
}

TEST_F(DriverInstallTest, AnInstallPendingForAnUnpluggedDeviceIsDropped)
{
    ASSERT_TRUE(SetupCopyOEMInfA(Inf().c_str(), nullptr, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr));
    DEVINST root = 0;
    ASSERT_EQ(CR_SUCCESS, CM_Locate_DevNodeA(&root, nullptr, 0));
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));
    ASSERT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), CMP_WaitNoPendingInstallEvents(0));
    // The controller goes, and the modem function with it.
    ASSERT_TRUE(winsim::SetDevicePlugged(kController, false));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(0));
    Sleep(30000);
    ASSERT_TRUE(winsim::SetDevicePlugged(kController, true));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(0));
    EXPECT_EQ("<none>", DriverOf(kHdaModem));
}

TEST_F(DriverInstallTest, TheSearchPrefersHardwareIdsThenNewerDatesAndRanksAMalformedDateOldest)
{
    // Three published INFs for the modem function: a compatible-ID match with the newest date, a
    // hardware-ID match with a malformed DriverVer, and a hardware-ID match from 2005.
    const std::string compatible = DriverInf("HDAUDIO\\FUNC_02", "01/01/2009,9.0.0.0", "");
    const std::string malformed = DriverInf(kModemId, "13/45/20x7,2.0.0.0", "");
    const std::string dated = DriverInf(kModemId, "03/04/2005,1.0.0.0", "");
    for (const auto& [file, text] :
         {std::pair<const char*, const std::string*>{"A.INF", &compatible}, {"B.INF", &malformed}, {"C.INF", &dated}})
    {
        file_test::WriteText(m_package + "\\" + file, *text);
        ASSERT_TRUE(
            SetupCopyOEMInfA((m_package + "\\" + file).c_str(), nullptr, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr));
    }
    DEVINST root = 0;
    ASSERT_EQ(CR_SUCCESS, CM_Locate_DevNodeA(&root, nullptr, 0));
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(INFINITE));
    const std::string driverKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\" + DriverOf(kHdaModem);
    EXPECT_EQ("oem2.inf", Value(driverKey, "InfPath"));
    EXPECT_EQ("3-4-2005", Value(driverKey, "DriverDate"));
}

} // namespace
