// The PnP manager's driver installs on the xp-sp2 machine: UpdateDriverForPlugAndPlayDevicesA with the
// sample modem INF, SetupCopyOEMInfA, the installs a re-enumeration sets off in virtual time, and the bad
// packages and arguments Windows refuses, each leaving the device as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "FileTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "cfgmgr32.h"
#include "newdev.h"
#include "setupapi.h"
#include "tlhelp32.h"
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

TEST_F(DriverInstallTest, UpdateDriverInstallsTheHdAudioModemAndPlugAndPlayInstallsItsWaveFunctionFromTheSameInf)
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
    // What `winsim devices` shows of it.
    const std::string tree = WinsimCommand("devices", MachineDir());
    const size_t block = tree.find(kHdaModem);
    if (!tree.empty() && block != std::string::npos)
    {
        const std::string lines = tree.substr(block, tree.find("\n    HDAMDM", block) - block);
        EXPECT_NE(std::string::npos, lines.find("class:          Modem {4D36E96D-E325-11CE-BFC1-08002BE10318}\n"))
            << lines;
        EXPECT_NE(std::string::npos, lines.find("driver:         " + driver + "\n")) << lines;
        EXPECT_NE(std::string::npos, lines.find("status:         started\n")) << lines;
        // Its wave function, one level down: new hardware, which the PnP manager installs from the INF
        // just published as soon as anything asks it about devices.
        const size_t wave = tree.find(std::string("  ") + kWave + "\n", block);
        ASSERT_NE(std::string::npos, wave) << tree;
        EXPECT_EQ(tree.find("status:         started", wave), tree.find("status:", wave)) << tree.substr(wave);
    }

    // The wave function's install delay is none: nothing is left pending.
    const NodeStatus wave = StatusOf(kWave);
    ASSERT_EQ(CR_SUCCESS, wave.result);
    const DWORD start = GetTickCount();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(INFINITE));
    EXPECT_EQ(0u, GetTickCount() - start);
    EXPECT_TRUE(Started(kWave));
    // From the published INF, not from the unsigned copy the modem's install put into the INF folder.
    EXPECT_TRUE(file_test::Exists("C:\\WINDOWS\\INF\\hdamdm.inf"));
    EXPECT_EQ("oem0.inf", Value("SYSTEM\\CurrentControlSet\\Control\\Class\\" + DriverOf(kWave), "InfPath"));
    EXPECT_EQ("Sample HD Audio Modem Wave Device", Value(std::string(kEnum) + kWave, "DeviceDesc"));
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

namespace
{

// xp-sp2 with a user logged on: the new-hardware wizard can come up.
class NewHardwareWizardTest : public TestMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string profile =
            DeriveProfile("xp-sp2", "new-hardware-wizard",
                          "[Program.NewHardwareWizard]\nModules=C:\\WINDOWS\\system32\\newdev.dll\n"
                          "Window=Found New Hardware Wizard|#32770\nLifetime=forever\n");
        return profile.c_str();
    }
};

TEST_F(NewHardwareWizardTest, ADeviceNobodyHasADriverForBringsUpOneWizardInRundll32WithNewdev)
{
    DEVINST root = 0;
    ASSERT_EQ(CR_SUCCESS, CM_Locate_DevNodeA(&root, nullptr, 0));
    ASSERT_EQ(nullptr, FindWindowA(nullptr, "Found New Hardware Wizard"));
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));
    HWND wizard = FindWindowA(nullptr, "Found New Hardware Wizard");
    ASSERT_NE(nullptr, wizard);
    DWORD pid = 0;
    GetWindowThreadProcessId(wizard, &pid);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
    MODULEENTRY32 module = {};
    module.dwSize = sizeof(module);
    std::vector<std::string> modules;
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module))
        modules.push_back(module.szExePath);
    CloseHandle(snapshot);
    ASSERT_FALSE(modules.empty());
    EXPECT_EQ("C:\\WINDOWS\\system32\\rundll32.exe", modules.front());
    EXPECT_NE(modules.end(), std::find(modules.begin(), modules.end(), "C:\\WINDOWS\\system32\\newdev.dll"));

    // One at a time; closing it ends its process, and the next re-enumeration brings it up again.
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));
    EXPECT_EQ((std::vector<std::string>{"C:\\WINDOWS\\system32\\rundll32.exe"}),
              file_test::Journal("device", "new-hardware-wizard"));
    SendMessageA(wizard, WM_CLOSE, 0, 0);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Found New Hardware Wizard"));
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));
    EXPECT_NE(nullptr, FindWindowA(nullptr, "Found New Hardware Wizard"));
}

TEST_F(NewHardwareWizardTest, AStartedDriverWhoseWaveFunctionNoInfServesBringsUpTheWizardUntilItsInfComes)
{
    const std::string package = ScratchFolder();
    const std::string modem = package + "\\MODEM.INF";
    file_test::WriteText(modem, DriverInf(kModemId, "06/01/2007,1.0.0.0", "AddReg=Wave_AddReg",
                                          "[Wave_AddReg]\r\nHKR,WaveDriver,WaveHardwareID,,\"TEST\\WAVE\"\r\n"));
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(nullptr, kModemId, modem.c_str(), INSTALLFLAG_FORCE, nullptr))
        << GetLastError();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(INFINITE));
    EXPECT_NE(nullptr, FindWindowA(nullptr, "Found New Hardware Wizard"));

    // Its INF published later is found at the next re-enumeration.
    const std::string wave = package + "\\WAVE.INF";
    file_test::WriteText(wave, "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=MEDIA\r\n"
                               "ClassGUID={4D36E96C-E325-11CE-BFC1-08002BE10318}\r\nProvider=Test\r\n"
                               "DriverVer=06/01/2007,1.0.0.0\r\n[Manufacturer]\r\nTest=Waves\r\n"
                               "[Waves]\r\nTest Wave=Wave_Install, TEST\\WAVE\r\n[Wave_Install]\r\n");
    ASSERT_TRUE(SetupCopyOEMInfA(wave.c_str(), nullptr, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr));
    DEVINST root = 0;
    ASSERT_EQ(CR_SUCCESS, CM_Locate_DevNodeA(&root, nullptr, 0));
    ASSERT_EQ(CR_SUCCESS, CM_Reenumerate_DevNode(root, 0));
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(INFINITE));
    // The wave function is the modem function's last child.
    DEVINST node = 0;
    ASSERT_EQ(CR_SUCCESS, CM_Locate_DevNodeA(&node, const_cast<char*>(kHdaModem), 0));
    ASSERT_EQ(CR_SUCCESS, CM_Get_Child(&node, node, 0));
    for (DEVINST next = 0; CM_Get_Sibling(&next, node, 0) == CR_SUCCESS;)
        node = next;
    char id[MAX_DEVICE_ID_LEN] = {0};
    ASSERT_EQ(CR_SUCCESS, CM_Get_Device_IDA(node, id, sizeof(id), 0));
    EXPECT_EQ(0u, std::string(id).find("TEST\\WAVE\\")) << id;
    ULONG status = 0;
    ULONG problem = 0;
    ASSERT_EQ(CR_SUCCESS, CM_Get_DevNode_Status(&status, &problem, node, 0));
    EXPECT_EQ(0u, problem);
}

} // namespace

namespace
{

// Two root devices whose installs the profile scripts: one asks for a restart, one fails to start.
class ScriptedInstallTest : public TestMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string profile =
            DeriveProfile("xp-sp2", "scripted-installs",
                          "[Device.98]\nInstanceId=ROOT\\RESTARTER\\0000\nHardwareIDs=ROOT\\RESTARTER\n"
                          "Description=Restarter\nNeedsReboot=1\n"
                          "[Device.99]\nInstanceId=ROOT\\FAILER\\0000\nHardwareIDs=ROOT\\FAILER\n"
                          "Description=Failer\nInstallFails=1\n");
        return profile.c_str();
    }
};

TEST_F(ScriptedInstallTest, ADeviceCanAskForARestartOrFailToStart)
{
    const std::string inf = ScratchFolder() + "\\SCRIPTED.INF";
    file_test::WriteText(
        inf, "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
             "ClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Test\r\n"
             "DriverVer=02/03/2007,2.0.0.0\r\n[Manufacturer]\r\nTest=Models\r\n[Models]\r\nRestarter=Any_Install, "
             "ROOT\\RESTARTER\r\n"
             "Failer=Any_Install, ROOT\\FAILER\r\n[Any_Install]\r\n");
    BOOL reboot = FALSE;
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(nullptr, "ROOT\\RESTARTER", inf.c_str(), 0, &reboot));
    EXPECT_TRUE(reboot);
    EXPECT_TRUE(Started("ROOT\\RESTARTER\\0000"));

    // The failing device gets its driver key but does not start.
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(nullptr, "ROOT\\FAILER", inf.c_str(), 0, &reboot));
    EXPECT_FALSE(reboot);
    const NodeStatus failer = StatusOf("ROOT\\FAILER\\0000");
    EXPECT_EQ(CR_SUCCESS, failer.result);
    EXPECT_EQ(CM_PROB_FAILED_START, failer.problem);
    char driver[MAX_PATH] = {0};
    DWORD size = sizeof(driver);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "ROOT\\FAILER\\0000").c_str(), 0,
                                           KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Driver", nullptr, nullptr, reinterpret_cast<BYTE*>(driver), &size));
    RegCloseKey(key);
    EXPECT_TRUE(KeyExists(std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + driver)) << driver;

    // Without INSTALLFLAG_FORCE a device keeps a driver as new as the one offered.
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(nullptr, "ROOT\\RESTARTER", inf.c_str(), 0, &reboot));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_TRUE(
        UpdateDriverForPlugAndPlayDevicesA(nullptr, "ROOT\\RESTARTER", inf.c_str(), INSTALLFLAG_FORCE, &reboot));
}

} // namespace
