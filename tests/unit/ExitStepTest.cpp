// The exit hook: the temporary copy that closes Add/Remove Programs, and starting programs on Vista.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "FileText.h"
#include "ProductMachine.h"
#include "app/CSetupApp.h"
#include "devapi/KDeviceApi.h"

namespace
{

class ExitStepTest : public ProductMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string path =
            DeriveProfile("xp-sp2", "arp-open",
                          "[Process.1]\nImage=C:\\WINDOWS\\system32\\rundll32.exe\n"
                          "Window=Add or Remove Programs|NativeHWNDHost\nLifetime=forever\n");
        return path.c_str();
    }
    void SetUp() override
    {
        if (!std::getenv("WINSIM_BIN"))
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        ProductMachine::SetUp();
        // This process runs as C:\TEST\tests.exe: an image of the setup program.
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\tests.exe", "WINSIM-IMAGE 1\r\nKind=exe\r\nProgram=setup\r\n"));
    }
    void TearDown() override { ProductMachine::TearDown(); }
};

TEST_F(ExitStepTest, CopyOfTheProgramClosesAddRemovePrograms)
{
    ASSERT_NE(nullptr, FindWindowA(nullptr, "Add or Remove Programs"));
    CSetupApp app;
    app.GetSetupParms().dwSetupConfig |= SETUP_CFG_CLOSE_ARP_AT_EXIT;
    app.GetSetupParms().nRetVal = 7;
    // Results other than 0 and 1 leave the process with 0.
    EXPECT_EQ(0, app.Shutdown());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\WINDOWS\\TEMP\\UARCLOSE.EXE"));
    // The copy runs on its own, as another host process: wait for it in real time.
    for (int i = 0; i < 200 && FindWindowA(nullptr, "Add or Remove Programs"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Add or Remove Programs"));
}

class SpawnVistaTest : public ProductMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("vista-x64", "no-elevation", "");
        static bool patched =
            std::system(("sed -i 's/^Administrator=1/Administrator=1\\nAcceptElevation=0/' '" + path + "/machine.ini'")
                            .c_str()) == 0;
        return patched ? path.c_str() : "vista-x64";
    }
    void SetUp() override
    {
        if (!std::getenv("WINSIM_BIN"))
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        ProductMachine::SetUp();
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\child.exe", "WINSIM-IMAGE 1\r\nKind=exe\r\nProgram=setup\r\n"));
    }
};

TEST_F(SpawnVistaTest, RefusedElevationFallsBackToCreateProcess)
{
    // The child is the setup program in close mode: it runs and ends with 0.
    EXPECT_TRUE(CSetupApp::SpawnApp("C:\\TEST\\child.exe", " -ARPWCLOSE2", TRUE, FALSE));
    EXPECT_FALSE(CSetupApp::SpawnApp("C:\\TEST\\missing.exe", "", TRUE, FALSE));
}

} // namespace
