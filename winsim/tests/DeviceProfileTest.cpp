// Devices as profiles describe them: malformed [Device.N] sections, the Windows 9x layout of the tree in the
// registry, and the tree as `winsim devices` prints it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "TestMachine.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceReport.h"
#include "devices/DeviceTree.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

using namespace device_test;

namespace
{

TEST(DeviceProfile, MalformedSectionsNameTheFileAndLine)
{
    struct Case
    {
        const char* section;
        const char* message;
    };
    const Case cases[] = {
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT\\X\nColour=red\n", "unknown name 'Colour'"},
        {"InstanceId=NOT-AN-ID\n", "is not an instance ID"},
        {"InstanceId=ROOT\\X\\0\n", "has no HardwareIDs"},
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT\\X\nExposed=1\n", "Exposed=1 needs the Parent"},
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT\\X\nPlugAt=1000\n", "give Present=0"},
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT\\X\nParent=ROOT\\NONE\\0\n", "no device ROOT\\NONE\\0"},
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT\\X\nDriverVersion=1.0\n", "need DriverDesc"},
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT\\X\nDriverDesc=X\n", "needs Class and ClassGUID"},
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT X\n", "is not a device ID"},
        {"InstanceId=ROOT\\X\\0\nHardwareIDs=ROOT\\X\n[Device.two]\n", "device sections are numbered"},
        {"InstanceId=pci\\ven_f0e1&dev_2f20&subsys_200ff0e1&rev_01\\4&1a2b3c4d&0&58f0\nHardwareIDs=PCI\\X\n",
         "a second device"},
    };
    int n = 0;
    for (const Case& item : cases)
    {
        SCOPED_TRACE(item.section);
        const std::string profile = TestMachine::DeriveProfile("xp-sp2", "bad-device-" + std::to_string(++n),
                                                               std::string("[Device.99]\n") + item.section);
        std::string ini;
        ASSERT_TRUE(winsim::HostReadFile(profile + "/machine.ini", ini));
        const std::string machine = profile + "-machine";
        std::string error;
        EXPECT_FALSE(winsim::CreateMachine(profile, machine, error));
        EXPECT_NE(std::string::npos, error.find("machine.ini:")) << error;
        EXPECT_NE(std::string::npos, error.find(item.message)) << error;
        EXPECT_FALSE(winsim::HostExists(machine));
    }
}

class Device9xTest : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
    static constexpr const char* kModem = "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01\\BUS_00&DEV_0A&FUNC_00";
};

TEST_F(Device9xTest, EnumSitsWhereWindows9xKeepsItWithCommaLists)
{
    const std::string path = std::string("Enum\\") + kModem;
    ASSERT_TRUE(KeyExists(path));
    EXPECT_FALSE(KeyExists(std::string(kEnum) + kModem));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key));
    char text[512] = {};
    DWORD size = sizeof(text);
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "HardwareID", nullptr, &type, reinterpret_cast<BYTE*>(text), &size));
    RegCloseKey(key);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    const std::string list = "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01,PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1,"
                             "PCI\\VEN_F0E1&DEV_2F20&CC_078000,PCI\\VEN_F0E1&DEV_2F20&CC_0780";
    EXPECT_EQ(list, text);

    OneDevice modem(kModem);
    EXPECT_EQ(list, modem.Text(SPDRP_HARDWAREID));
    EXPECT_EQ("Unknown", modem.Text(SPDRP_CLASS)) << "Windows 9x files it under Other devices";
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf(kModem).problem);
    // The device's own key stands for `Device Parameters`.
    HKEY device = SetupDiOpenDevRegKey(modem.set, &modem.data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    ASSERT_NE(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), device);
    size = sizeof(text);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(device, "DeviceDesc", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size));
    RegCloseKey(device);
}

TEST_F(Device9xTest, DriverKeysGoUnderTheClassName)
{
    winsim::Runtime& rt = *winsim::Runtime::Current();
    winsim::Transaction txn(rt.GetMachine().GetStore());
    winsim::DeviceTree tree(rt);
    winsim::DriverValues driver;
    driver.className = "Modem";
    driver.classGuid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
    driver.description = "Sample PCI Modem";
    driver.service = "mdm9x";
    std::string name;
    ASSERT_TRUE(tree.InstallDriver(kModem, driver, &name));
    ASSERT_TRUE(txn.Commit());
    EXPECT_EQ("Modem\\0000", name);
    EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class\\Modem\\0000"));
    EXPECT_FALSE(KeyExists("System\\CurrentControlSet\\Services\\mdm9x")) << "Windows 9x has no NT services";
    EXPECT_TRUE(Started(kModem));
}

class DeviceReportTest : public TestMachine
{
protected:
    std::string Report()
    {
        winsim::Runtime& rt = *winsim::Runtime::Current();
        winsim::Transaction txn(rt.GetMachine().GetStore());
        winsim::DeviceTree tree(rt);
        tree.Settle();
        return winsim::DeviceReport::Text(tree, rt.Identity().timeZoneBiasMinutes);
    }

    // The lines of one device's block: the device line and its property lines, four blanks further in.
    static std::vector<std::string> Block(const std::string& report, const std::string& instance)
    {
        std::vector<std::string> lines;
        const size_t found = report.find(instance + "\n");
        if (found == std::string::npos)
            return lines;
        size_t at = report.rfind('\n', found) + 1;
        const size_t indent = found - at;
        for (size_t end; at < report.size(); at = end + 1)
        {
            end = report.find('\n', at);
            const std::string line = report.substr(at, end - at);
            if (!lines.empty() && line.find_first_not_of(' ') != indent + 4)
                break;
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(DeviceReportTest, TreeShowsEachDeviceUnderItsParentWithItsState)
{
    const std::string report = Report();
    EXPECT_EQ(0u, report.find("HTREE\\ROOT\\0\n  PCI\\VEN_F0E2&DEV_0A10"));
    const std::vector<std::string> modem = {
        "  " + std::string(kSoftModem),
        "      hardware ids:   PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01, PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1, "
        "PCI\\VEN_F0E1&DEV_2F20&CC_078000, PCI\\VEN_F0E1&DEV_2F20&CC_0780",
        "      compatible ids: PCI\\VEN_F0E1&DEV_2F20&REV_01, PCI\\VEN_F0E1&DEV_2F20, PCI\\VEN_F0E1&CC_078000, "
        "PCI\\VEN_F0E1, PCI\\CC_0780",
        "      description:    PCI Simple Communications Controller",
        "      class:          -",
        "      driver:         -",
        "      status:         problem 28 (no driver)",
    };
    EXPECT_EQ(modem, Block(report, kSoftModem));
    const std::vector<std::string> codec = Block(report, kCodec);
    ASSERT_EQ(7u, codec.size());
    EXPECT_EQ("    " + std::string(kCodec), codec[0]) << "the codec sits under the controller";
    EXPECT_EQ("        class:          MEDIA {4D36E96C-E325-11CE-BFC1-08002BE10318}", codec[4]);
    EXPECT_EQ("        driver:         {4D36E96C-E325-11CE-BFC1-08002BE10318}\\0000", codec[5]);
    EXPECT_EQ("        status:         started", codec[6]);
    EXPECT_EQ("          status:         absent (unplugged)", Block(report, kUsbModem).back());
    EXPECT_EQ("          status:         absent (parent's driver not running)", Block(report, kWave).back());

    OneDevice controller(kController);
    ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, controller.set, &controller.data));
    const std::string after = Report();
    EXPECT_EQ("      status:         absent (removed)", Block(after, kController).back());
    EXPECT_EQ("        status:         absent (parent absent)", Block(after, kCodec).back());
}

} // namespace
