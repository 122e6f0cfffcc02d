// The folders a run searches for INF files, branch by branch, on a winsim machine whose program folder is
// the fixture's C:\TEST.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileText.h"
#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "devapi/KDeviceApi.h"
#include "prepare/CDeviceDataList.h"
#include "prepare/CInstallPath.h"

namespace
{

const char* kLogPath = "C:\\TRACE.LOG";

class InstallPathTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        StartTraceLogTo(kLogPath);
    }
    // Makes the folders of a path and an empty file at its end.
    static void MakeFile(const std::string& path)
    {
        for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
            CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
        ASSERT_TRUE(WriteWholeFile(path, "[Version]\r\nSignature=\"$Windows NT$\"\r\n"));
    }

    std::string Log() { return TraceLogText(); }

    static std::string TempFolder()
    {
        char szWindows[MAX_PATH];
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        return std::string(szWindows) + "\\TEMP\\";
    }
};

struct PathCase
{
    const char* name;
    std::vector<const char*> files;
    const char* forced;
    const char* rlm;
    const char* rlp;
    DWORD dwMode;
    CStringList expected;
};

TEST_F(InstallPathTest, EachBranchGivesItsPaths)
{
    const PathCase cases[] = {
        {"local folder", {"C:\\TEST\\A.INF"}, "", "", "", 0, {"C:\\TEST\\"}},
        {"only the sub-folder with an INF",
         {"C:\\TEST\\Sub1\\A.INF", "C:\\TEST\\Sub2\\README.TXT", "C:\\TEST\\Sub1\\Deeper\\B.INF"},
         "",
         "",
         "",
         0,
         {"C:\\TEST\\SUB1\\"}},
        {"relative forced path", {"C:\\TEST\\Drivers\\A.INF"}, "Drivers", "", "", 0, {"C:\\TEST\\Drivers\\"}},
        {"absolute forced path",
         {"C:\\PKG\\A.INF", "C:\\PKG\\X\\B.INF"},
         "C:\\PKG",
         "",
         "",
         0,
         {"C:\\PKG\\", "C:\\PKG\\X\\"}},
        {"both AC'97 paths, RLM first",
         {"C:\\RLM\\A.INF", "C:\\RLM\\S\\B.INF", "C:\\RLP\\C.INF"},
         "",
         "C:\\RLM\\",
         "C:\\RLP",
         0,
         {"C:\\RLM\\", "C:\\RLM\\S\\", "C:\\RLP\\"}},
        {"nothing qualifies", {"C:\\TEST\\README.TXT"}, "", "", "", 0, {}},
        {"restore skips the INF check", {}, "", "", "", SETUP_MODE_RESTORE, {TempFolder() + "PREV\\"}},
    };
    for (const PathCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        TearDown();
        SetUp();
        for (const char* pszFile : test.files)
            MakeFile(pszFile);
        SETUP_PARMS parms;
        parms.csForcedInstallPath = test.forced;
        parms.csRlmInstallPathAC97 = test.rlm;
        parms.csRlpInstallPathAC97 = test.rlp;
        parms.dwMode = test.dwMode;
        CInstallPath installPath;
        CStringList paths;
        EXPECT_EQ(test.expected.size(), installPath.GetInstallPaths(parms, paths));
        EXPECT_EQ(test.expected, paths);
        EXPECT_TRUE(installPath.GetTempInstallPath().empty());
    }
}

TEST_F(InstallPathTest, ListsAreDumpedToTheTraceLog)
{
    MakeFile("C:\\TEST\\Sub1\\A.INF");
    SETUP_PARMS parms;
    CInstallPath installPath;
    CStringList paths;
    ASSERT_EQ(1u, installPath.GetInstallPaths(parms, paths));
    std::string log = Log();
    size_t roots = log.find("DisplayCStringList : cslInstallRootPaths");
    size_t found = log.find("Found Sub Folder = C:\\TEST\\SUB1\\");
    size_t result = log.find("DisplayCStringList : m_cslInstallPaths");
    ASSERT_NE(std::string::npos, roots) << log;
    ASSERT_NE(std::string::npos, found) << log;
    ASSERT_NE(std::string::npos, result) << log;
    EXPECT_LT(roots, found);
    EXPECT_LT(found, result);
    EXPECT_NE(std::string::npos, log.find("Item=1, Data=C:\\TEST\\\r\n", roots)) << log;
    EXPECT_NE(std::string::npos, log.find("Item=1, Data=C:\\TEST\\SUB1\\\r\n", result)) << log;
}

TEST_F(InstallPathTest, PreinstallCopiesThePackageToAFolderOfItsOwn)
{
    MakeFile("C:\\TEST\\A.INF");
    MakeFile("C:\\TEST\\Sub\\B.INF");
    SETUP_PARMS parms;
    parms.dwSetupConfig = SETUP_CFG_PRE;

    CInstallPath first;
    CStringList paths;
    ASSERT_EQ(2u, first.GetInstallPaths(parms, paths));
    const std::string& folder = first.GetTempInstallPath();
    // "%sSETUP%X%X": the Windows TEMP folder, the seconds since 1970 and the milliseconds, in hexadecimal.
    ASSERT_EQ(0u, folder.find(TempFolder() + "SETUP")) << folder;
    EXPECT_EQ(std::string::npos, folder.find_first_not_of("0123456789ABCDEF", TempFolder().size() + 5)) << folder;
    EXPECT_EQ(folder + "\\", paths[0]);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "\\A.INF").c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "\\Sub\\B.INF").c_str()));

    // A run a millisecond later gets a folder of its own.
    Sleep(1);
    CInstallPath second;
    CStringList secondPaths;
    ASSERT_EQ(2u, second.GetInstallPaths(parms, secondPaths));
    EXPECT_NE(folder, second.GetTempInstallPath());
}

TEST_F(InstallPathTest, DeviceListReplacesInPlaceAndDumpsBothForms)
{
    CDeviceDataList list;
    DEVICE_DATA modem;
    modem.csInstallPath = "C:\\DRIVERS";
    modem.csClassType = "Modem";
    modem.csEnumFileName = "C:\\DRIVERS\\HDAMDM.INF";
    SplitHardwareID("HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20", modem.csClassType, modem);
    modem.csDeviceDesc = "Sample HD Audio Soft Modem";
    modem.ChildDevice[1].csChildFileName = "C:\\DRIVERS\\VOICE.INF";
    modem.ChildDevice[1].csChildBusTypeAndDeviceID = "HDAMDM\\VOICE_F0E1_2F20";
    modem.csWaveFileName = "C:\\DRIVERS\\WAVE.INF";
    modem.csWaveBusTypeAndDeviceID = "HDAMDM\\WAVE_F0E1_2F20";
    modem.SetupStatus = DEVICE_INSTALL_PENDING;
    list.AddTail(modem);
    DEVICE_DATA other = modem;
    other.csDeviceDesc = "Second";
    other.SetupStatus = DEVICE_UPGRADE_PENDING;
    list.AddTail(other);

    // Held by value: changing the caller's record changes nothing; a walk may replace a record in place.
    modem.csDeviceDesc = "changed";
    EXPECT_EQ("Sample HD Audio Soft Modem", list.GetAt(0).csDeviceDesc);
    for (size_t i = 0; i < list.GetCount(); ++i)
    {
        DEVICE_DATA data = list.GetAt(i);
        data.SetupStatus = data.SetupStatus == DEVICE_INSTALL_PENDING ? DEVICE_INSTALLED : DEVICE_INSTALL_FAILED;
        ASSERT_TRUE(list.SetAt(i, data));
    }
    EXPECT_FALSE(list.SetAt(2, other));
    ASSERT_EQ(2u, list.GetCount());
    EXPECT_EQ(DEVICE_INSTALLED, list.GetAt(0).SetupStatus);
    EXPECT_EQ(DEVICE_INSTALL_FAILED, list.GetAt(1).SetupStatus);

    list.DumpForInstall();
    list.DumpForUninstall();
    std::string log = Log();
    const char* kInstallLines[] = {
        "#1 : DeviceData.csInstallPath = C:\\DRIVERS\r\n",
        "#1 : DeviceData.csBusType = HDAUDIO\r\n",
        "#1 : DeviceData.csDeviceID = FUNC_02&VEN_F0E1&DEV_2F20\r\n",
        "#1 : DeviceData[1].csChildFileName = C:\\DRIVERS\\VOICE.INF\r\n",
        "#1 : DeviceData[1].csChildBusTypeAndDeviceID = HDAMDM\\VOICE_F0E1_2F20\r\n",
        "#1 : DeviceData.csWaveFileName = C:\\DRIVERS\\WAVE.INF\r\n",
        "#1 : DeviceData.csWaveBusTypeAndDeviceID = HDAMDM\\WAVE_F0E1_2F20\r\n",
        "#1 : DeviceData.SetupStatus = 4\r\n",
        "#2 : DeviceData.csDeviceDesc = Second\r\n",
        "#2 : DeviceData.SetupStatus = 5\r\n",
    };
    size_t at = 0;
    for (const char* pszLine : kInstallLines)
    {
        size_t found = log.find(pszLine, at);
        ASSERT_NE(std::string::npos, found) << pszLine << "\n" << log;
        at = found;
    }
    // Empty children are left out; the uninstall form names child files only, and no wave hardware ID.
    EXPECT_EQ(std::string::npos, log.find("DeviceData[0]")) << log;
    std::string uninstall = log.substr(log.find("#1 : DeviceData.csInstallPath", at));
    EXPECT_NE(std::string::npos,
              uninstall.find("#1 : DeviceData.ChildDevice[1].csChildFileName = C:\\DRIVERS\\VOICE.INF"));
    EXPECT_EQ(std::string::npos, uninstall.find("csChildBusTypeAndDeviceID"));
    EXPECT_EQ(std::string::npos, uninstall.find("csWaveBusTypeAndDeviceID"));
}

TEST(DeviceDataTest, HardwareIDSplit)
{
    struct SplitCase
    {
        const char* id;
        const char* classType;
        const char* bus;
        const char* device;
    } cases[] = {
        {"USB\\VID_F0E1&PID_3A01", "Net", "USB", "VID_F0E1&PID_3A01"},
        {"*PNP0500", "Ports", "UNKNOWN", "*PNP0500"},
        {" PCI \\ VEN_F0E1&DEV_2F20 ", "Modem", "PCI", "VEN_F0E1&DEV_2F20"},
        {"ROOT\\F0E1SYS", "sYsTeM", "ROOT", "F0E1SYS"},
        {"PCI\\VEN_F0E1&DEV_2F20", "System", "ROOT", "VEN_F0E1&DEV_2F20"},
        {"hdaudio\\func_01", "MEDIA", "hdaudio", "func_01"},
    };
    for (const SplitCase& test : cases)
    {
        SCOPED_TRACE(test.id);
        DEVICE_DATA data;
        SplitHardwareID(test.id, test.classType, data);
        EXPECT_EQ(test.id, data.csBusTypeAndDeviceID);
        EXPECT_EQ(test.bus, data.csBusType);
        EXPECT_EQ(test.device, data.csDeviceID);
    }
    EXPECT_STREQ("DEVICE_INSTALLED", GetSetupStatusName(DEVICE_INSTALLED));
    EXPECT_STREQ("DEVICE_UNINSTALLING_UNKNOWN_DEVICE", GetSetupStatusName(9));
    EXPECT_STREQ("UNKNOWN", GetSetupStatusName(0));
    EXPECT_STREQ("UNKNOWN", GetSetupStatusName(10));
}

} // namespace
