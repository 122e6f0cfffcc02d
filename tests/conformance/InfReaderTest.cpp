// The INF reader on the platform's INF functions: the same INF and the same answers on winsim and Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "FileText.h"
#include "ProductMachine.h"
#include "WineDifference.h"
#include "inf/CInf.h"
#include "devapi/KDeviceApi.h"

namespace
{

const char* kPciModemInf = R"INF(; A PCI soft modem driver package, shaped like the package's own INFs.
[Version]
Signature="$Windows NT$"
Class=Modem
ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}
Provider=%Mfg%
DriverVer=06/01/2007,7.1.0.0

[Manufacturer]
%Mfg%=Models,NTx86,NTx86.5.1,NTamd64,NTamd64.6.0

[Models.NTx86]
%Modem.Subsys%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1
%Modem.Rev%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01
%Modem.NoSubsys%=Other_Install, PCI\VEN_F0E1&DEV_2F30&REV_01

[Models.NTx86.5.1]
%Modem.Subsys%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1
%Modem.Rev%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01
%Modem.NoSubsys%=Other_Install, PCI\VEN_F0E1&DEV_2F30&REV_01

[Models.NTamd64]
%Modem.Subsys%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1
%Modem.Rev%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01
%Modem.NoSubsys%=Other_Install, PCI\VEN_F0E1&DEV_2F30&REV_01

[Models.NTamd64.6.0]
%Modem.Subsys%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1
%Modem.Rev%=Modem_Install, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01
%Modem.NoSubsys%=Other_Install, PCI\VEN_F0E1&DEV_2F30&REV_01

[Modem_Install.NT]
CopyFiles=Modem_Files, Inf_Files
AddReg=Modem_AddReg
Include=mdmgen.inf, ks.inf

[Modem_Install.NT.HW]
AddReg=Child_AddReg

[Modem_Install.NT.Services]
AddReg=Service_AddReg

[Other_Install.NT]
CopyFiles=Modem_Files

[Modem_Files]
mdmsampl.sys,,,0x00002000
mdmhelp.dll,,,16
mdmplain.dll

[Inf_Files]
mdmsampl.inf
mdmsampl.cat

[Modem_AddReg]
HKR,,FriendlyDriver,,mdmsampl.sys
HKR,WaveDriver,WaveHardwareID,,"HDAUDIO\FUNC_02&VEN_F0E1&DEV_2F20"
HKLM,"Software\Sample Modems\INSTALLCONTROL\KILLAPPSLIST",Companion,,"MDMAPP.EXE"

[Service_AddReg]
HKR,,Service,,mdmsampl

[Child_AddReg]
HKR,CHILD0000,HardwareID,,"MDMSAMPL\CHILD_AUDIO"

[DestinationDirs]
DefaultDestDir=12
Inf_Files=17

[SourceDisksNames]
1=%Disk%,,,

[SourceDisksFiles]
mdmsampl.sys=1,drivers
mdmhelp.dll=1
mdmplain.dll=1
mdmsampl.inf=1
mdmsampl.cat=1

[Strings]
Mfg="Sample Modems"
Modem.Subsys="Sample PCI Soft Modem"
Modem.Rev="Sample PCI Soft Modem (rev 1)"
Modem.NoSubsys="Sample PCI Soft Modem without subsystem"
Disk="Sample driver disk"
)INF";

const char* kNoManufacturerInf = R"INF([Version]
Signature="$Windows NT$"
Class=Modem

[Strings]
X="y"
)INF";

// INF text with CR LF line ends, as package INFs are written.
std::string CrLf(const char* pszText)
{
    std::string text;
    for (const char* p = pszText; *p; ++p)
    {
        if (*p == '\n')
            text += '\r';
        text += *p;
    }
    return text;
}

class InfReaderTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        m_inf = ScratchFolder() + "\\PCIMODEM.INF";
        ASSERT_TRUE(WriteWholeFile(m_inf, CrLf(kPciModemInf)));
        ASSERT_TRUE(WriteWholeFile(ScratchFolder() + "\\NOMFG.INF", CrLf(kNoManufacturerInf)));
    }
    void TearDown() override { ProductMachine::TearDown(); }
    std::string m_inf;

    // The models section the running platform must pick: the tests run on 32-bit Windows XP (winsim's
    // xp-sp2, Wine's x86 run in a 32-bit prefix) and on 64-bit Windows Vista (winsim's vista-x64, Wine's x64
    // run). Decorations name the machine's processor, not the program's; the most specific decoration that
    // fits wins: NTx86.5.1 over NTx86, NTamd64.6.0 over NTamd64.
    static std::string ExpectedModelsSection()
    {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        SYSTEM_INFO system = {};
        if (!GetVersionExA(&version))
            return "(GetVersionExA failed)";
        GetNativeSystemInfo(&system);
        bool bAmd64 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
        if (!bAmd64 && version.dwMajorVersion == 5 && version.dwMinorVersion == 1)
            return "Models.NTx86.5.1";
        if (bAmd64 && version.dwMajorVersion == 6 && version.dwMinorVersion == 0)
            return "Models.NTamd64.6.0";
        return "(a platform these tests do not expect)";
    }
};

// The same INF on 64-bit Windows Vista.
class InfReaderVistaTest : public InfReaderTest
{
protected:
    const char* Profile() const override { return "vista-x64"; }
};

TEST_F(InfReaderVistaTest, ManufacturerTagPicksTheMostSpecificDecoration)
{
    CInf inf;
    ASSERT_TRUE(inf.Initialize(m_inf.c_str()));
    EXPECT_EQ(ExpectedModelsSection(), inf.GetManufacturerTag());
    CStringList ids;
    EXPECT_EQ(3u, inf.GetHardwareIDList(ids));
}

TEST_F(InfReaderTest, ManufacturerTagAndModelForms)
{
    CInf inf;
    ASSERT_TRUE(inf.Initialize(m_inf.c_str()));
    EXPECT_EQ(ScratchFolder(), inf.GetINFPath());
    EXPECT_EQ(ExpectedModelsSection(), inf.GetManufacturerTag());
    // The first model line (SUBSYS_, 33 characters after the enumerator) is a supported form.
    EXPECT_TRUE(inf.HasValidModelHardwareID());

    CInf none;
    ASSERT_TRUE(none.Initialize((ScratchFolder() + "\\NOMFG.INF").c_str()));
    EXPECT_EQ("NVLS_XYZ_INF", none.GetManufacturerTag());
    EXPECT_FALSE(none.HasValidModelHardwareID());
    CStringList ids;
    EXPECT_EQ(0u, none.GetHardwareIDList(ids));

    CInf missing;
    EXPECT_FALSE(missing.Initialize((ScratchFolder() + "\\ABSENT.INF").c_str()));
    EXPECT_FALSE(missing.HasValidModelHardwareID());
    EXPECT_EQ(0u, missing.GetHardwareIDList(ids));
}

TEST_F(InfReaderTest, HardwareIDsAndInstallSections)
{
    CInf inf;
    ASSERT_TRUE(inf.Initialize(m_inf.c_str()));
    CStringList ids;
    ASSERT_EQ(3u, inf.GetHardwareIDList(ids));
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", ids[0]);
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F30&REV_01", ids[2]);

    std::string csMatch;
    EXPECT_TRUE(inf.FindHardwareID("ven_f0e1&dev_2f20&subsys_200ff0e1&rev_01", &csMatch));
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", csMatch);
    EXPECT_FALSE(inf.FindHardwareID("VEN_8086&DEV_1234", nullptr));

    std::string csSection;
    EXPECT_TRUE(inf.GetInstallSectionForID("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01", csSection));
    EXPECT_EQ("Modem_Install.NT", csSection);
    EXPECT_FALSE(inf.GetInstallSectionForID("PCI\\VEN_8086&DEV_1234", csSection));

    std::string csDescription;
    EXPECT_TRUE(inf.GetModelLineField("pci\\ven_f0e1&dev_2f30&rev_01", csDescription));
    EXPECT_EQ("Sample PCI Soft Modem without subsystem", csDescription);
    EXPECT_TRUE(inf.IncludesKernelStreaming("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1"));
    EXPECT_FALSE(inf.IncludesKernelStreaming("PCI\\VEN_F0E1&DEV_2F30&REV_01"));
}

TEST_F(InfReaderTest, CopyFilesWithFlagsTypesAndPaths)
{
    CInf inf;
    ASSERT_TRUE(inf.Initialize(m_inf.c_str()));
    CCopyFilesList files;
    ASSERT_EQ(5u, inf.GetCopyFilesList("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", files));
    EXPECT_EQ("mdmsampl.sys", files[0].kFileName);
    // Windows adds the [SourceDisksFiles] subfolder; Wine returns only the [SourceDisksNames] path.
    if (!RunningUnderWine())
    {
        EXPECT_EQ(ScratchFolder() + "\\drivers\\mdmsampl.sys", files[0].kSourceFile);
    }
    EXPECT_EQ(0x2000u, files[0].dwCopyFlags);
    EXPECT_EQ(16u, files[1].dwCopyFlags);
    EXPECT_EQ(0u, files[2].dwCopyFlags);
    EXPECT_EQ(ScratchFolder() + "\\mdmhelp.dll", files[1].kSourceFile);
    EXPECT_EQ(static_cast<DWORD>(INF_FILE_TYPE_OTHER), files[0].dwFileType);
    char szSystem[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(szSystem, MAX_PATH));
    EXPECT_EQ(std::string(szSystem) + "\\drivers\\mdmsampl.sys", files[0].kDestinationFile);
    // The INF and its catalog go to the INF folder (DIRID 17); the type is read from the name as written.
    EXPECT_EQ("mdmsampl.inf", files[3].kFileName);
    EXPECT_EQ(static_cast<DWORD>(INF_FILE_TYPE_OTHER), files[3].dwFileType);
    char szWindows[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryA(szWindows, MAX_PATH));
    EXPECT_EQ(std::string(szWindows) + "\\inf\\mdmsampl.inf", files[3].kDestinationFile);

    CCopyFilesList all;
    // Every model line counts, so models that share an install section list its files again.
    EXPECT_EQ(13u, inf.GetAllCopyFilesList(all));
}

TEST_F(InfReaderTest, RegistryChildWaveAndKillLists)
{
    CInf inf;
    ASSERT_TRUE(inf.Initialize(m_inf.c_str()));
    CAddRegList entries;
    EXPECT_EQ(4u, inf.GetAddRegList("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", "HKR", entries));

    std::string csValue;
    EXPECT_TRUE(inf.FindAddRegValue("ALL", "wavedriver", "WaveHardwareID", csValue));
    EXPECT_EQ("HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20", csValue);
    std::string csWave;
    EXPECT_TRUE(inf.GetWaveHardwareID(csWave));
    EXPECT_EQ(csValue, csWave);

    std::string csChild;
    EXPECT_TRUE(inf.GetChildHardwareIDForModel("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", csChild));
    EXPECT_EQ("MDMSAMPL\\CHILD_AUDIO", csChild);
    CStringList children;
    EXPECT_TRUE(inf.GetChildHardwareIDList("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", 2, children));
    // The CHILD0000 line answers the keyless search and each "ENUM\\Device%d" search alike.
    EXPECT_EQ(CStringList(3, "MDMSAMPL\\CHILD_AUDIO"), children);

    CStringList kill;
    ASSERT_EQ(2u, inf.GetKillAppsList(kill));
    EXPECT_EQ("MDMAPP.EXE", kill[0]);

    CAddRegList raw;
    EXPECT_TRUE(inf.GetRegEntries("Modem_Install.NT.Services", "HKR", CInf::REG_ENTRIES_ADDREG, raw));
    ASSERT_EQ(1u, raw.size());
    EXPECT_EQ("EMPTY", raw[0].kRegKey);
    EXPECT_EQ("Service", raw[0].kValueName);
    EXPECT_EQ("EMPTY", raw[0].kFlags);
    EXPECT_EQ("mdmsampl", raw[0].kValueData);
}

TEST_F(InfReaderTest, ListsKeepTheFirstFiveHundredEntries)
{
    std::string text =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n[Manufacturer]\r\nMaker=Models\r\n\r\n[Models]\r\n";
    for (int i = 0; i < 600; ++i)
    {
        char szLine[128];
        snprintf(szLine, sizeof(szLine), "Modem %d=Install, PCI\\VEN_F0E1&DEV_%04X&SUBSYS_200FF0E1\r\n", i, i);
        text += szLine;
    }
    std::string path = ScratchFolder() + "\\MANY.INF";
    ASSERT_TRUE(WriteWholeFile(path, text));
    CInf inf;
    ASSERT_TRUE(inf.Initialize(path.c_str()));
    EXPECT_EQ("Models", inf.GetManufacturerTag());
    CStringList ids;
    ASSERT_EQ(MAX_INF_LIST_ENTRIES, inf.GetHardwareIDList(ids));
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_0000&SUBSYS_200FF0E1", ids.front());
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_01F3&SUBSYS_200FF0E1", ids.back());
}

TEST_F(InfReaderTest, AudioEndpointLinesOfADeviceIni)
{
    const char* kIni = "[Version]\r\nSignature=$CHICAGO$\r\nDEVTYPE_INI_FILE=1\r\n\r\n"
                       "[VistaWaveRTEdit1]\r\n"
                       "0, \"{a45c254e-df1c-4efd-8020-67d146a850e0},2\", 0x11111111, \"Speakers\"\r\n"
                       "1 , \"{d04e05a6-594b-4fb6-a80d-01af5eed7d1d},3\",0x00010001,  \"  5  \"\r\n"
                       "2,OnlyValue\r\n";
    std::string path = ScratchFolder() + "\\AUDIO.INI";
    ASSERT_TRUE(WriteWholeFile(path, kIni));
    CInf ini;
    ASSERT_TRUE(ini.Initialize(path.c_str()));

    CVistaWaveRTRegList lines;
    ASSERT_TRUE(ini.GetINIVistaWaveRTRegData("VistaWaveRTEdit1", lines));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("0", lines[0].kFlag);
    EXPECT_EQ("{a45c254e-df1c-4efd-8020-67d146a850e0},2", lines[0].kValue);
    EXPECT_EQ("0x11111111", lines[0].kValueType);
    EXPECT_EQ("Speakers", lines[0].kValueData);
    // Fields are trimmed of blanks, quoted ones too.
    EXPECT_EQ("1", lines[1].kFlag);
    EXPECT_EQ("5", lines[1].kValueData);
    // Absent fields read "EMPTY".
    EXPECT_EQ("OnlyValue", lines[2].kValue);
    EXPECT_EQ("EMPTY", lines[2].kValueType);
    EXPECT_EQ("EMPTY", lines[2].kValueData);

    EXPECT_FALSE(ini.GetINIVistaWaveRTRegData("VistaWaveRTEdit2", lines));
    EXPECT_EQ(3u, lines.size());
}

} // namespace
