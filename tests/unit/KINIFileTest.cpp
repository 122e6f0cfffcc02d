// Device INI processing on an installed modem: the flags an INI asks for, the reversed copy it leaves, the
// device reset around it, and a folder of INIs whose applications start only when all are in.
#include <gtest/gtest.h>

#include <memory>

#include "SetupRunFixture.h"
#include "common/IniFlags.h"
#include "config/CINIFile.h"
#include "devapi/KDeviceApi.h"

namespace
{

const char* kModemID = "PCI\\VEN_F0E1&DEV_1F10";
const char* kSavedFolder = "C:\\WINDOWS\\TEMP\\{4D36E96D-E325-11CE-BFC1-08002BE10318}0000";

// Opens an INI the way the install does and answers what GetINIInfo made of it.
class FlagReader : public CINIFile
{
public:
    FlagReader() : CINIFile("C:\\DRIVERS") {}
    BOOL Read(const char* pszFile, std::string& csSection, DWORD& dwFlags)
    {
        dwFlags = 0;
        return m_inf.Initialize(pszFile) && GetINIInfo(csSection, &dwFlags);
    }
};

class KINIFileTest : public SetupRunFixture
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile(
            "xp-sp2", "kinifile-modem",
            "[Device.12]\n"
            "InstanceId=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02\\4&2B3C4D5E&0&60F0\n"
            "HardwareIDs=PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1&REV_02|PCI\\VEN_F0E1&DEV_1F10&SUBSYS_1F10F0E1\n"
            "Class=Modem\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\nDriverDesc=Sample Data Fax Modem\n"
            "[Program.APPSETUP]\nLifetime=1000\n");
        return path.c_str();
    }

    static void WriteIni(const std::string& path, const std::string& body)
    {
        ASSERT_TRUE(WriteWholeFile(path, "[Version]\r\nSignature=$CHICAGO$\r\n" + body));
    }
};

TEST_F(KINIFileTest, FlagsFollowTheirKeysAndTheDeviceClass)
{
    struct Case
    {
        const char* pszBody;
        DWORD dwFlags;
        const char* pszSection;
    };
    const Case cases[] = {
        {"DEVTYPE_INI_FILE=1\r\n[FLAGS]\r\nREBOOT=0\r\n", 0, "TASKS"},
        {"DEVTYPE_INI_FILE=1\r\n[FLAGS]\r\nREBOOT=1\r\nSAVE_INI=1\r\nPREINSTALL_FLAG=1\r\n", 0x13, "TASKS"},
        {"DEVTYPE_DVX_INI_FILE=1\r\n[FLAGS]\r\nFORCE_COMPORT=0\r\nCTY_PARMS=1\r\nOVERRIDE_DVEMODEM=1\r\n",
         0x20 | 0x8000000 | 0x100 | 0x1000000, "TASKS"},
        {"DEVTYPE_INI_FILE=1\r\n[TASKS]\r\nAddReg=A\r\nDelReg=D\r\n[A]\r\nHKR,,DriverDesc,,x\r\n"
         "[D]\r\nHKR,WaveDriver,WaveHardwareID\r\n[InstallApp]\r\nInstallApp=x.exe\r\n",
         0x4000000 | 0x2000000 | 0x8, "TASKS"},
        // A model for the device: its own flags and application sections.
        {"DEVTYPE_INI_FILE=1\r\n[Manufacturer]\r\nM=Models\r\n[Models]\r\nModem=Cfg,PCI\\VEN_F0E1&DEV_1F10\r\n"
         "[Cfg]\r\n[Cfg.FLAGS]\r\nRESET_DEVICE=1\r\n[FLAGS]\r\nREBOOT=1\r\n",
         0x4, "Cfg"},
    };
    for (const Case& test : cases)
    {
        WriteIni("C:\\DRIVERS\\F.INI", test.pszBody);
        FlagReader reader;
        reader.Initialize(kModemID);
        std::string csSection;
        DWORD dwFlags = 0;
        ASSERT_TRUE(reader.Read("C:\\DRIVERS\\F.INI", csSection, dwFlags)) << test.pszBody;
        EXPECT_EQ(test.dwFlags, dwFlags) << test.pszBody;
        EXPECT_EQ(test.pszSection, csSection) << test.pszBody;
    }
    // Not a device INI without either DEVTYPE key, however valid its sections.
    WriteIni("C:\\DRIVERS\\F.INI", "[TASKS]\r\nAddReg=A\r\n[A]\r\nHKR,,X,,1\r\n");
    FlagReader reader;
    reader.Initialize(kModemID);
    std::string csSection;
    DWORD dwFlags = 0;
    EXPECT_FALSE(reader.Read("C:\\DRIVERS\\F.INI", csSection, dwFlags));
}

TEST_F(KINIFileTest, ModemOnlyFlagsAreIgnoredForOtherClasses)
{
    WriteIni("C:\\DRIVERS\\F.INI", "DEVTYPE_INI_FILE=1\r\n[FLAGS]\r\nCTY_PARMS=1\r\n");
    FlagReader reader;
    // The codec's audio function: class MEDIA.
    reader.Initialize("HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045");
    EXPECT_EQ(INI_CLASS_OTHER, reader.GetClassType());
    std::string csSection;
    DWORD dwFlags = 0;
    ASSERT_TRUE(reader.Read("C:\\DRIVERS\\F.INI", csSection, dwFlags));
    EXPECT_EQ(0u, dwFlags);
}

TEST_F(KINIFileTest, SavedCopyReversesAddRegAndCopyFilesOnly)
{
    WriteIni("C:\\DRIVERS\\R.INI",
             "DEVTYPE_DVX_INI_FILE=1\r\n[TASKS]\r\nAddReg=a,b\r\ncopyfiles=F\r\nDelReg=c\r\n"
             "[a]\r\nHKR,,A,,1\r\n[b]\r\nHKR,,B,,2\r\n[c]\r\nHKR,,C\r\n[F]\r\n[DestinationDirs]\r\n"
             "F=11\r\n");
    CINIFile ini;
    DWORD dwFlags = 0;
    ASSERT_TRUE(ini.InstallSingleINIFile(kModemID, "C:\\DRIVERS\\R.INI", &dwFlags));
    std::string copy = Read(std::string(kSavedFolder) + "\\R.INI");
    EXPECT_NE(std::string::npos, copy.find("[TASKS]\r\nDelReg=a,b\r\nDelFiles=F\r\nDelReg=c\r\n")) << copy;
    EXPECT_NE(std::string::npos, copy.find("[a]\r\nHKR,,A,,1\r\n")) << copy;
}

TEST_F(KINIFileTest, ResetDeviceDisablesAndEnablesItOnceAroundTheInstall)
{
    WriteIni("C:\\DRIVERS\\A.INI", "DEVTYPE_DVX_INI_FILE=1\r\n[FLAGS]\r\nRESET_DEVICE=1\r\n[TASKS]\r\nAddReg=R\r\n"
                                   "[R]\r\nHKR,,A,,1\r\n");
    WriteIni("C:\\DRIVERS\\B.INI", "DEVTYPE_DVX_INI_FILE=1\r\n[FLAGS]\r\nRESET_DEVICE=1\r\n[TASKS]\r\nAddReg=R\r\n"
                                   "[R]\r\nHKR,,B,,1\r\n");
    CINIFile ini;
    ini.SetINIFlags(1);
    ini.Initialize(kModemID);
    EXPECT_TRUE(ini.EnableDisableDevice(0x4, FALSE));
    EXPECT_TRUE(ini.EnableDisableDevice(0x4, TRUE));
    // Reset once per object: later requests are answered at once.
    EXPECT_TRUE(ini.EnableDisableDevice(0x4, FALSE));
    BOOL bRestart = TRUE;
    EXPECT_EQ(INI_INSTALL_DONE, ini.KINIFile::InstallSingleINIFile("C:\\DRIVERS\\A.INI", &bRestart, FALSE));
    EXPECT_FALSE(bRestart);
    CINIFile other;
    other.Initialize(kModemID);
    EXPECT_FALSE(other.EnableDisableDevice(0x0, FALSE));
}

TEST_F(KINIFileTest, ApplicationsOfAFolderStartAfterEveryIniIsIn)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\DRIVERS\\INIS", nullptr));
    ASSERT_TRUE(WriteImage("C:\\DRIVERS\\INIS\\APP.EXE", "exe", "APPSETUP"));
    for (const char* pszName : {"ONE", "TWO", "THREE"})
        WriteIni(std::string("C:\\DRIVERS\\INIS\\") + pszName + ".INI",
                 std::string("DEVTYPE_DVX_INI_FILE=1\r\n[TASKS]\r\nAddReg=R\r\n[R]\r\nHKR,,") + pszName +
                     ",,1\r\n[InstallApp]\r\nInstallApp=APP.EXE, -" + pszName + "\r\n");
    CINIFile ini;
    EXPECT_FALSE(ini.InstallINIFiles(kModemID, "C:\\DRIVERS\\INIS"));
    std::string journal = Winsim("journal '" + MachineDir() + "'");
    size_t nFirstStart = journal.find("process  create       C:\\DRIVERS\\INIS\\APP.EXE");
    ASSERT_NE(std::string::npos, nFirstStart) << journal.substr(journal.size() > 3000 ? journal.size() - 3000 : 0);
    for (const char* pszName : {"\"ONE\"", "\"TWO\"", "\"THREE\""})
    {
        size_t nValue = journal.find(pszName);
        ASSERT_NE(std::string::npos, nValue) << pszName << journal;
        EXPECT_LT(nValue, nFirstStart) << pszName;
    }
    EXPECT_NE(std::string::npos, journal.find("APP.EXE\"-THREE")) << journal;
}

} // namespace
