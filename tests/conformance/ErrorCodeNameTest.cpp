// Error codes named for trace lines, and the device layer's binding by name against the platform's DLLs.
#include <gtest/gtest.h>

#include "ProductMachine.h"
#include "WineDifference.h"
#include "devapi/KDeviceApi.h"

TEST(ErrorCodeName, KnownAndUnknownCodes)
{
    struct Case
    {
        DWORD dwCode;
        const char* pszName;
    } cases[] = {{0, "ERROR_SUCCESS"},
                 {3, "UNKNOWN ERROR"},
                 {259, "ERROR_NO_MORE_ITEMS"},
                 {1603, "ERROR_INSTALL_FAILURE"},
                 {0x800B0100, "TRUST_E_NOSIGNATURE"},
                 {0xE0000301, "ERROR_NO_DEVICE_ID"},
                 {0xE0000304, "ERROR_INVALID_CATALOG_DATA"},
                 {0xFFFFFFFF, "UNKNOWN ERROR"}};
    for (const Case& c : cases)
    {
        std::string csName = "stale";
        GetErrorCodeName(c.dwCode, csName);
        EXPECT_EQ(c.pszName, csName) << c.dwCode;
    }
}

class DeviceApiBindingTest : public ProductMachine
{
};

// The process's layer is the one its owner made; another made meanwhile does not replace it, and once the
// owner lets go there is none until a new one is made.
TEST_F(DeviceApiBindingTest, TheOwnersObjectIsTheProcesssLayer)
{
    KDeviceApi* pApi = GetDeviceApi();
    ASSERT_NE(nullptr, pApi);
    {
        KDeviceApi second;
        EXPECT_EQ(pApi, GetDeviceApi());
    }
    EXPECT_EQ(pApi, GetDeviceApi());
    StopDeviceApi();
    EXPECT_EQ(nullptr, GetDeviceApi());
    RestartDeviceApi();
    EXPECT_NE(nullptr, GetDeviceApi());
}

// Whatever stands behind a wrapper, its answer is the platform's or the fixed one, never a crash.
TEST_F(DeviceApiBindingTest, NewDevReleasedAfterEachCall)
{
    KDeviceApi* pApi = GetDeviceApi();
    ASSERT_NE(nullptr, pApi);
    EXPECT_TRUE(pApi->LoadKernel());

    for (int i = 0; i < 2; ++i)
    {
        BOOL bReboot = FALSE;
        BOOL bUpdated = pApi->KUpdateDriverForPlugAndPlayDevices(nullptr, "ROOT\\NO_SUCH_DEVICE_EVER",
                                                                 "C:\\NO\\SUCH.INF", 1, &bReboot);
        // Wine's NEWDEV answers every update with success; Windows fails for a device that is not there.
        if (!RunningUnderWine())
        {
            EXPECT_FALSE(bUpdated);
        }
        EXPECT_EQ(nullptr, GetModuleHandleA("NEWDEV.DLL"));
    }
}
