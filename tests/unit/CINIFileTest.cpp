// The configuration INI on a package folder: switches it adds, device sections and the files generated
// for them.
#include <gtest/gtest.h>

#include <algorithm>

#include "FileText.h"
#include "IniFolderMachine.h"
#include "config/CINIFile.h"
#include "platform/StringUtil.h"

namespace
{

class CINIFileTest : public IniFolderMachine
{
};

TEST_F(CINIFileTest, SwitchRowsAddTheirSwitchWhateverTheValue)
{
    WriteIni("SETUP.INI", "[DVXSetupCfg]\r\nCOMMAND_LINE=-x\r\nDisableSplashScreenDlgBox=0\r\n"
                          "RLMInstallPathAC97=rlm\\ac97\r\nHDAudioBusQFEName=kb888111\r\nNvlsCrossCert=Cross.cer\r\n");
    CINIFile ini(ScratchFolder().c_str());
    SETUP_PARMS parms;
    std::string csCmdLine = "-L";
    ini.GetDVXSetupCfgParms(csCmdLine, &parms);
    EXPECT_EQ("-L-X-S1", csCmdLine);
    EXPECT_EQ(ini.GetINIPath(), ScratchFolder() + "\\");
    EXPECT_EQ(ToUpper(ScratchFolder() + "\\rlm\\ac97\\"), parms.csRlmInstallPathAC97);
    EXPECT_EQ("KB888111", parms.csHDAudioBusQFEName);
    EXPECT_EQ("Cross.cer", parms.csCertFileName);
}

TEST_F(CINIFileTest, TwoIniFilesContributeOnceEachWithoutSeparator)
{
    WriteIni("A.INI", "[DVXSetupCfg]\r\nEnableBusyProgBar=1\r\nCOMMAND_LINE=\"-k=x.exe\"\r\n");
    WriteIni("B.INI", "[DVXSetupCfg]\r\nDisableStatusUpgrade=1\r\n");
    WriteIni("C.INI", "[Other]\r\nCOMMAND_LINE=-U\r\n");
    CINIFile ini(ScratchFolder().c_str());
    std::string csCmdLine;
    ini.GetDVXSetupCfgParms(csCmdLine, nullptr);
    // Directory order: A then B. Quotes go, the text is upper-cased.
    EXPECT_EQ("-PB1-K=X.EXE-GDSU", csCmdLine);
}

TEST_F(CINIFileTest, FileCfgSetsTheProgramNamesLaterIniWins)
{
    WriteIni("A.INI", "[FileCfg]\r\nSetup64FileName=S64A.EXE\r\nDifx32FileName=D32.DLL\r\nDifx64FileName=D64.DLL\r\n");
    WriteIni("B.INI", "[FileCfg]\r\nSetup64FileName=S64B.EXE\r\n");
    CINIFile ini(ScratchFolder().c_str());
    SETUP_PARMS parms;
    ini.GetFileCfgParms(&parms);
    EXPECT_EQ("S64B.EXE", parms.csSetup64FileName);
    EXPECT_EQ("D32.DLL", parms.csEncodedDIFxFileName);
}

TEST_F(CINIFileTest, DeviceHeadersAreNumberedAndMatchedBothWaysWithoutRegardToCase)
{
    WriteIni("OEM.INI", "[DEVICE]\r\nDEVICEID=pci\\ven_f0e1&dev_2f20\r\nINSTALL_PATH=\r\n"
                        "[DEVICE1]\r\nDEVICEID=ignored\r\n"
                        "[device]\r\nDEVICEID=HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001\r\n"
                        "CABFILE=drivers.cab\r\nHOMOLFILE.XP=cty.ini,1\r\nINSTALL_PATH_XP=\\XP\r\n"
                        "[DRIVER_XP]\r\nINSTALL_PATH=\\GENERIC\r\nFRIENDLY_NAME=Sample Modem\r\n");
    CINIFile ini(ScratchFolder().c_str());
    CStringList ids;
    std::string csCopy;
    ASSERT_TRUE(ini.GetDefinedDeviceIDS(ids, csCopy));
    // [DEVICE1] was written by hand: it keeps its name and the counter does not move, so the third header
    // becomes a second [DEVICE1].
    ASSERT_GE(ids.size(), 2u);
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F20", ids[0]);
    EXPECT_EQ("IGNORED", ids[1]);
    std::string copy = Read(csCopy);
    EXPECT_NE(std::string::npos, copy.find("[DEVICE0]\r\nDEVICEID=pci")) << copy;
    size_t nFirst = copy.find("[DEVICE1]\r\n");
    ASSERT_NE(std::string::npos, nFirst) << copy;
    EXPECT_NE(std::string::npos, copy.find("[DEVICE1]\r\nDEVICEID=HDAUDIO", nFirst + 1)) << copy;

    // A candidate that matches nothing leaves the copy for the next candidate.
    DEVICE_INI_INSTALL_DATA none;
    EXPECT_FALSE(ini.GetDeviceSpecificInstallInfo(csCopy, "USB\\VID_F0E1&PID_3A01", nullptr, &none));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(csCopy.c_str()));

    // A longer device ID contains the section's; an empty INSTALL_PATH means no device-specific folder.
    DEVICE_INI_INSTALL_DATA data;
    ASSERT_TRUE(
        ini.GetDeviceSpecificInstallInfo(csCopy, "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01", nullptr, &data));
    EXPECT_EQ("", data.csDeviceInstallPath);
    EXPECT_EQ("Sample Modem", data.csInstallFriendlyName);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(csCopy.c_str()));
    if (!data.csInstallAppFile.empty())
        CINIFile::DeleteNumberedCopy(data.csInstallAppFile);
}

TEST_F(CINIFileTest, DeviceSectionFieldsFollowTheTaggedKeys)
{
    WriteIni("OEM.INI", "[DEVICE]\r\nDEVICEID=HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001&REV_1001\r\n"
                        "CABFILE=drivers.cab\r\nHOMOLFILE.XP= cty.ini , 1\r\nINSTALL_PATH_XP=\\XP\r\n"
                        "[DRIVER_XP]\r\nINSTALL_PATH=\\GENERIC\r\nNW_SETUP=\\NW\\setup.exe -s\r\n");
    CINIFile ini(ScratchFolder().c_str());
    CStringList ids;
    std::string csCopy;
    ASSERT_TRUE(ini.GetDefinedDeviceIDS(ids, csCopy));
    DEVICE_INI_INSTALL_DATA data;
    // The section's ID is longer than the candidate: it contains it.
    ASSERT_TRUE(ini.GetDeviceSpecificInstallInfo(csCopy, "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20", nullptr, &data));
    EXPECT_EQ(ScratchFolder() + "\\XP", data.csDeviceInstallPath);
    EXPECT_EQ(ScratchFolder() + "\\NW\\setup.exe -s", data.csNWInstallSetupExe);
    // CABFILE without a comma names no cabinet.
    EXPECT_EQ("", data.csCabFileName);
    EXPECT_EQ(1, data.nHomolFileType);
    EXPECT_EQ(ScratchFolder() + "\\cty.ini", data.csHomolFileName);
    std::string app = Read(data.csInstallAppFile);
    EXPECT_NE(std::string::npos,
              app.find("InstallApp = " + ScratchFolder() + "\\NW\\setup.exe,-s,1,CallHold,,CALLHOLD.EXE\r\n"))
        << app;
}

TEST_F(CINIFileTest, ApplicationFileAsksSilentInstallersToBeSilent)
{
    SETUP_PARMS parms;
    parms.dwSetupConfig = SETUP_CFG_SILENT;
    WriteIni("OEM.INI", "[DEVICE]\r\nDEVICEID=PCI\\VEN_F0E1\r\n[DRIVER_XP]\r\nNW_SETUP=\\NW\\SETUP.EXE\r\n"
                        "OCP_SETUP=\\OCP\\Setup.Exe /s\r\n");
    CINIFile ini(ScratchFolder().c_str());
    CStringList ids;
    std::string csCopy;
    ASSERT_TRUE(ini.GetDefinedDeviceIDS(ids, csCopy));
    DEVICE_INI_INSTALL_DATA data;
    ASSERT_TRUE(ini.GetDeviceSpecificInstallInfo(csCopy, "PCI\\VEN_F0E1&DEV_2F20", &parms, &data));
    std::string app = Read(data.csInstallAppFile);
    EXPECT_NE(std::string::npos, app.find("[InstallApp]\r\nInstallApp = " + ScratchFolder() +
                                          "\\NW\\SETUP.EXE, -S,1,CallHold,,CALLHOLD.EXE\r\n"))
        << app;
    EXPECT_NE(std::string::npos,
              app.find("InstallApp = " + ScratchFolder() + "\\OCP\\Setup.Exe, /s,1,Digital Line Detect,,DLG.EXE\r\n"))
        << app;
}

} // namespace
