// A device INI's install section applied through the INF reader: its AddReg lines land under the device's
// driver key and its files in their DestinationDirs folder, as `winsim reg export` and the file show.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "FileText.h"
#include "HostCommand.h"
#include "ProductMachine.h"
#include "inf/CInf.h"
#include "devapi/KDeviceApi.h"

namespace
{

const char* kDriverKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";

class DeviceIniInstallScenarioTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("WINSIM_BIN");
        if (!bin || !*bin)
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        m_winsim = std::string(bin) + "/winsim";
        ProductMachine::SetUp();
        // The sample package, copied onto the machine as a user would.
        std::string put = "'" + m_winsim + "' put '" + MachineDir() + "' '" + DRVSETUP_SOURCE_DIR +
                          "/samples/package' 'C:\\DRIVERS' >/dev/null 2>&1";
        ASSERT_EQ(0, std::system(put.c_str()));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDriverKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &m_hDriverKey, nullptr));
    }
    void TearDown() override
    {
        if (m_hDriverKey)
            RegCloseKey(m_hDriverKey);
        ProductMachine::TearDown();
    }

    std::string RegExport()
    {
        return HostCommandOutput("'" + m_winsim + "' reg '" + MachineDir() + "' export 'HKLM\\" + kDriverKey + "'");
    }

    std::string m_winsim;
    HKEY m_hDriverKey = nullptr;
};

TEST_F(DeviceIniInstallScenarioTest, InstallSectionWritesUnderTheGivenKeyAndCopiesItsFiles)
{
    CInf ini;
    ASSERT_TRUE(ini.Initialize("C:\\DRIVERS\\MDMCFG.INI"));
    ASSERT_TRUE(ini.InstallINFSection("TASKS", m_hDriverKey));

    // HKR is the key handed in; the types follow the AddReg flags (0x00010001 DWORD, 1 binary, none string).
    std::string exported = RegExport();
    EXPECT_NE(std::string::npos, exported.find("\\0000\\Settings]")) << exported;
    EXPECT_NE(std::string::npos, exported.find("\"Country\"=dword:000000b5")) << exported;
    EXPECT_NE(std::string::npos, exported.find("\"Region\"=\"North America\"")) << exported;
    EXPECT_NE(std::string::npos, exported.find("\"Blacklisting\"=hex:01,00,00,00")) << exported;
    EXPECT_NE(std::string::npos, exported.find("\"UserInit\"=\"ATS7=60\"")) << exported;

    // DestinationDirs 11,"Sample Modems": the system folder's subfolder, made on the way.
    std::string copied;
    std::string source;
    ASSERT_TRUE(ReadWholeFile("C:\\WINDOWS\\system32\\Sample Modems\\mdmcty.dat", copied));
    ASSERT_TRUE(ReadWholeFile("C:\\DRIVERS\\mdmcty.dat", source));
    EXPECT_EQ(source, copied);
}

TEST_F(DeviceIniInstallScenarioTest, MissingSectionFailsBothPassesAndChangesNothing)
{
    CInf ini;
    ASSERT_TRUE(ini.Initialize("C:\\DRIVERS\\MDMCFG.INI"));
    EXPECT_FALSE(ini.InstallINFSection("NO_SUCH_SECTION", m_hDriverKey));
    EXPECT_EQ(std::string::npos, RegExport().find("Settings"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\WINDOWS\\system32\\Sample Modems"));

    CInf closed;
    EXPECT_FALSE(closed.InstallINFSection("TASKS", m_hDriverKey));
}

} // namespace
