// Root devices of class System made from the sample package's INF: created with a hardware ID the review
// can find, installed with the INF's driver, and removed only by their exact device ID.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FileText.h"
#include "ProductMachine.h"
#include "device/CDevNode.h"
#include "install/CSoftwareDeviceInstaller.h"

namespace
{

std::string HostFile(const std::string& name)
{
    std::ifstream in(std::string(DRVSETUP_SOURCE_DIR) + "/samples/package/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class SoftwareDeviceInstallerTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\PKG", nullptr));
        ASSERT_TRUE(WriteWholeFile("C:\\PKG\\SYSSAMPL.INF", HostFile("SYSSAMPL.INF")));
        ASSERT_TRUE(WriteWholeFile("C:\\PKG\\f0e1sys.sys", HostFile("f0e1sys.sys")));
    }
    static bool HasDriver(const char* pszID)
    {
        CDevNode node;
        node.Initialize(pszID, TRUE);
        return node.IsBound() && node.HasDriverKey();
    }
};

} // namespace

TEST_F(SoftwareDeviceInstallerTest, CreatedRootDeviceIsFoundByItsIdAndRemovedOnlyByExactId)
{
    std::vector<SOFTWARE_DEVICE> devices = {
        {"C:\\PKG\\SYSSAMPL.INF", "F0E1SYS", "Sample Modems System Services", std::string()}};
    CSoftwareDeviceInstaller installer;
    ASSERT_TRUE(installer.InstallSoftwareDevices(devices));
    EXPECT_TRUE(HasDriver("ROOT\\F0E1SYS"));

    // A device ID that is only part of the instance's removes nothing.
    EXPECT_FALSE(installer.RemoveRootDevice("F0E1"));
    EXPECT_TRUE(HasDriver("ROOT\\F0E1SYS"));
    EXPECT_TRUE(installer.RemoveRootDevice("F0E1SYS"));
    CDevNode gone;
    EXPECT_FALSE(gone.FindDevNode("ROOT\\F0E1SYS", TRUE));
}

TEST_F(SoftwareDeviceInstallerTest, DescriptionWithoutDriverCreatesNothingUsable)
{
    SOFTWARE_DEVICE device = {"C:\\PKG\\SYSSAMPL.INF", "F0E1SYS", "No Such Driver", std::string()};
    EXPECT_FALSE(CSoftwareDeviceInstaller().InstallRootDevice(device));
    EXPECT_FALSE(HasDriver("ROOT\\F0E1SYS"));
}
