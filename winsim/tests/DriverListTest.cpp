// A setup program installs the driver of a root device it creates, as on Windows: install parameters
// naming one INF, the class driver list and its entries, the selected driver, registration and
// DIF_INSTALLDEVICE; then the driver key deleted, and the restart prompt with the machine's answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "FileTestSupport.h"
#include "TestMachine.h"
#include "profile/HostFiles.h"
#include "windows.h"
#include "cfgmgr32.h"
#include "setupapi.h"
#include "winsim/winsim.h"

using namespace device_test;

namespace
{

constexpr GUID kSystemClass = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

class DriverListTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        std::string text;
        ASSERT_TRUE(winsim::HostReadFile(std::string(DRVSETUP_SOURCE_DIR) + "/samples/package/SYSSAMPL.INF", text));
        file_test::WriteText(Inf(), text);
        file_test::WriteText(ScratchFolder() + "\\f0e1sys.sys", "driver");
    }
    std::string Inf() const { return ScratchFolder() + "\\SYSSAMPL.INF"; }
};

TEST_F(DriverListTest, ARootDeviceGetsTheDriverItsProgramSelectsFromOneInf)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA device = {sizeof(device)};
    ASSERT_TRUE(SetupDiCreateDeviceInfoA(set, "F0E1SYS", &kSystemClass, "Sample Modems System Services", nullptr,
                                         DICD_GENERATE_ID, &device))
        << GetLastError();

    SP_DEVINSTALL_PARAMS_A params = {};
    params.cbSize = sizeof(params);
    ASSERT_TRUE(SetupDiGetDeviceInstallParamsA(set, &device, &params));
    EXPECT_EQ(0u, params.Flags);
    params.Flags = DI_ENUMSINGLEINF;
    std::strcpy(params.DriverPath, Inf().c_str());
    ASSERT_TRUE(SetupDiSetDeviceInstallParamsA(set, &device, &params));
    params.cbSize = 12;
    EXPECT_FALSE(SetupDiSetDeviceInstallParamsA(set, &device, &params));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());

    ASSERT_TRUE(SetupDiBuildDriverInfoList(set, &device, SPDIT_CLASSDRIVER)) << GetLastError();
    SP_DRVINFO_DATA_A driver = {};
    driver.cbSize = sizeof(driver);
    ASSERT_TRUE(SetupDiEnumDriverInfoA(set, &device, SPDIT_CLASSDRIVER, 0, &driver)) << GetLastError();
    EXPECT_STREQ("Sample Modems System Services", driver.Description);
    EXPECT_STREQ("Sample Modems", driver.MfgName);
    EXPECT_STREQ("Sample Modems", driver.ProviderName);
    EXPECT_EQ((1ull << 48) | (4ull << 32) | 2ull, driver.DriverVersion);
    SYSTEMTIME date = {};
    ASSERT_TRUE(FileTimeToSystemTime(&driver.DriverDate, &date));
    EXPECT_EQ(2007, date.wYear);
    EXPECT_EQ(6, date.wMonth);
    EXPECT_EQ(1, date.wDay);
    SP_DRVINFO_DATA_A more = {};
    more.cbSize = sizeof(more);
    EXPECT_FALSE(SetupDiEnumDriverInfoA(set, &device, SPDIT_CLASSDRIVER, 1, &more));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());

    // Installing before a driver is selected, or before the device is registered, fails.
    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_INSTALLDEVICE, set, &device));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_DRIVER_SELECTED), GetLastError());
    ASSERT_TRUE(SetupDiSetSelectedDevice(set, &device));
    ASSERT_TRUE(SetupDiSetSelectedDriverA(set, &device, &driver)) << GetLastError();
    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_INSTALLDEVICE, set, &device));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVINFO_NOT_REGISTERED), GetLastError());
    ASSERT_TRUE(SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr));
    ASSERT_TRUE(SetupDiCallClassInstaller(DIF_INSTALLDEVICE, set, &device)) << GetLastError();

    EXPECT_TRUE(Started("ROOT\\F0E1SYS\\0000"));
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, key);
    char value[MAX_PATH] = {0};
    DWORD size = sizeof(value);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "ChildID", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size));
    EXPECT_STREQ("F0E1SYS\\PORT", value);
    RegCloseKey(key);
    EXPECT_TRUE(KeyExists("SYSTEM\\CurrentControlSet\\Services\\f0e1sys"));

    // The driver key goes; asked again, there is none.
    ASSERT_TRUE(SetupDiDeleteDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV)) << GetLastError();
    EXPECT_EQ(INVALID_HANDLE_VALUE, SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    EXPECT_FALSE(SetupDiDeleteDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV));
    EXPECT_EQ(static_cast<DWORD>(ERROR_KEY_DOES_NOT_EXIST), GetLastError());
    EXPECT_TRUE(SetupDiDestroyDriverInfoList(set, &device, SPDIT_CLASSDRIVER));
    EXPECT_FALSE(SetupDiEnumDriverInfoA(set, &device, SPDIT_CLASSDRIVER, 0, &more));
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(DriverListTest, TheRestartPromptTakesTheScriptedAnswer)
{
    // Without a file queue there is nothing to scan: Windows refuses the call.
    EXPECT_EQ(-1, SetupPromptReboot(nullptr, nullptr, TRUE));
    std::string error;
    ASSERT_TRUE(winsim::SetMessageBoxAnswers({"System Settings Change=IDNO,IDYES"}, error)) << error;
    EXPECT_EQ(SPFILEQ_REBOOT_RECOMMENDED, SetupPromptReboot(nullptr, nullptr, FALSE));
    EXPECT_EQ(SPFILEQ_REBOOT_RECOMMENDED | SPFILEQ_REBOOT_IN_PROGRESS, SetupPromptReboot(nullptr, nullptr, FALSE));
    // Only the accepted restart is left for the machine to carry out.
    EXPECT_EQ((std::vector<std::string>{"SetupPromptReboot"}), file_test::Journal("machine", "restart-accepted"));
}

} // namespace
