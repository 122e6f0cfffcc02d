// The modem's entries follow what its device INI changed: the port is opened once with the modem's
// settings, a new description reaches every name the modem is known by, and a wave function the INI
// dropped goes with its keys. Also the wait for the audio device that some applications need.
#include <gtest/gtest.h>

#include <memory>

#include "SetupRunFixture.h"
#include "config/CINIFile.h"
#include "config/KINIAudio.h"
#include "devapi/KDeviceApi.h"
#include "platform/CRegistryKey.h"

namespace
{

const char* kModemID = "PCI\\VEN_F0E1&DEV_1F10";
const char* kDriverKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";
const char* kEnumKey =
    "SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02\\4&2B3C4D5E&0&60F0";
const char* kWaveEnumKey = "SYSTEM\\CurrentControlSet\\Enum\\MODEMWAVE\\F0E1_1F10\\5&1111&0&0";
const char* kDeviceSpecific = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Unimodem\\DeviceSpecific\\";
const char* kOldName = "Sample Data Fax Modem";
const char* kNewName = "Sample V.92 Modem";

class ModemUpkeepScenarioTest : public SetupRunFixture
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile(
            "xp-sp2", "modem-upkeep",
            "[Device.12]\n"
            "InstanceId=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02\\4&2B3C4D5E&0&60F0\n"
            "HardwareIDs=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02|PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1\n"
            "Class=Modem\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\nDriverDesc=Sample Data Fax Modem\n"
            "ProviderName=Sample Modems\n"
            "[Device.13]\n"
            "InstanceId=MODEMWAVE\\F0E1_1F10\\5&1111&0&0\nHardwareIDs=MODEMWAVE\\F0E1_1F10\n"
            "Class=MEDIA\nClassGUID={4D36E96C-E325-11CE-BFC1-08002BE10318}\nDriverDesc=Sample Modem Wave\n"
            "[SerialPorts]\nCOM3=busy 2\n"
            "[WaveOut]\nAvailableFrom=3000\n");
        return path.c_str();
    }

    void SetUp() override
    {
        SetupRunFixture::SetUp();
        CRegistryKey driver(HKEY_LOCAL_MACHINE, kDriverKey);
        ASSERT_TRUE(driver.WriteString("AttachedTo", "COM3"));
        ASSERT_TRUE(driver.WriteString("Manufacturer", "Sample Modems"));
        ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, std::string(kDriverKey) + "\\WaveDriver")
                        .WriteString("WaveHardwareID", "F0E1_1F10"));
    }

    std::string Ports() { return Winsim("ports '" + MachineDir() + "'"); }

    static std::string Value(const std::string& key, const char* name)
    {
        std::string value;
        CRegistryKey(HKEY_LOCAL_MACHINE, key).ReadString(name, value);
        return value;
    }

    static BOOL Install(const std::string& text, DWORD* pdwFlags)
    {
        static int n = 0;
        std::string path = "C:\\DRIVERS\\UPKEEP" + std::to_string(++n) + ".INI";
        EXPECT_TRUE(WriteWholeFile(path, "[Version]\r\nSignature=$CHICAGO$\r\nDEVTYPE_DVX_INI_FILE=1\r\n" + text));
        CINIFile ini;
        return ini.InstallSingleINIFile(kModemID, path.c_str(), pdwFlags);
    }
};

TEST_F(ModemUpkeepScenarioTest, CountryParametersResetThePortOnceWithTheModemSettings)
{
    // The port is held by someone else for two tries; the third gets it. A second INI of the same object
    // does not open it again.
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\CTY.INI", "[Version]\r\nSignature=$CHICAGO$\r\nDEVTYPE_DVX_INI_FILE=1\r\n"
                                                       "[FLAGS]\r\nCTY_PARMS=1\r\n[TASKS]\r\nAddReg=R\r\n"
                                                       "[R]\r\nHKR,,Country,0x00010001,1\r\n"));
    ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\CTY2.INI", "[Version]\r\nSignature=$CHICAGO$\r\nDEVTYPE_DVX_INI_FILE=1\r\n"
                                                        "[FLAGS]\r\nCTY_PARMS=1\r\n[TASKS]\r\nAddReg=R\r\n"
                                                        "[R]\r\nHKR,,Region,0x00010001,2\r\n"));
    CINIFile ini;
    ini.SetINIFlags(1);
    ini.Initialize(kModemID);
    BOOL bRestart = FALSE;
    EXPECT_EQ(0, ini.KINIFile::InstallSingleINIFile("C:\\DRIVERS\\CTY.INI", &bRestart, FALSE));
    EXPECT_EQ(0, ini.KINIFile::InstallSingleINIFile("C:\\DRIVERS\\CTY2.INI", &bRestart, FALSE));
    EXPECT_FALSE(bRestart);

    std::string ports = Ports();
    EXPECT_NE(std::string::npos, ports.find("free, 1 opens so far, 0 busy opens left")) << ports;
    EXPECT_NE(std::string::npos,
              ports.find("dcb:      115200 8N1, binary on, parity check off, out-flow CTS on DSR off, DTR enable, DSR "
                         "sensitivity off, TX continue on XOFF on, XON/XOFF out off in off, error char off, null "
                         "strip off, RTS handshake, abort on error on, XON limit 80, XOFF limit 200, chars XON 17 "
                         "XOFF 19 error 204 EOF 204 event 204"))
        << ports;
    EXPECT_NE(std::string::npos, ports.find("timeouts: read interval 1, read 0 x + 0, write 0 x + 0")) << ports;
    EXPECT_NE(std::string::npos, ports.find("queues:   2048 in, 1024 out")) << ports;
    EXPECT_NE(std::string::npos, ports.find("lines:    DTR on")) << ports;
}

TEST_F(ModemUpkeepScenarioTest, NewDescriptionRenamesEveryPlaceTheModemIsKnownBy)
{
    std::string oldKey = std::string(kDeviceSpecific) + kOldName + "::Sample Modems::Sample Modems";
    std::string newKey = std::string(kDeviceSpecific) + kNewName + "::Sample Modems::Sample Modems";
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, oldKey).WriteString("Init", "ATZ"));
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, oldKey + "\\Responses").WriteString("OK", "0"));
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, uninstall + "Modem1").WriteString("DisplayName", kOldName));
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, uninstall + "Modem2").WriteString("DisplayName", kOldName));
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\mdmsmpl")
                    .WriteString("DriverDesc", kOldName));
    ASSERT_EQ(kOldName, Value(kEnumKey, "DeviceDesc"));

    DWORD dwFlags = 1;
    ASSERT_TRUE(
        Install(std::string("[TASKS]\r\nAddReg=R\r\n[R]\r\nHKR,,DriverDesc,,\"") + kNewName + "\"\r\n", &dwFlags));
    // A new description needs a restart.
    EXPECT_EQ(0x2u, dwFlags & 0x2u);
    EXPECT_EQ(std::string("C:\\WINDOWS\\ModemLog_") + kNewName + ".txt", Value(kDriverKey, "LoggingPath"));
    EXPECT_EQ(std::string(kNewName) + "::Sample Modems::Sample Modems", Value(kDriverKey, "ResponsesKeyName"));
    EXPECT_FALSE(CRegistryKey(HKEY_LOCAL_MACHINE, oldKey).Exists());
    EXPECT_EQ("ATZ", Value(newKey, "Init"));
    EXPECT_EQ("0", Value(newKey + "\\Responses", "OK"));
    EXPECT_EQ(kNewName, Value("SOFTWARE\\Microsoft\\Ras\\Tapi Devices\\Unimodem", "Friendly Name"));
    EXPECT_EQ(kNewName, Value(uninstall + "Modem1", "DisplayName"));
    EXPECT_EQ(kOldName, Value(uninstall + "Modem2", "DisplayName"));
    EXPECT_EQ(kNewName, Value("SYSTEM\\CurrentControlSet\\Services\\mdmsmpl", "Model"));
    EXPECT_EQ(kNewName, Value(kEnumKey, "DeviceDesc"));
    EXPECT_EQ(kNewName, Value(kEnumKey, "FriendlyName"));

    // The same description again changes nothing and asks for no restart.
    dwFlags = 1;
    ASSERT_TRUE(
        Install(std::string("[TASKS]\r\nAddReg=R\r\n[R]\r\nHKR,,DriverDesc,,\"") + kNewName + "\"\r\n", &dwFlags));
    EXPECT_EQ(0u, dwFlags & 0x2u);
    EXPECT_EQ(kOldName, Value(uninstall + "Modem2", "DisplayName"));
}

TEST_F(ModemUpkeepScenarioTest, DroppedWaveFunctionGoesWithItsKeysButNeverTheWholeClassKey)
{
    std::string waveDriver = "SYSTEM\\CurrentControlSet\\Control\\Class\\" + Value(kWaveEnumKey, "Driver");
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, waveDriver).Exists()) << waveDriver;

    // A wave device whose Driver value is empty: nothing is removed.
    ASSERT_TRUE(CRegistryKey::ResetAccess(HKEY_LOCAL_MACHINE, kWaveEnumKey));
    std::string driverName = Value(kWaveEnumKey, "Driver");
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, kWaveEnumKey).WriteString("Driver", ""));
    DWORD dwFlags = 1;
    ASSERT_TRUE(Install("[TASKS]\r\nDelReg=D\r\n[D]\r\nHKR,WaveDriver,WaveHardwareID\r\n", &dwFlags));
    EXPECT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, kWaveEnumKey).Exists());
    EXPECT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, waveDriver).Exists());
    EXPECT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Class").Exists());

    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, kWaveEnumKey).WriteString("Driver", driverName));
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, std::string(kDriverKey) + "\\WaveDriver")
                    .WriteString("WaveHardwareID", "F0E1_1F10"));
    ASSERT_TRUE(Install("[TASKS]\r\nDelReg=D\r\n[D]\r\nHKR,WaveDriver,WaveHardwareID\r\n", &dwFlags));
    EXPECT_FALSE(CRegistryKey(HKEY_LOCAL_MACHINE, kWaveEnumKey).Exists());
    EXPECT_FALSE(CRegistryKey(HKEY_LOCAL_MACHINE, waveDriver).Exists());
    EXPECT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, kDriverKey).Exists());
}

TEST_F(ModemUpkeepScenarioTest, AudioWaitEndsWhenTheWaveDeviceComesUpOrAfterItsTime)
{
    EXPECT_FALSE(KINIAudio::WaitUntilNorvalisAudioDeviceRunning(1000));
    EXPECT_TRUE(KINIAudio::WaitUntilNorvalisAudioDeviceRunning(10000));
    // Formats Windows refuses, and a device that is there.
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 176400, 3, 16, 0};
    HWAVEOUT hWave = nullptr;
    EXPECT_EQ(static_cast<MMRESULT>(WAVERR_BADFORMAT), waveOutOpen(&hWave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL));
    format.nBlockAlign = 4;
    ASSERT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), waveOutOpen(&hWave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), waveOutClose(hWave));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_INVALHANDLE), waveOutClose(hWave));
}

} // namespace
