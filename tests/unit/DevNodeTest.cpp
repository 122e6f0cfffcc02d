// Device nodes on winsim machines: finding a present device by a piece of its hardware ID, its properties
// and keys, enable, disable and removal, the Windows 9x form of hardware IDs, and a node that found nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "device/CDevNode.h"
#include "devapi/KDeviceApi.h"

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

class DevNodeTest : public ProductMachine
{
protected:
    void TearDown() override { ProductMachine::TearDown(); }
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

// The install review polls a device's state once a second, five times at most.
bool ReachesState(CDevNode& node, BOOL bEnabled)
{
    for (int nPoll = 0; nPoll < 5; ++nPoll)
    {
        Sleep(1000);
        if (node.CheckDeviceState(bEnabled))
            return true;
    }
    return false;
}

// The status line `winsim devices` prints for a device.
std::string TreeStatus(const std::string& machineDir, const std::string& instance)
{
    const char* bin = std::getenv("WINSIM_BIN");
    if (!bin)
        return "(WINSIM_BIN not set)";
    std::string out;
    FILE* pipe = popen(("'" + std::string(bin) + "/winsim' devices '" + machineDir + "'").c_str(), "r");
    if (!pipe)
        return out;
    char line[1024];
    bool bInBlock = false;
    while (fgets(line, sizeof(line), pipe))
    {
        std::string text = line;
        if (text.find(instance) != std::string::npos)
            bInBlock = true;
        else if (bInBlock && text.find("status:") != std::string::npos)
        {
            out = text.substr(text.find(':') + 1);
            out = out.substr(out.find_first_not_of(' '));
            out = out.substr(0, out.find_last_not_of("\r\n") + 1);
            break;
        }
    }
    pclose(pipe);
    return bInBlock ? out : "(not listed)";
}

TEST_F(DevNodeTest, TheSoftModemWithoutADriver)
{
    CDevNode modem("VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", FALSE);
    ASSERT_TRUE(modem.IsBound());
    EXPECT_EQ(kPciModemInstance, InstanceOf(modem));
    char szDesc[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szDesc);
    ASSERT_TRUE(modem.GetDeviceRegistryProperty(SPDRP_DEVICEDESC, reinterpret_cast<BYTE*>(szDesc), &dwSize));
    EXPECT_STRNE("", szDesc);
    char szIDs[1024] = {0};
    dwSize = sizeof(szIDs);
    ASSERT_TRUE(modem.GetDeviceRegistryProperty(SPDRP_HARDWAREID, reinterpret_cast<BYTE*>(szIDs), &dwSize));
    EXPECT_STREQ(kPciModemID, szIDs);
    EXPECT_FALSE(modem.HasDriverKey());
    EXPECT_FALSE(modem.CheckDeviceState(TRUE));
    EXPECT_TRUE(modem.CheckDeviceState(FALSE));
}

TEST_F(DevNodeTest, DisableEnableAndRemoveShowInTheTree)
{
    const std::string codecInstance = "HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045&SUBSYS_F0E10001&REV_1001\\4&1C3B2A0E&0&0001";
    CDevNode codec(kCodecID, FALSE);
    ASSERT_TRUE(codec.IsBound());
    EXPECT_TRUE(codec.CheckDeviceState(TRUE));
    EXPECT_EQ("started", TreeStatus(MachineDir(), codecInstance));

    ASSERT_TRUE(codec.ChangeState(FALSE));
    EXPECT_TRUE(ReachesState(codec, FALSE));
    EXPECT_FALSE(codec.CheckDeviceState(TRUE));
    EXPECT_EQ(0u, TreeStatus(MachineDir(), codecInstance).find("problem 22"))
        << TreeStatus(MachineDir(), codecInstance);

    ASSERT_TRUE(codec.ChangeState(TRUE));
    EXPECT_TRUE(ReachesState(codec, TRUE));
    EXPECT_EQ("started", TreeStatus(MachineDir(), codecInstance));

    // Removal: the device is gone until the bus is enumerated again; it then comes back without a driver.
    ASSERT_TRUE(codec.RemoveDevice());
    CDevNode gone(kCodecID, FALSE);
    EXPECT_FALSE(gone.IsBound());
    EXPECT_EQ("absent (removed)", TreeStatus(MachineDir(), codecInstance));

    KDeviceApi* pApi = GetDeviceApi();
    DEVINST root = 0;
    ASSERT_EQ(CR_SUCCESS, pApi->KCM_Locate_DevInst(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL));
    ASSERT_EQ(CR_SUCCESS, pApi->KCM_Reenumerate_DevInst(root, CM_REENUMERATE_SYNCHRONOUS));
    CDevNode back(kCodecID, FALSE);
    ASSERT_TRUE(back.IsBound());
    EXPECT_FALSE(back.HasDriverKey());
    EXPECT_FALSE(back.CheckDeviceState(TRUE));
    EXPECT_EQ(0u, TreeStatus(MachineDir(), codecInstance).find("problem 28"))
        << TreeStatus(MachineDir(), codecInstance);
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
// The derived machine adds a USB modem with its driver (class Modem) that declares no child.
class DevNodeWin9xTest : public DevNodeTest
{
protected:
    const char* Profile() const override
    {
        static std::string profile = DeriveProfile("win98se", "win98se-usb-modem",
                                                   "[Device.2]\n"
                                                   "InstanceId=USB\\VID_F0E1&PID_3A01\\5&1E2D3C4B&0&1\n"
                                                   "HardwareIDs=USB\\VID_F0E1&PID_3A01\n"
                                                   "Class=Modem\n"
                                                   "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n"
                                                   "DriverDesc=Sample USB Modem\n");
        return profile.c_str();
    }
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

    // A modem with a driver but no Child0000 HardwareID and no ChildID is not an enumerator.
    CDevNode usb("USB\\VID_F0E1&PID_3A01", FALSE);
    ASSERT_TRUE(usb.IsBound());
    CDevNode usbVerified("USB\\VID_F0E1&PID_3A01", TRUE);
    EXPECT_FALSE(usbVerified.IsBound());
    // Once its driver key names a child, it is.
    HKEY hKey = usb.RegOpenClassDeviceKey();
    ASSERT_NE(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), hKey);
    HKEY hChild = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(hKey, "Child0000", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hChild, nullptr));
    const char kChild[] = "MDM9X\\SERWAVE";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(hChild, "HardwareID", 0, REG_SZ, reinterpret_cast<const BYTE*>(kChild), sizeof(kChild)));
    RegCloseKey(hChild);
    usb.CloseClassDeviceKey();
    CDevNode usbWithChild("USB\\VID_F0E1&PID_3A01", TRUE);
    EXPECT_TRUE(usbWithChild.IsBound());
}

} // namespace
