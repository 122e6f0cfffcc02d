// Device nodes on devices the test makes itself: two root-enumerated devices with chosen hardware IDs that
// share a piece, created and registered as a setup program does, and removed afterwards whatever the test
// did. On Linux they live in the winsim machine; in the Windows build Wine's SETUPAPI makes them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ProductMachine.h"
#include "WineDifference.h"
#include "device/CDevNode.h"
#include "devapi/KDeviceApi.h"

namespace
{

// A setup class no machine has, so that nothing tries to install a driver for the devices.
const GUID kTestClass = {0xF0E1D2C3, 0x7B6A, 0x4C5D, {0x9E, 0x8F, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}};
const char kTestPrefix[] = "ROOT\\DRVSETUPTEST_";
const char kInstanceA[] = "ROOT\\DRVSETUPTEST_A\\0000";
const char kInstanceB[] = "ROOT\\DRVSETUPTEST_B\\0000";
const char kSharedPiece[] = "DRVSETUP\\TEST_F0E1";

struct TestDevice
{
    const char* name; // the root device ID DICD_GENERATE_ID makes ROOT\<name>\0000 of
    const char* description;
    std::vector<std::string> hardwareIds;
    std::vector<std::string> compatibleIds;
};

const TestDevice kDevices[] = {
    {"DRVSETUPTEST_A",
     "drvsetup test device A",
     {"DRVSETUP\\TEST_F0E1_A&REV_01", "DRVSETUP\\TEST_F0E1_A"},
     {"DRVSETUP\\COMPAT_F0E1"}},
    {"DRVSETUPTEST_B",
     "drvsetup test device B",
     {"DRVSETUP\\TEST_F0E1_B&REV_02", "DRVSETUP\\TEST_F0E1_B"},
     {"DRVSETUP\\COMPAT_F0E1"}},
};

std::vector<BYTE> MultiSz(const std::vector<std::string>& ids)
{
    std::vector<BYTE> data;
    for (const std::string& id : ids)
    {
        data.insert(data.end(), id.begin(), id.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

std::string InstanceOf(CDevNode& node)
{
    char szInstance[MAX_PATH] = {0};
    return node.GetDeviceInstanceId(szInstance) ? szInstance : "(none)";
}

class DevNodeConformanceTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        m_pApi = GetDeviceApi();
        ASSERT_NE(nullptr, m_pApi);
        // What an earlier run that died left behind.
        RemoveTestDevices();
        for (const TestDevice& device : kDevices)
            ASSERT_NO_FATAL_FAILURE(CreateRootDevice(device));
    }

    void TearDown() override
    {
        RemoveTestDevices();
        ProductMachine::TearDown();
    }

    // Creates ROOT\<name>\0000 with its IDs and description, and registers it: a present device without a
    // driver, as a setup program makes one before it installs the driver.
    void CreateRootDevice(const TestDevice& device)
    {
        HDEVINFO hSet = m_pApi->KSetupDiCreateDeviceInfoList(&kTestClass, nullptr);
        ASSERT_TRUE(hSet && hSet != INVALID_HANDLE_VALUE) << GetLastError();
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(data);
        const std::vector<BYTE> hardware = MultiSz(device.hardwareIds);
        const std::vector<BYTE> compatible = MultiSz(device.compatibleIds);
        const BOOL bCreated = m_pApi->KSetupDiCreateDeviceInfo(hSet, device.name, &kTestClass, device.description,
                                                               nullptr, DICD_GENERATE_ID, &data);
        const DWORD dwCreateError = GetLastError();
        const BOOL bDone =
            bCreated &&
            m_pApi->KSetupDiSetDeviceRegistryProperty(hSet, &data, SPDRP_HARDWAREID, hardware.data(),
                                                      static_cast<DWORD>(hardware.size())) &&
            m_pApi->KSetupDiSetDeviceRegistryProperty(hSet, &data, SPDRP_COMPATIBLEIDS, compatible.data(),
                                                      static_cast<DWORD>(compatible.size())) &&
            m_pApi->KSetupDiCallClassInstaller(DIF_REGISTERDEVICE, hSet, &data);
        const DWORD dwError = GetLastError();
        m_pApi->KSetupDiDestroyDeviceInfoList(hSet);
        ASSERT_TRUE(bCreated) << device.name << ": error " << dwCreateError;
        ASSERT_TRUE(bDone) << device.name << ": error " << dwError;
    }

    // Creates ROOT\DRVSETUPTEST_P\0000 with its hardware IDs but does not register it; `whileThere` runs
    // before the set that created it is destroyed.
    bool CreateUnregistered(const std::function<void()>& whileThere)
    {
        HDEVINFO hSet = m_pApi->KSetupDiCreateDeviceInfoList(&kTestClass, nullptr);
        if (!hSet || hSet == INVALID_HANDLE_VALUE)
            return false;
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(data);
        const std::vector<BYTE> hardware = MultiSz({"DRVSETUP\\TEST_F0E1_P"});
        const bool bMade = m_pApi->KSetupDiCreateDeviceInfo(hSet, "DRVSETUPTEST_P", &kTestClass, nullptr, nullptr,
                                                            DICD_GENERATE_ID, &data) &&
                           m_pApi->KSetupDiSetDeviceRegistryProperty(hSet, &data, SPDRP_HARDWAREID, hardware.data(),
                                                                     static_cast<DWORD>(hardware.size()));
        if (bMade)
            whileThere();
        m_pApi->KSetupDiDestroyDeviceInfoList(hSet);
        return bMade;
    }

    // Whether a device of that instance ID exists, present or not.
    bool Opens(const char* pszInstance)
    {
        HDEVINFO hSet = m_pApi->KSetupDiCreateDeviceInfoList(nullptr, nullptr);
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(data);
        const bool bOpened = m_pApi->KSetupDiOpenDeviceInfo(hSet, pszInstance, nullptr, 0, &data);
        const DWORD dwError = GetLastError();
        m_pApi->KSetupDiDestroyDeviceInfoList(hSet);
        SetLastError(dwError);
        return bOpened;
    }

    static bool KeyExists(const std::string& path)
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return false;
        RegCloseKey(hKey);
        return true;
    }

    // Removes every device of the root whose ID starts with the test prefix, present or not.
    void RemoveTestDevices()
    {
        HDEVINFO hSet = m_pApi->KSetupDiGetClassDevs(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
        if (!hSet || hSet == INVALID_HANDLE_VALUE)
            return;
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(data);
        for (DWORD dwIndex = 0; m_pApi->KSetupDiEnumDeviceInfo(hSet, dwIndex, &data); ++dwIndex)
        {
            char szInstance[MAX_DEVICE_ID_LEN] = {0};
            if (m_pApi->KSetupDiGetDeviceInstanceId(hSet, &data, szInstance, sizeof(szInstance), nullptr) &&
                std::string(szInstance).compare(0, sizeof(kTestPrefix) - 1, kTestPrefix) == 0)
            {
                EXPECT_TRUE(m_pApi->KSetupDiCallClassInstaller(DIF_REMOVE, hSet, &data))
                    << szInstance << ": error " << GetLastError();
            }
        }
        m_pApi->KSetupDiDestroyDeviceInfoList(hSet);
    }

    KDeviceApi* m_pApi = nullptr;
};

// winsim enumerates devices a program creates in the order it created them, Windows and Wine by instance ID
// (the registry's order): A is both created first and first by name, so the two orders agree here.
TEST_F(DevNodeConformanceTest, APieceBothDevicesShareFindsTheFirstInEnumerationOrder)
{
    CDevNode shared(kSharedPiece, FALSE);
    ASSERT_TRUE(shared.IsBound());
    EXPECT_EQ(kInstanceA, InstanceOf(shared));
    // Any case; and a piece of one device's IDs only finds that one, verified or not (always, on NT).
    CDevNode second("drvsetup\\test_f0e1_b", TRUE);
    EXPECT_EQ(kInstanceB, InstanceOf(second));
}

TEST_F(DevNodeConformanceTest, PropertiesIdsAndInstanceOfACreatedDevice)
{
    CDevNode node("TEST_F0E1_A&REV", FALSE);
    ASSERT_TRUE(node.IsBound());
    char szDesc[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szDesc);
    ASSERT_TRUE(node.GetDeviceRegistryProperty(SPDRP_DEVICEDESC, reinterpret_cast<BYTE*>(szDesc), &dwSize));
    EXPECT_STREQ("drvsetup test device A", szDesc);

    const std::vector<BYTE> expected = MultiSz(kDevices[0].hardwareIds);
    std::vector<BYTE> ids(256, 0xCC);
    dwSize = static_cast<DWORD>(ids.size());
    ASSERT_TRUE(node.GetDeviceRegistryProperty(SPDRP_HARDWAREID, ids.data(), &dwSize));
    ASSERT_EQ(expected.size(), dwSize);
    EXPECT_EQ(expected, std::vector<BYTE>(ids.begin(), ids.begin() + dwSize));

    CStringList list;
    ASSERT_EQ(2u, node.GetHardwareIDs(list));
    EXPECT_EQ(kDevices[0].hardwareIds, list);
    EXPECT_EQ(kInstanceA, InstanceOf(node));
}

TEST_F(DevNodeConformanceTest, ACreatedDeviceHasNoDriverKey)
{
    CDevNode node("DRVSETUP\\TEST_F0E1_B", FALSE);
    ASSERT_TRUE(node.IsBound());
    EXPECT_FALSE(node.HasDriverKey());
    EXPECT_EQ(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), node.RegOpenClassDeviceKey());
    char szValue[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szValue);
    EXPECT_EQ(0u, node.ReadDriverKeyValue("DriverDesc", reinterpret_cast<BYTE*>(szValue), &dwSize));
}

TEST_F(DevNodeConformanceTest, ACompatibleIdDoesNotMatch)
{
    CDevNode node("DRVSETUP\\COMPAT_F0E1", FALSE);
    EXPECT_FALSE(node.IsBound());
    EXPECT_EQ("(none)", InstanceOf(node));
}

TEST_F(DevNodeConformanceTest, RemoveDeviceMakesFindDevNodeFail)
{
    CDevNode node("TEST_F0E1_A", FALSE);
    ASSERT_TRUE(node.IsBound());
    ASSERT_TRUE(node.RemoveDevice()) << GetLastError();
    CDevNode gone("TEST_F0E1_A", FALSE);
    EXPECT_FALSE(gone.IsBound());
    CDevNode direct;
    EXPECT_FALSE(direct.FindDevNode("TEST_F0E1_A", FALSE));
    // The other device is still there, and the shared piece now finds it.
    CDevNode shared(kSharedPiece, FALSE);
    EXPECT_EQ(kInstanceB, InstanceOf(shared));
}

// A device created and never registered is a phantom, and goes with the set that created it.
TEST_F(DevNodeConformanceTest, AnUnregisteredDeviceIsNoPresentDevice)
{
    KNOWN_WINE_DIFFERENCE("DIGCF_PRESENT lists devices that were created but never registered");
    BOOL bFound = TRUE;
    ASSERT_TRUE(CreateUnregistered([&] { bFound = CDevNode("TEST_F0E1_P", FALSE).IsBound(); }));
    EXPECT_FALSE(bFound);
}

// Its key is there while the set lives, but it is no device to open; the key goes with the set.
TEST_F(DevNodeConformanceTest, AnUnregisteredDeviceGoesWithItsSet)
{
    const char kPhantomKey[] = "SYSTEM\\CurrentControlSet\\Enum\\ROOT\\DRVSETUPTEST_P";
    bool bKey = false;
    bool bOpened = true;
    DWORD dwError = 0;
    ASSERT_TRUE(CreateUnregistered(
        [&]
        {
            bKey = KeyExists(std::string(kPhantomKey) + "\\0000");
            bOpened = Opens("ROOT\\DRVSETUPTEST_P\\0000");
            dwError = GetLastError();
        }));
    EXPECT_TRUE(bKey);
    EXPECT_FALSE(bOpened);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), dwError);
    EXPECT_FALSE(KeyExists(kPhantomKey));
    EXPECT_TRUE(Opens(kInstanceA));
}

TEST_F(DevNodeConformanceTest, CheckDeviceStateSeesTheMissingDriver)
{
    KNOWN_WINE_DIFFERENCE("CM_Get_DevNode_Status_Ex is a stub");
    CDevNode node(kSharedPiece, FALSE);
    ASSERT_TRUE(node.IsBound());
    EXPECT_FALSE(node.CheckDeviceState(TRUE));
    EXPECT_TRUE(node.CheckDeviceState(FALSE));
}

} // namespace
