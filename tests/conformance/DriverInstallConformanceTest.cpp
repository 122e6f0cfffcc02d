// Driver installs on a root device the test makes itself, on winsim and under Wine: the driver list an INF
// gives for the device, and UpdateDriverForPlugAndPlayDevicesA installing that INF's driver (published as
// an oemN.inf, driver key values, the install section's AddReg under the driver key). The device and the
// published INF are removed afterwards whatever the test did.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FileText.h"
#include "ProductMachine.h"
#include "WineDifference.h"
#include "device/CDevNode.h"
#include "devapi/KDeviceApi.h"

namespace
{

const GUID kTestClass = {0xF0E1D2C4, 0x7B6A, 0x4C5D, {0x9E, 0x8F, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}};
const char kDeviceName[] = "DRVSETUPTEST_D";
const char kHardwareId[] = "DRVSETUP\\TEST_F0E1_D";
// UpdateDriverForPlugAndPlayDevicesA: install even when the device has as good a driver.
const DWORD kInstallFlagForce = 1;

std::string TestInf()
{
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=DrvsetupTest\r\n"
           "ClassGUID={F0E1D2C4-7B6A-4C5D-9E8F-0123456789AB}\r\nProvider=%Mfg%\r\n"
           "DriverVer=06/01/2007,7.12.0.40\r\n[Manufacturer]\r\n%Mfg%=Models,NTx86,NTamd64\r\n"
           "[Models.NTx86]\r\n%Dev%=Test_Install, DRVSETUP\\TEST_F0E1_D\r\n"
           "[Models.NTamd64]\r\n%Dev%=Test_Install, DRVSETUP\\TEST_F0E1_D\r\n"
           "[Test_Install.NT]\r\nAddReg=Test_AddReg\r\n[Test_Install.NT.Services]\r\nAddService=,2\r\n"
           "[Test_AddReg]\r\nHKR,,DrvsetupTestValue,,\"present\"\r\n"
           "[Strings]\r\nMfg=\"Sample Modems\"\r\nDev=\"drvsetup test driver\"\r\n";
}

class DriverInstallConformanceTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        m_pApi = GetDeviceApi();
        ASSERT_NE(nullptr, m_pApi);
        RemoveTestDevice();
        m_csInf = ScratchFolder() + "\\DRVTEST.INF";
        ASSERT_TRUE(WriteWholeFile(m_csInf, TestInf()));
        ASSERT_NO_FATAL_FAILURE(CreateRootDevice());
    }

    void TearDown() override
    {
        RemoveTestDevice();
        if (!m_csPublished.empty())
        {
            DeleteFileA(m_csPublished.c_str());
            DeleteFileA((m_csPublished.substr(0, m_csPublished.size() - 4) + ".PNF").c_str());
        }
        ProductMachine::TearDown();
    }

    void CreateRootDevice()
    {
        HDEVINFO hSet = m_pApi->KSetupDiCreateDeviceInfoList(&kTestClass, nullptr);
        ASSERT_TRUE(hSet && hSet != INVALID_HANDLE_VALUE) << GetLastError();
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(data);
        const std::string ids = std::string(kHardwareId) + '\0' + '\0';
        const BOOL bDone = m_pApi->KSetupDiCreateDeviceInfo(hSet, kDeviceName, &kTestClass, "drvsetup test device D",
                                                            nullptr, DICD_GENERATE_ID, &data) &&
                           m_pApi->KSetupDiSetDeviceRegistryProperty(hSet, &data, SPDRP_HARDWAREID,
                                                                     reinterpret_cast<const BYTE*>(ids.data()),
                                                                     static_cast<DWORD>(ids.size())) &&
                           m_pApi->KSetupDiCallClassInstaller(DIF_REGISTERDEVICE, hSet, &data);
        const DWORD dwError = GetLastError();
        m_pApi->KSetupDiDestroyDeviceInfoList(hSet);
        ASSERT_TRUE(bDone) << "error " << dwError;
    }

    void RemoveTestDevice()
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
                std::string(szInstance).find(kDeviceName) != std::string::npos)
                m_pApi->KSetupDiCallClassInstaller(DIF_REMOVE, hSet, &data);
        }
        m_pApi->KSetupDiDestroyDeviceInfoList(hSet);
    }

    KDeviceApi* m_pApi = nullptr;
    std::string m_csInf;
    std::string m_csPublished;
};

TEST_F(DriverInstallConformanceTest, TheInfsDriverListForTheDevice)
{
    HDEVINFO hSet = m_pApi->KSetupDiCreateDeviceInfoList(&kTestClass, nullptr);
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    const std::string csInstance = std::string("ROOT\\") + kDeviceName + "\\0000";
    ASSERT_TRUE(m_pApi->KSetupDiOpenDeviceInfo(hSet, csInstance.c_str(), nullptr, 0, &data)) << GetLastError();
    SP_DEVINSTALL_PARAMS_A params = {};
    params.cbSize = sizeof(params);
    ASSERT_TRUE(m_pApi->KSetupDiGetDeviceInstallParams(hSet, &data, &params));
    params.Flags |= DI_ENUMSINGLEINF;
    ASSERT_LT(m_csInf.size(), sizeof(params.DriverPath));
    std::memcpy(params.DriverPath, m_csInf.c_str(), m_csInf.size() + 1);
    ASSERT_TRUE(m_pApi->KSetupDiSetDeviceInstallParams(hSet, &data, &params));
    ASSERT_TRUE(m_pApi->KSetupDiBuildDriverInfoList(hSet, &data, SPDIT_COMPATDRIVER)) << GetLastError();
    SP_DRVINFO_DATA_A driver = {};
    driver.cbSize = sizeof(driver);
    ASSERT_TRUE(m_pApi->KSetupDiEnumDriverInfo(hSet, &data, SPDIT_COMPATDRIVER, 0, &driver)) << GetLastError();
    EXPECT_STREQ("drvsetup test driver", driver.Description);
    EXPECT_STREQ("Sample Modems", driver.MfgName);
    EXPECT_STREQ("Sample Modems", driver.ProviderName);
    SP_DRVINFO_DATA_A next = driver;
    EXPECT_FALSE(m_pApi->KSetupDiEnumDriverInfo(hSet, &data, SPDIT_COMPATDRIVER, 1, &next));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    m_pApi->KSetupDiDestroyDriverInfoList(hSet, &data, SPDIT_COMPATDRIVER);
    m_pApi->KSetupDiDestroyDeviceInfoList(hSet);
    KNOWN_WINE_DIFFERENCE("SetupDiEnumDriverInfoA leaves DriverVersion 0");
    EXPECT_EQ((7ull << 48) | (12ull << 32) | 40ull, static_cast<unsigned long long>(driver.DriverVersion));
}

TEST_F(DriverInstallConformanceTest, UpdateDriverInstallsTheInfOnTheRootDevice)
{
    BOOL bReboot = TRUE;
    ASSERT_TRUE(
        m_pApi->KUpdateDriverForPlugAndPlayDevices(nullptr, kHardwareId, m_csInf.c_str(), kInstallFlagForce, &bReboot))
        << GetLastError();
    EXPECT_FALSE(bReboot);
    CDevNode node(kHardwareId, FALSE);
    ASSERT_TRUE(node.IsBound());
    ASSERT_TRUE(node.HasDriverKey());
    char szValue[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szValue);
    node.ReadDriverKeyValue("DrvsetupTestValue", reinterpret_cast<BYTE*>(szValue), &dwSize);
    EXPECT_STREQ("present", szValue);
    dwSize = sizeof(szValue);
    node.ReadDriverKeyValue("InfPath", reinterpret_cast<BYTE*>(szValue), &dwSize);
    const std::string csInfPath = szValue;
    char szWindows[MAX_PATH] = {0};
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    m_csPublished = std::string(szWindows) + "\\inf\\" + csInfPath;
    // The install is synchronous: nothing is left for Plug and Play.
    EXPECT_EQ(0u, m_pApi->KCMP_WaitNoPendingInstallEvents(0));

    KNOWN_WINE_DIFFERENCE("UpdateDriverForPlugAndPlayDevicesA does not publish the INF as oemN.inf, writes no "
                          "DriverDesc, and succeeds for a hardware ID no device has");
    EXPECT_EQ(0u, csInfPath.find("oem")) << csInfPath;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_csPublished.c_str())) << m_csPublished;
    dwSize = sizeof(szValue);
    node.ReadDriverKeyValue("DriverDesc", reinterpret_cast<BYTE*>(szValue), &dwSize);
    EXPECT_STREQ("drvsetup test driver", szValue);

    // An ID no device carries.
    EXPECT_FALSE(m_pApi->KUpdateDriverForPlugAndPlayDevices(nullptr, "DRVSETUP\\TEST_NOBODY", m_csInf.c_str(),
                                                            kInstallFlagForce, &bReboot));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), GetLastError());
}

} // namespace
