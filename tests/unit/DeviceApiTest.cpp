// The device layer on machines where device installation libraries or exports are missing.
#include <gtest/gtest.h>

#include "ProductMachine.h"
#include "devapi/KDeviceApi.h"
#include "winsim/winsim.h"

namespace
{

class DeviceApiWithout : public ProductMachine
{
protected:
    void TearDown() override
    {
        winsim::ClearFaultPlan();
        ProductMachine::TearDown();
    }
};

class DeviceApiWithoutCfgMgr : public DeviceApiWithout
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "no-cfgmgr", "[Modules]\nCFGMGR32.DLL=absent\n");
        return path.c_str();
    }
};

class DeviceApiWithoutSetupApi : public DeviceApiWithout
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "no-setupapi", "[Modules]\nSETUPAPI.DLL=absent\n");
        return path.c_str();
    }
};

TEST_F(DeviceApiWithoutCfgMgr, ConfigurationManagerCallsReadAsSuccess)
{
    KDeviceApi* pApi = GetDeviceApi();
    ASSERT_NE(nullptr, pApi);
    EXPECT_FALSE(pApi->LoadCfgMgr());
    DEVINST dnRoot = 0x1234;
    EXPECT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), pApi->KCM_Locate_DevInst(&dnRoot, nullptr, 0));
    EXPECT_EQ(0x1234u, dnRoot);
    EXPECT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), pApi->KCM_Reenumerate_DevInst(dnRoot, 0));
    ULONG ulStatus = 0;
    ULONG ulProblem = 0;
    EXPECT_EQ(static_cast<CONFIGRET>(CR_SUCCESS),
              pApi->KCM_Get_DevNode_Status_Ex(&ulStatus, &ulProblem, dnRoot, 0, nullptr));
    EXPECT_EQ(0u, pApi->KCMP_WaitNoPendingInstallEvents(0));
}

TEST_F(DeviceApiWithoutSetupApi, SetupApiCallsGiveTheirFixedResults)
{
    KDeviceApi* pApi = GetDeviceApi();
    ASSERT_NE(nullptr, pApi);
    EXPECT_FALSE(pApi->LoadSetupApi());
    // An empty set, not the platform's -1: callers that test only for -1 go on with it.
    HDEVINFO hSet = pApi->KSetupDiGetClassDevs(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    EXPECT_EQ(nullptr, hSet);
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    EXPECT_FALSE(pApi->KSetupDiEnumDeviceInfo(hSet, 0, &data));
    EXPECT_EQ(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE),
              pApi->KSetupDiOpenDevRegKey(hSet, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    UINT uErrorLine = 0;
    EXPECT_EQ(nullptr, pApi->KSetupOpenInfFile("C:\\WINDOWS\\inf\\mdmgen.inf", nullptr, INF_STYLE_WIN4, &uErrorLine));
    pApi->KSetupCloseInfFile(nullptr);
    EXPECT_EQ(0, pApi->KSetupPromptReboot(nullptr, nullptr, FALSE));
}

// SETUPAPI is the first library the layer loads; when that load fails, the next use tries again.
TEST_F(DeviceApiWithout, LibraryThatFailedAtCreationIsTriedAgain)
{
    StopDeviceApi();
    ASSERT_EQ(nullptr, GetModuleHandleA("SETUPAPI.DLL"));
    std::string error;
    ASSERT_TRUE(winsim::SetFaultPlan("LoadLibraryA:1", error)) << error;
    RestartDeviceApi();
    KDeviceApi* pApi = GetDeviceApi();
    ASSERT_NE(nullptr, pApi);
    EXPECT_EQ(nullptr, GetModuleHandleA("SETUPAPI.DLL"));
    EXPECT_NE(nullptr, GetModuleHandleA("CFGMGR32.DLL"));
    EXPECT_TRUE(pApi->LoadSetupApi());
    EXPECT_NE(nullptr, GetModuleHandleA("SETUPAPI.DLL"));
}

// The layer gives back every library it loaded, so a process that outlives it holds none of them.
TEST_F(DeviceApiWithout, LibrariesAreReleasedWithTheLayer)
{
    ASSERT_NE(nullptr, GetModuleHandleA("SETUPAPI.DLL"));
    ASSERT_NE(nullptr, GetModuleHandleA("CFGMGR32.DLL"));
    StopDeviceApi();
    EXPECT_EQ(nullptr, GetDeviceApi());
    EXPECT_EQ(nullptr, GetModuleHandleA("SETUPAPI.DLL"));
    EXPECT_EQ(nullptr, GetModuleHandleA("CFGMGR32.DLL"));
}

} // namespace
