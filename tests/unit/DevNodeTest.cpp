// Device nodes on winsim machines: finding a present device by a piece of its hardware ID, its properties
// and keys, enable, disable and removal, the Windows 9x form of hardware IDs, and a node that found nothing.
#include <gtest/gtest.h>

#include <string>

#include "TestMachine.h"
#include "app/CTraceLog.h"
#include "install/CDevNode.h"
#include "install/KDeviceApi.h"

namespace
{

// The xp-sp2 profile's devices (see profiles/xp-sp2/machine.ini).
const char* kHdaModemInstance = "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001&REV_1001\\4&1C3B2A0E&0&0102";
const char* kPciModemInstance = "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01\\4&1A2B3C4D&0&58F0";
const char* kCodecID = "HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045";
const char* kPciModemID = "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01";

std::string InstanceOf(CDevNode& node)
{
    char szInstance[MAX_PATH] = {0};
    return node.GetDeviceInstanceId(szInstance) ? szInstance : "(none)";
}

class DevNodeTest : public TestMachine
{
protected:
    void TearDown() override
    {
        DeleteDeviceApi();
        TestMachine::TearDown();
    }
};

TEST_F(DevNodeTest, APieceOfAHardwareIDFindsTheFirstPresentDevice)
{
    // Both the HD Audio modem and the PCI modem carry VEN_F0E1&DEV_2F20; the HD Audio one enumerates first.
    CDevNode shared("ven_f0e1&dev_2f20", FALSE);
    EXPECT_TRUE(shared.IsBound());
    EXPECT_EQ(kHdaModemInstance, InstanceOf(shared));

    CDevNode pci("PCI\\VEN_F0E1&DEV_2F20", FALSE);
    EXPECT_EQ(kPciModemInstance, InstanceOf(pci));

    // Compatible IDs do not count; a device that is not plugged in is not present.
    for (const char* pszID : {"PCI\\VEN_F0E1&DEV_2F20&REV_01", "PCI\\CC_0780", "USB\\VID_F0E1&PID_3A01"})
    {
        CDevNode none(pszID, FALSE);
        EXPECT_FALSE(none.IsBound()) << pszID;
    }

    // Verification is always satisfied on Windows NT.
    CDevNode verified("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", TRUE);
    EXPECT_EQ(kPciModemInstance, InstanceOf(verified));

    CStringList ids;
    ASSERT_EQ(4u, verified.GetHardwareIDs(ids));
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01", ids[0]);
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20&CC_0780", ids[3]);
}

TEST_F(DevNodeTest, PropertiesAndKeysOfADeviceWithADriver)
{
    CDevNode codec(kCodecID, FALSE);
    ASSERT_TRUE(codec.IsBound());
    EXPECT_TRUE(codec.HasDriverKey());
    char szClass[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szClass);
    ASSERT_TRUE(codec.GetDeviceRegistryProperty(SPDRP_CLASS, reinterpret_cast<BYTE*>(szClass), &dwSize));
    EXPECT_STREQ("MEDIA", szClass);

    char szDesc[MAX_PATH] = {0};
    dwSize = sizeof(szDesc);
    EXPECT_EQ(sizeof("Sample HD Audio Codec"),
              codec.ReadDriverKeyValue("DriverDesc", reinterpret_cast<BYTE*>(szDesc), &dwSize));
    EXPECT_STREQ("Sample HD Audio Codec", szDesc);
    dwSize = sizeof(szDesc);
    EXPECT_EQ(0u, codec.ReadDriverKeyValue("NoSuchValue", reinterpret_cast<BYTE*>(szDesc), &dwSize));
    EXPECT_EQ(0u, dwSize);

    // Writing through the driver key, then a subkey of it.
    const char kValue[] = "written";
    ASSERT_TRUE(codec.WriteDriverKeyValue("Setting", REG_SZ, reinterpret_cast<const BYTE*>(kValue), sizeof(kValue)));
    HKEY hKey = codec.RegOpenClassDeviceKey();
    ASSERT_NE(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), hKey);
    HKEY hSub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hKey, "Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hSub, nullptr));
    RegCloseKey(hSub);
    codec.CloseClassDeviceKey();
    ASSERT_TRUE(codec.WriteDriverSubKeyValue("Settings", "Inner", REG_SZ, reinterpret_cast<const BYTE*>(kValue),
                                             sizeof(kValue)));
    char szRead[32] = {0};
    dwSize = sizeof(szRead);
    EXPECT_EQ(sizeof(kValue),
              codec.ReadDriverSubKeyValue("Settings", "Inner", reinterpret_cast<BYTE*>(szRead), &dwSize));
    EXPECT_STREQ(kValue, szRead);
    dwSize = sizeof(szRead);
    EXPECT_EQ(0u, codec.ReadDriverSubKeyValue("Missing", "Inner", reinterpret_cast<BYTE*>(szRead), &dwSize));

    // A driverless device has neither driver key nor class.
    CDevNode modem(kPciModemID, FALSE);
    ASSERT_TRUE(modem.IsBound());
    EXPECT_FALSE(modem.HasDriverKey());
    EXPECT_EQ(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), modem.RegOpenClassDeviceKey());
    dwSize = sizeof(szDesc);
    EXPECT_EQ(0u, modem.ReadDriverKeyValue("DriverDesc", reinterpret_cast<BYTE*>(szDesc), &dwSize));
}

TEST_F(DevNodeTest, DisableEnableAndRemove)
{
    CDevNode codec(kCodecID, FALSE);
    ASSERT_TRUE(codec.IsBound());
    EXPECT_TRUE(codec.CheckDeviceState(TRUE));
    ASSERT_TRUE(codec.ChangeState(FALSE));
    Sleep(2000); // the device stops within a short while
    EXPECT_TRUE(codec.CheckDeviceState(FALSE));
    EXPECT_FALSE(codec.CheckDeviceState(TRUE));
    ASSERT_TRUE(codec.ChangeState(TRUE));
    Sleep(2000);
    EXPECT_TRUE(codec.CheckDeviceState(TRUE));

    // A driverless device runs with a problem: it counts as not enabled.
    CDevNode modem(kPciModemID, FALSE);
    EXPECT_TRUE(modem.CheckDeviceState(FALSE));

    ASSERT_TRUE(modem.RemoveDevice());
    CDevNode gone(kPciModemID, FALSE);
    EXPECT_FALSE(gone.IsBound());
}

TEST_F(DevNodeTest, AnUnboundNodeAnswersWithFailureAtOnce)
{
    CDevNode none("NO\\SUCH_DEVICE", FALSE);
    ASSERT_FALSE(none.IsBound());
    EXPECT_TRUE(none.CheckDeviceState(FALSE));
    EXPECT_FALSE(none.CheckDeviceState(TRUE));
    EXPECT_FALSE(none.ChangeState(TRUE));
    EXPECT_FALSE(none.RemoveDevice());
    EXPECT_FALSE(none.HasDriverKey());
    EXPECT_EQ("(none)", InstanceOf(none));
    CStringList ids;
    EXPECT_EQ(0u, none.GetHardwareIDs(ids));
    BYTE buffer[16];
    DWORD dwSize = sizeof(buffer);
    EXPECT_EQ(0u, none.ReadDriverKeyValue("DriverDesc", buffer, &dwSize));
    EXPECT_EQ(0u, dwSize);
    EXPECT_EQ(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), none.RegOpenClassDeviceKey());

    // A node made empty and searched directly releases its set too (the sanitizer build reports leaks).
    CDevNode direct;
    EXPECT_TRUE(direct.FindDevNode(kCodecID, FALSE));
    EXPECT_TRUE(direct.HasDriverKey());
    EXPECT_TRUE(direct.FindDevNode(kPciModemID, FALSE));
    EXPECT_EQ(kPciModemInstance, InstanceOf(direct));
    // A search that finds nothing leaves no device behind: the node does not answer for the last one seen.
    EXPECT_FALSE(direct.FindDevNode("NO\\SUCH_DEVICE", FALSE));
    EXPECT_FALSE(direct.IsBound());
    EXPECT_EQ("(none)", InstanceOf(direct));
}

// A machine without SETUPAPI: the wrappers answer 0 and -1, and the node stays unbound without looping.
class DevNodeWithoutSetupApiTest : public DevNodeTest
{
protected:
    const char* Profile() const override
    {
        static std::string profile = DeriveProfile("xp-sp2", "no-setupapi", "[Modules]\nSETUPAPI.DLL=absent\n");
        return profile.c_str();
    }
};

TEST_F(DevNodeWithoutSetupApiTest, TheNodeStaysUnbound)
{
    KDeviceApi* pApi = GetDeviceApi();
    ASSERT_NE(nullptr, pApi);
    EXPECT_EQ(nullptr, pApi->KSetupDiGetClassDevs(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    EXPECT_EQ(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE),
              pApi->KSetupDiOpenDevRegKey(nullptr, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    CDevNode node(kCodecID, TRUE);
    EXPECT_FALSE(node.IsBound());
    EXPECT_TRUE(node.CheckDeviceState(FALSE));
}

// Windows 98: hardware IDs are one comma-separated text, and verification asks for a child of the device.
class DevNodeWin9xTest : public DevNodeTest
{
protected:
    const char* Profile() const override { return "win98se"; }
};

TEST_F(DevNodeWin9xTest, CommaSeparatedIDsAndTheEnumeratorCheck)
{
    CDevNode found("VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", FALSE);
    ASSERT_TRUE(found.IsBound());
    CStringList ids;
    ASSERT_EQ(4u, found.GetHardwareIDs(ids));
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01", ids[0]);
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20&CC_0780", ids[3]);

    // The driverless modem's class reads UNKNOWN on Windows 98: it counts as enumerated.
    CDevNode verified("PCI\\VEN_F0E1&DEV_2F20", TRUE);
    EXPECT_TRUE(verified.IsBound());
}

} // namespace
