// DIFxAPI on the vista-x64 machine: a package pre-installed into the driver store and published, installed
// on the modem function, refused when unsigned, and uninstalled again.
#include <gtest/gtest.h>

#include <string>

#include "DeviceTestSupport.h"
#include "FileTestSupport.h"
#include "TestMachine.h"
#include "profile/HostFiles.h"
#include "windows.h"
#include "difxapi.h"
#include "setupapi.h"

using namespace device_test;

namespace
{

const char* kVistaModem = "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001&REV_1001\\4&3A1D6C2B&0&0102";
const char* kRepository = "C:\\Windows\\system32\\DriverStore\\FileRepository";
const DWORD kFlags = DRIVER_PACKAGE_FORCE | DRIVER_PACKAGE_LEGACY_MODE;

class DriverStoreTest : public TestMachine
{
protected:
    const char* Profile() const override { return "vista-x64"; }

    void SetUp() override
    {
        TestMachine::SetUp();
        std::string text;
        ASSERT_TRUE(winsim::HostReadFile(std::string(DRVSETUP_SOURCE_DIR) + "/samples/package/HDAMDM.INF", text));
        file_test::WriteText(Inf(), text);
        for (const char* name : {"hdamdm.sys", "hdamdmv.sys", "hdamdm.cat"})
            file_test::WriteText(ScratchFolder() + "\\" + name, name);
    }

    std::string Inf() const { return ScratchFolder() + "\\HDAMDM.INF"; }

    static std::string StorePackage()
    {
        const std::vector<std::string> names = file_test::FindNames(std::string(kRepository) + "\\hdamdm.inf_*");
        return names.size() == 1 ? std::string(kRepository) + "\\" + names[0]
                                 : "<" + std::to_string(names.size()) + ">";
    }
};

TEST_F(DriverStoreTest, PreinstallPutsThePackageInTheStoreAndPublishesItsInf)
{
    ASSERT_EQ(0u, DriverPackagePreinstallA(Inf().c_str(), kFlags));
    const std::string package = StorePackage();
    for (const char* name : {"HDAMDM.INF", "hdamdm.sys", "hdamdmv.sys", "hdamdm.cat"})
        EXPECT_TRUE(file_test::Exists(package + "\\" + name)) << package << " " << name;
    EXPECT_TRUE(file_test::Exists("C:\\Windows\\INF\\oem0.inf"));
    // Nothing is installed yet, and the same package again changes nothing.
    EXPECT_EQ(CM_PROB_FAILED_INSTALL, StatusOf(kVistaModem).problem);
    ASSERT_EQ(0u, DriverPackagePreinstallA(Inf().c_str(), kFlags));
    EXPECT_EQ(package, StorePackage());
    EXPECT_FALSE(file_test::Exists("C:\\Windows\\INF\\oem1.inf"));
}

TEST_F(DriverStoreTest, InstallUpdatesTheMatchingDeviceFromTheStoreAndUninstallTakesItAway)
{
    BOOL reboot = TRUE;
    ASSERT_EQ(0u, DriverPackageInstallA(Inf().c_str(), kFlags, nullptr, &reboot));
    EXPECT_FALSE(reboot);
    EXPECT_TRUE(Started(kVistaModem));
    EXPECT_TRUE(file_test::Exists("C:\\Windows\\system32\\drivers\\hdamdm.sys"));

    ASSERT_EQ(0u, DriverPackageUninstallA(Inf().c_str(), DRIVER_PACKAGE_DELETE_FILES, nullptr, &reboot));
    EXPECT_EQ("<0>", StorePackage());
    EXPECT_FALSE(file_test::Exists("C:\\Windows\\INF\\oem0.inf"));
    EXPECT_FALSE(Started(kVistaModem));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DRIVER_PACKAGE_NOT_IN_STORE),
              DriverPackageUninstallA(Inf().c_str(), 0, nullptr, &reboot));
}

TEST_F(DriverStoreTest, RefusalsAsDIFxGivesThem)
{
    // A package for no present device stays in the store.
    file_test::WriteText(
        ScratchFolder() + "\\OTHER.INF",
        "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
        "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Test\r\nCatalogFile=hdamdm.cat\r\n"
        "DriverVer=01/01/2008,1.0.0.0\r\n[Manufacturer]\r\nTest=Models,NTamd64\r\n"
        "[Models.NTamd64]\r\nOther=Other_Install, PCI\\VEN_F0E1&DEV_7777\r\n[Other_Install]\r\n");
    BOOL reboot = FALSE;
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST),
              DriverPackageInstallA((ScratchFolder() + "\\OTHER.INF").c_str(), kFlags, nullptr, &reboot));
    EXPECT_TRUE(file_test::Exists("C:\\Windows\\INF\\oem0.inf"));

    // 64-bit Vista takes no unsigned package, legacy mode or not.
    DeleteFileA((ScratchFolder() + "\\hdamdm.cat").c_str());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH),
              DriverPackageInstallA(Inf().c_str(), kFlags, nullptr, &reboot));
    EXPECT_EQ(CM_PROB_FAILED_INSTALL, StatusOf(kVistaModem).problem);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), DriverPackagePreinstallA("C:\\NOWHERE\\X.INF", kFlags));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), DriverPackagePreinstallA(Inf().c_str(), 0x8000));
}

} // namespace
