// A configuration INI beside Setup.exe with device sections: the first section whose device is present
// decides the run. Its install folder replaces the package folder, and after the install its cabinet is
// unpacked below Program Files and the folder is recorded for the uninstall. A silent install of the
// sample package on the default machine, run with `winsim run` as a user would.
#include <gtest/gtest.h>

#include <string>

#include "SampleCabinet.h"
#include "SetupRunFixture.h"
#include "platform/CRegistryKey.h"

namespace
{

const char* const LOG = "C:\\DRIVERS\\NORVALIS_INSTALL.LOG";
const char* const CAB_FOLDER = "C:\\Program Files\\Sample Modems\\Codec";

// The USB DSL modem of the default machine is not plugged in; the HD Audio codec is present.
const char* const CONFIG_INI = "; Device sections of the package\r\n"
                               "[DEVICE]\r\n"
                               "DEVICEID=USB\\VID_F0E1&PID_3A01\r\n"
                               "CABFILE=EXTRAS.CAB, \\Sample Modems\\DSL\r\n"
                               "[DEVICE]\r\n"
                               "DEVICEID=HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045\r\n"
                               "CABFILE=EXTRAS.CAB, \\Sample Modems\\Codec\r\n"
                               "[DRIVER_XP]\r\n"
                               "INSTALL_PATH=\\CODEC\r\n"
                               "FRIENDLY_NAME=Sample Codec Package\r\n";

class DeviceIniDataScenarioTest : public SamplePackageRunFixture
{
protected:
    void SetUp() override
    {
        SamplePackageRunFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const std::string cabinet(reinterpret_cast<const char*>(kSampleCabinet), sizeof(kSampleCabinet));
        ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\EXTRAS.CAB", cabinet));
        // The codec's driver alone in the folder the device section names.
        ASSERT_TRUE(CreateDirectoryA("C:\\DRIVERS\\CODEC", nullptr));
        for (const char* pszFile : {"HDAUDSMP.INF", "hdaudsmp.cat", "hdaudsmp.sys", "hdapanel.exe", "hdapanel.dll"})
            ASSERT_TRUE(CopyFileA((std::string("C:\\DRIVERS\\") + pszFile).c_str(),
                                  (std::string("C:\\DRIVERS\\CODEC\\") + pszFile).c_str(), FALSE))
                << pszFile;
    }

    static bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static std::string CabPathValue()
    {
        std::string value;
        CRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\DVX\\INSTALL_INFO").ReadString("DeviceCabFilePath", value);
        return value;
    }
};

} // namespace

TEST_F(DeviceIniDataScenarioTest, PresentDeviceSectionChoosesTheFolderAndItsCabinetIsUnpacked)
{
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\CODECCFG.INI", CONFIG_INI));
    ASSERT_EQ(0, Run("-S -L -F2"));
    const std::string log = Read(LOG);

    // The absent modem's section is passed over; the codec's fills the install data.
    EXPECT_TRUE(Has(log, "pDeviceINIInstallData->csDeviceID = HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045\r\n")) << log;
    EXPECT_TRUE(Has(log, "pDeviceINIInstallData->csCabFileName = C:\\DRIVERS\\EXTRAS.CAB\r\n")) << log;
    EXPECT_TRUE(Has(log, "pDeviceINIInstallData->csCabFileDestPath = C:\\Program Files\\Sample Modems\\Codec\\\r\n"))
        << log;
    EXPECT_TRUE(Has(log, "pSetupParms->csForcedInstallFriendlyName = Sample Codec Package\r\n")) << log;
    EXPECT_TRUE(Has(log, "pSetupParms->csForcedInstallPath = C:\\DRIVERS\\CODEC\r\n")) << log;

    // Only the named folder's INF is installed: the codec, and none of the package's modems.
    EXPECT_TRUE(Has(log, "Install this device = HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045&SUBSYS_F0E10001")) << log;
    EXPECT_FALSE(Has(log, "Install this device = PCI\\")) << log;
    EXPECT_TRUE(Has(log, "csDeviceDesc = Sample HD Audio Codec, SetupStatus = DEVICE_UPGRADED")) << log;
    EXPECT_TRUE(Has(Read("C:\\DRIVERS\\SETUP.LOG"), "ResultCode=0"));

    // After the install: the cabinet below Program Files, its folder recorded without the last backslash.
    EXPECT_TRUE(Has(log, "bDeviceINIInstallData =  1, csFilePath = C:\\DRIVERS\\\r\n")) << log;
    EXPECT_TRUE(Exists(std::string(CAB_FOLDER) + "\\MDMSAMPL.INF"));
    EXPECT_FALSE(Exists("C:\\Program Files\\Sample Modems\\DSL"));
    EXPECT_EQ(CAB_FOLDER, CabPathValue());
    // The numbered copy of the INI made for the search is gone.
    EXPECT_FALSE(Exists("C:\\WINDOWS\\TEMP\\CODECCFG.INI"));
}

TEST_F(DeviceIniDataScenarioTest, NoPresentDeviceLeavesThePackageAsItIs)
{
    const std::string ini = CONFIG_INI;
    // Only the absent modem's section.
    ASSERT_TRUE(
        WriteWholeFile("C:\\DRIVERS\\CODECCFG.INI", ini.substr(0, ini.find("[DEVICE]", ini.find("[DEVICE]") + 1))));
    ASSERT_EQ(0, Run("-S -L -F2"));
    const std::string log = Read(LOG);

    EXPECT_TRUE(Has(log, "CPrepareInstall::GetDeviceINIBasedInstallParms : bRetVal = 0")) << log;
    EXPECT_FALSE(Has(log, "pSetupParms->csForcedInstallPath")) << log;
    // The package folder as usual: the PCI modem is among the devices.
    EXPECT_TRUE(Has(log, "Install this device = PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01")) << log;
    EXPECT_TRUE(Has(log, "bDeviceINIInstallData =  0, csFilePath = C:\\DRIVERS\\\r\n")) << log;
    EXPECT_FALSE(Exists("C:\\Program Files\\Sample Modems\\DSL"));
    EXPECT_EQ("", CabPathValue());
    EXPECT_FALSE(Exists("C:\\WINDOWS\\TEMP\\CODECCFG.INI"));
}
