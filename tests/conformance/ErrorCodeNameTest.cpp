// Error codes named for trace lines, and the device layer's binding by name against the platform's DLLs.
#include <gtest/gtest.h>

#include "TestMachine.h"
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

class DeviceApiBindingTest : public TestMachine
{
protected:
    void TearDown() override
    {
        DeleteDeviceApi();
        TestMachine::TearDown();
    }
};

// Whatever stands behind a wrapper, its answer is the platform's or the fixed one, never a crash; and the
// object is one per process until deleted.
TEST_F(DeviceApiBindingTest, OneObjectPerProcessAndNewDevReleasedAfterEachCall)
{
    KDeviceApi* pApi = GetDeviceApi();
    ASSERT_NE(nullptr, pApi);
    EXPECT_EQ(pApi, GetDeviceApi());
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
    DeleteDeviceApi();
    EXPECT_NE(nullptr, GetDeviceApi());
}
