// What a device's keys say: registry properties with their size protocol, the instance ID, and the device
// and driver keys SetupDiOpenDevRegKey opens, with the access lists of a real machine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "TestMachine.h"
#include "winsim/winsim.h"

using namespace device_test;

namespace
{

class DevicePropertyTest : public TestMachine
{
};

std::vector<std::string> SplitMultiSz(const std::vector<char>& data)
{
    std::vector<std::string> items;
    for (size_t at = 0; at < data.size() && data[at];)
    {
        items.emplace_back(&data[at]);
        at += items.back().size() + 1;
    }
    return items;
}

TEST_F(DevicePropertyTest, SizeQueryThenRead)
{
    OneDevice modem(kSoftModem);
    DWORD type = 0;
    DWORD required = 0;
    EXPECT_FALSE(
        SetupDiGetDeviceRegistryPropertyA(modem.set, &modem.data, SPDRP_HARDWAREID, &type, nullptr, 0, &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    const std::vector<std::string> expected = {"PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01",
                                               "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1",
                                               "PCI\\VEN_F0E1&DEV_2F20&CC_078000", "PCI\\VEN_F0E1&DEV_2F20&CC_0780"};
    size_t bytes = 1;
    for (const std::string& id : expected)
        bytes += id.size() + 1;
    EXPECT_EQ(bytes, required);

    std::vector<char> buffer(required);
    DWORD again = 0;
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(modem.set, &modem.data, SPDRP_HARDWAREID, nullptr,
                                                   reinterpret_cast<BYTE*>(buffer.data()), required - 1, &again));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(required, again);
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(modem.set, &modem.data, SPDRP_HARDWAREID, nullptr,
                                                  reinterpret_cast<BYTE*>(buffer.data()), required, nullptr));
    EXPECT_EQ(expected, SplitMultiSz(buffer));

    DWORD flags = 0;
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(modem.set, &modem.data, SPDRP_CONFIGFLAGS, &type,
                                                  reinterpret_cast<BYTE*>(&flags), sizeof(flags), nullptr));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(0x40u, flags) << "CONFIGFLAG_FAILEDINSTALL: the device has no driver";
    EXPECT_EQ("PCI Simple Communications Controller", modem.Text(SPDRP_DEVICEDESC));
    EXPECT_EQ("PCI", modem.Text(SPDRP_ENUMERATOR_NAME));
}

TEST_F(DevicePropertyTest, WhatADeviceLacksIsInvalidData)
{
    OneDevice modem(kSoftModem);
    const std::string invalidData = "<error " + std::to_string(ERROR_INVALID_DATA) + ">";
    for (DWORD property : {SPDRP_DRIVER, SPDRP_CLASS, SPDRP_CLASSGUID, SPDRP_SERVICE, SPDRP_MFG, SPDRP_FRIENDLYNAME})
        EXPECT_EQ(invalidData, modem.Text(property)) << property;

    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(modem.set, &modem.data, SPDRP_MAXIMUM_PROPERTY, nullptr, nullptr, 0,
                                                   &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_REG_PROPERTY), GetLastError());
    EXPECT_FALSE(
        SetupDiGetDeviceRegistryPropertyA(modem.set, &modem.data, SPDRP_HARDWAREID, nullptr, nullptr, 64, &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
}

TEST_F(DevicePropertyTest, AnInstalledDriverShowsInTheProperties)
{
    OneDevice codec(kCodec);
    EXPECT_EQ("{4D36E96C-E325-11CE-BFC1-08002BE10318}\\0000", codec.Text(SPDRP_DRIVER));
    EXPECT_EQ("MEDIA", codec.Text(SPDRP_CLASS));
    EXPECT_EQ("{4D36E96C-E325-11CE-BFC1-08002BE10318}", codec.Text(SPDRP_CLASSGUID));
    EXPECT_EQ("hdaudsmp", codec.Text(SPDRP_SERVICE));
    EXPECT_EQ("Sample Modems", codec.Text(SPDRP_MFG));
    EXPECT_EQ("Sample HD Audio Codec", codec.Text(SPDRP_DEVICEDESC));
    // The service key the profile's driver needs is there.
    EXPECT_TRUE(KeyExists("SYSTEM\\CurrentControlSet\\Services\\hdaudsmp"));
}

TEST_F(DevicePropertyTest, InstanceIdSizeProtocol)
{
    OneDevice modem(kSoftModem);
    const DWORD length = static_cast<DWORD>(std::string(kSoftModem).size() + 1);
    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(modem.set, &modem.data, nullptr, 0, &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(length, required);
    std::vector<char> id(length);
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(modem.set, &modem.data, id.data(), length - 1, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    ASSERT_TRUE(SetupDiGetDeviceInstanceIdA(modem.set, &modem.data, id.data(), length, &required));
    EXPECT_STREQ(kSoftModem, id.data());

    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(modem.set, &modem.data, nullptr, 10, &required));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());
    SP_DEVINFO_DATA wrongSize = modem.data;
    wrongSize.cbSize = 0;
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(modem.set, &wrongSize, id.data(), length, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    // Data from another set names no device of this one.
    OneDevice codec(kCodec);
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(modem.set, &codec.data, id.data(), length, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(nullptr, &modem.data, id.data(), length, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(DevicePropertyTest, DevRegKeysOpenWhatExists)
{
    const HKEY invalid = reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    OneDevice codec(kCodec);
    HKEY driver = SetupDiOpenDevRegKey(codec.set, &codec.data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    ASSERT_NE(invalid, driver) << GetLastError();
    char text[64] = {};
    DWORD size = sizeof(text);
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(driver, "DriverVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size));
    EXPECT_STREQ("5.10.0.12", text);
    RegCloseKey(driver);

    OneDevice modem(kSoftModem);
    EXPECT_EQ(invalid, SetupDiOpenDevRegKey(modem.set, &modem.data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    EXPECT_EQ(static_cast<DWORD>(ERROR_KEY_DOES_NOT_EXIST), GetLastError());
    EXPECT_EQ(invalid, SetupDiOpenDevRegKey(modem.set, &modem.data, DICS_FLAG_CONFIGSPECIFIC, 0, DIREG_DEV, KEY_READ));
    EXPECT_EQ(static_cast<DWORD>(ERROR_KEY_DOES_NOT_EXIST), GetLastError());
    EXPECT_EQ(invalid, SetupDiOpenDevRegKey(modem.set, &modem.data, 0, 0, DIREG_DEV, KEY_READ));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    EXPECT_EQ(invalid, SetupDiOpenDevRegKey(modem.set, &modem.data, DICS_FLAG_GLOBAL, 0, DIREG_BOTH, KEY_READ));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    EXPECT_EQ(invalid, SetupDiOpenDevRegKey(modem.set, nullptr, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // Device Parameters is the administrators' to write.
    HKEY parameters = SetupDiOpenDevRegKey(modem.set, &modem.data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_ALL_ACCESS);
    ASSERT_NE(invalid, parameters) << GetLastError();
    const DWORD one = 1;
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(parameters, "Setting", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one)));
    RegCloseKey(parameters);
}

TEST_F(DevicePropertyTest, DeviceKeysRefuseAdministratorsWrites)
{
    const std::string path = std::string(kEnum) + kSoftModem;
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key));
    RegCloseKey(key);
    // The same holds for the keys of a device found later.
    ASSERT_TRUE(winsim::SetDevicePlugged(kUsbModem, true));
    const std::string usb = std::string(kEnum) + kUsbModem;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, usb.c_str(), 0, KEY_SET_VALUE, &key));
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, (usb + "\\Device Parameters").c_str(), 0, KEY_SET_VALUE, &key));
    RegCloseKey(key);
}

} // namespace
