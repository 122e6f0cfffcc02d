// Device information sets: which devices a set lists and in what order, the class and enumerator filters,
// sets made one device at a time, and the setup classes by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "TestMachine.h"
#include "winsim/winsim.h"

using namespace device_test;

namespace
{

using Ids = std::vector<std::string>;

class DeviceSetTest : public TestMachine
{
};

TEST_F(DeviceSetTest, AllClassesListTheDevicesTheMachineKnowsInProfileOrder)
{
    // The modem functions' children have never been enumerated and the USB modem was never plugged in: the
    // machine has no keys for them.
    const Ids known = {kController, kHdaModem, kCodec, kSoftModem, kUsbController, kRootHub};
    EXPECT_EQ(known, ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES));
    EXPECT_EQ(known, ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
}

TEST_F(DeviceSetTest, PresentLeavesOutDevicesThatWentAway)
{
    ASSERT_TRUE(winsim::SetDevicePlugged(kUsbModem, true));
    const Ids withModem = {kController, kHdaModem, kCodec, kSoftModem, kUsbController, kRootHub, kUsbModem};
    EXPECT_EQ(withModem, ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));

    ASSERT_TRUE(winsim::SetDevicePlugged(kUsbModem, false));
    EXPECT_EQ(withModem, ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES));
    const Ids present = {kController, kHdaModem, kCodec, kSoftModem, kUsbController, kRootHub};
    EXPECT_EQ(present, ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
}

TEST_F(DeviceSetTest, ClassFilterGoesByTheClassGuidOfTheDevicesKey)
{
    HDEVINFO set = SetupDiGetClassDevsA(&kMediaClass, nullptr, nullptr, DIGCF_PRESENT);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    EXPECT_EQ(Ids{kCodec}, InstanceIds(set));
    SP_DEVINFO_DATA data = {sizeof(data)};
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &data));
    EXPECT_TRUE(SameGuid(kMediaClass, data.ClassGuid));
    EXPECT_NE(0u, data.DevInst);
    SP_DEVINFO_LIST_DETAIL_DATA_A detail = {};
    detail.cbSize = sizeof(detail);
    ASSERT_TRUE(SetupDiGetDeviceInfoListDetailA(set, &detail));
    EXPECT_TRUE(SameGuid(kMediaClass, detail.ClassGuid));
    EXPECT_EQ(nullptr, detail.RemoteMachineHandle);
    EXPECT_STREQ("", detail.RemoteMachineName);
    SetupDiDestroyDeviceInfoList(set);

    // Neither modem has a driver, so neither has a class yet.
    EXPECT_EQ(Ids{}, ListDevices(&kModemClass, nullptr, 0));

    // All classes: the list has no class, and a driverless device's class is GUID_NULL.
    set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    ASSERT_TRUE(SetupDiGetDeviceInfoListDetailA(set, &detail));
    EXPECT_TRUE(SameGuid(kNullGuid, detail.ClassGuid));
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 3, &data));
    EXPECT_TRUE(SameGuid(kNullGuid, data.ClassGuid));
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(DeviceSetTest, EnumeratorFilterTakesABusOrADeviceId)
{
    EXPECT_EQ((Ids{kHdaModem, kCodec}), ListDevices(nullptr, "HDAUDIO", DIGCF_ALLCLASSES));
    EXPECT_EQ((Ids{kHdaModem, kCodec}), ListDevices(nullptr, "hdaudio", DIGCF_ALLCLASSES));
    EXPECT_EQ((Ids{kCodec}), ListDevices(&kMediaClass, "HDAUDIO", 0));
    EXPECT_EQ(Ids{kSoftModem}, ListDevices(nullptr, "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01", DIGCF_ALLCLASSES));

    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, SetupDiGetClassDevsA(nullptr, "NOSUCHBUS", nullptr, DIGCF_ALLCLASSES));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
}

TEST_F(DeviceSetTest, ArgumentsAreCheckedAsSetupApiChecksThem)
{
    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA data = {};
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());
    data.cbSize = sizeof(data);
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 6, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    SP_DEVINFO_LIST_DETAIL_DATA_A detail = {};
    EXPECT_FALSE(SetupDiGetDeviceInfoListDetailA(set, &detail));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());

    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(INVALID_HANDLE_VALUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(DeviceSetTest, InterfaceSetsAreEmpty)
{
    EXPECT_EQ(Ids{}, ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_DEVICEINTERFACE));
}

TEST_F(DeviceSetTest, OpenDeviceInfoAddsOneDeviceOnce)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA data = {sizeof(data)};
    const std::string lower = "pci\\ven_f0e1&dev_2f20&subsys_200ff0e1&rev_01\\4&1a2b3c4d&0&58f0";
    ASSERT_TRUE(SetupDiOpenDeviceInfoA(set, lower.c_str(), nullptr, 0, &data)) << GetLastError();
    ASSERT_TRUE(SetupDiOpenDeviceInfoA(set, kSoftModem, nullptr, 0, nullptr));
    EXPECT_EQ(Ids{kSoftModem}, InstanceIds(set));

    EXPECT_FALSE(SetupDiOpenDeviceInfoA(set, kWave, nullptr, 0, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), GetLastError());
    EXPECT_FALSE(SetupDiOpenDeviceInfoA(set, kCodec, nullptr, 0x100, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    SetupDiDestroyDeviceInfoList(set);

    // A set made for a class takes devices of that class only.
    set = SetupDiCreateDeviceInfoList(&kModemClass, nullptr);
    EXPECT_FALSE(SetupDiOpenDeviceInfoA(set, kCodec, nullptr, 0, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_MISMATCH), GetLastError());
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(DeviceSetTest, ClassGuidsFromNameReportsTheCountItNeeds)
{
    GUID guids[2] = {};
    DWORD required = 0;
    EXPECT_FALSE(SetupDiClassGuidsFromNameA("modem", nullptr, 0, &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(1u, required);
    ASSERT_TRUE(SetupDiClassGuidsFromNameA("Modem", guids, 2, &required));
    EXPECT_EQ(1u, required);
    EXPECT_TRUE(SameGuid(kModemClass, guids[0]));

    required = 7;
    EXPECT_TRUE(SetupDiClassGuidsFromNameA("NoSuchClass", guids, 2, &required));
    EXPECT_EQ(0u, required);
    EXPECT_FALSE(SetupDiClassGuidsFromNameA(nullptr, guids, 2, &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

} // namespace
