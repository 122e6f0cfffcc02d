// Install preparation on the default machine (Windows XP SP2) with the sample package in the program's
// folder C:\TEST and the sample hardware-detection library beside it: the device list and its trace dump,
// the in-box modem INFs parked and put back (also after a run killed while they were parked), the
// installation sources, the AC'97 family rules, pre-install without hardware, and bad package content.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "FileText.h"
#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"
#include "prepare/CPrepareInstall.h"
#include "winsim/winsim.h"

namespace
{

const char* kLogPath = "C:\\TEST\\PREPARE.LOG";
const char* kInf = "C:\\WINDOWS\\INF\\";
const char* kParking = "C:\\WINDOWS\\TEMP\\DVX_INBUILD_INF\\";

// A child INF for the PCI modem's audio child (the shipped package has none).
const char* kChildInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=MEDIA\r\n"
                        "[Manufacturer]\r\nMaker=Models\r\n"
                        "[Models]\r\nSample Modem Audio=Audio_Install, MDMSAMPL\\CHILD_AUDIO\r\n";

// The xp-sp2 machine whose PCI soft modem already runs an older driver of the package.
std::string UpgradeProfile()
{
    static const std::string dir = []
    {
        const std::string profile = TestMachine::DeriveProfile("xp-sp2", "pci-modem-upgrade", "");
        const std::string ini = profile + "/machine.ini";
        std::ifstream in(ini);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string anchor = "Description=PCI Simple Communications Controller\n";
        const size_t at = text.find(anchor);
        if (profile.empty() || at == std::string::npos)
            return std::string();
        text.insert(at + anchor.size(), "Mfg=Sample Modems\nClass=Modem\n"
                                        "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n"
                                        "DriverDesc=Sample PCI Soft Modem\nProviderName=Sample Modems\n"
                                        "DriverVersion=7.0.0.1\nDriverDate=1-10-2006\nInfPath=oem3.inf\n"
                                        "InfSection=Modem_Install\n"
                                        "MatchingDeviceId=PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1\n");
        std::ofstream(ini) << text;
        return profile;
    }();
    return dir;
}

bool WriteImage(const std::string& path, const char* kind, const char* program)
{
    return WriteWholeFile(path, std::string("WINSIM-IMAGE 1\r\nKind=") + kind + "\r\nProgram=" + program +
                                    "\r\nMachine=x86\r\nFileVersion=1.0.0.1\r\n");
}

class PrepareInstallTest : public ProductMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string profile = UpgradeProfile();
        return profile.c_str();
    }
    void SetUp() override
    {
        ProductMachine::SetUp();
        if (HasFatalFailure())
            return;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(DRVSETUP_SOURCE_DIR) + "/samples/package"))
        {
            // The driver files in the package's subfolders play no part in the preparation.
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ASSERT_TRUE(WriteWholeFile("C:\\TEST\\" + entry.path().filename().string(), bytes));
        }
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\MDMCHILD.INF", kChildInf));
        ASSERT_TRUE(WriteImage("C:\\TEST\\DVXDLL.DLL", "dll", "dvxdll"));
        StartTraceLog()->SetLogFile(kLogPath, TRUE);
        GetTraceLog()->Open();
    }

    std::string Log()
    {
        StopTraceLog();
        std::string text;
        ReadWholeFile(kLogPath, text);
        return text;
    }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    static const DEVICE_DATA* Find(const CDeviceDataList& list, const std::string& csID)
    {
        for (const DEVICE_DATA& data : list)
        {
            if (data.csBusTypeAndDeviceID == csID)
                return &data;
        }
        return nullptr;
    }
};

TEST_F(PrepareInstallTest, DefaultMachineListsInstallAndUpgradeRecordsInTheTraceLog)
{
    SETUP_PARMS parms;
    CDeviceDataList devices;
    const auto start = std::chrono::steady_clock::now();
    {
        CPrepareInstall prepare;
        prepare.CollectInstallDeviceInfo({"C:\\TEST\\"}, &parms, devices);
        devices.DumpForInstall();
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("preparation of the sample package: %lld ms (debug build)\n", static_cast<long long>(elapsed));

    // The HD Audio modem function has no driver: INSTALL, with its wave function from its own INF.
    const DEVICE_DATA* pHda = Find(devices, "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001");
    ASSERT_NE(nullptr, pHda);
    EXPECT_EQ(DEVICE_INSTALL_PENDING, pHda->SetupStatus);
    EXPECT_EQ("C:\\TEST\\HDAMDM.INF", pHda->csEnumFileName);
    EXPECT_EQ("HDAMDM\\WAVE_F0E1_2F20", pHda->csWaveBusTypeAndDeviceID);
    // Its generic ID gives way to the specific one whose hardware is present.
    EXPECT_EQ(nullptr, Find(devices, "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20"));

    // The PCI modem runs an older driver: UPGRADE, with the child INF of its audio child.
    const DEVICE_DATA* pPci = Find(devices, "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01");
    ASSERT_NE(nullptr, pPci);
    EXPECT_EQ(DEVICE_UPGRADE_PENDING, pPci->SetupStatus);
    const DEVICE_DATA* pSampl = nullptr;
    for (const DEVICE_DATA& data : devices)
    {
        if (data.csEnumFileName == "C:\\TEST\\MDMSAMPL.INF" && !pSampl)
            pSampl = &data;
    }
    ASSERT_NE(nullptr, pSampl);
    EXPECT_EQ("C:\\TEST\\MDMCHILD.INF", pSampl->ChildDevice[0].csChildFileName);
    EXPECT_EQ("MDMSAMPL\\CHILD_AUDIO", pSampl->ChildDevice[0].csChildBusTypeAndDeviceID);

    // The USB DSL modem is not plugged in; the root device of SYSSAMPL.INF is not there.
    for (const DEVICE_DATA& data : devices)
    {
        EXPECT_NE("USB", data.csBusType) << data.csBusTypeAndDeviceID;
        EXPECT_NE("ROOT", data.csBusType) << data.csBusTypeAndDeviceID;
    }

    // The dump: one block per record in the install form.
    const std::string log = Log();
    int n = 0;
    for (const DEVICE_DATA& data : devices)
    {
        ++n;
        for (const std::string& line :
             {Format("#%d : DeviceData.csInstallPath = C:\\TEST", n),
              Format("#%d : DeviceData.csBusTypeAndDeviceID = %s", n, data.csBusTypeAndDeviceID.c_str()),
              Format("#%d : DeviceData.csWaveFileName = %s", n, data.csWaveFileName.c_str()),
              Format("#%d : DeviceData.csWaveBusTypeAndDeviceID = %s", n, data.csWaveBusTypeAndDeviceID.c_str()),
              Format("#%d : DeviceData.SetupStatus = %d", n, data.SetupStatus)})
            EXPECT_NE(std::string::npos, log.find(line)) << line;
        if (&data == pSampl)
        {
            EXPECT_NE(std::string::npos,
                      log.find(Format("#%d : DeviceData[0].csChildFileName = C:\\TEST\\MDMCHILD.INF", n)));
        }
    }
    EXPECT_NE(std::string::npos, log.find("Install this device = HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001"));
    EXPECT_NE(std::string::npos, log.find("Skipped C:\\TEST\\MDMCHILD.INF"));
}

TEST_F(PrepareInstallTest, CopyFileListOfTheSamplePackageHoldsEachDestinationOnce)
{
    SETUP_PARMS parms;
    CDeviceDataList devices;
    CCopyFilesList files;
    CPrepareInstall prepare;
    prepare.CollectInstallDeviceInfo({"C:\\TEST\\"}, &parms, devices);
    prepare.GetCopyFileListFromINF(devices, files);
    ASSERT_FALSE(files.empty());
    std::vector<std::string> seen;
    bool bDriver = false;
    for (const COPY_FILES_INFO& info : files)
    {
        const std::string csUpper = ToUpper(info.kDestinationFile);
        for (const std::string& csSeen : seen)
            EXPECT_NE(csSeen, csUpper);
        seen.push_back(csUpper);
        bDriver = bDriver || csUpper == "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\MDMSAMPL.SYS";
    }
    EXPECT_TRUE(bDriver);
}

TEST_F(PrepareInstallTest, InBoxModemInfsAreParkedForTheRunAndComeBack)
{
    ASSERT_TRUE(WriteWholeFile(std::string(kInf) + "WDMMDMPC.INF", "in-box"));
    ASSERT_TRUE(WriteWholeFile(std::string(kInf) + "MDMGEN.PNF", "precompiled"));
    {
        CPrepareInstall prepare;
        prepare.SetupInstallParms();
        for (const char* pszName : {"WDMMDMPC.INF", "MDMGEN.INF", "MDMGEN.PNF"})
        {
            EXPECT_FALSE(Exists(std::string(kInf) + pszName)) << pszName;
            EXPECT_TRUE(Exists(std::string(kParking) + pszName)) << pszName;
        }
    }
    for (const char* pszName : {"WDMMDMPC.INF", "MDMGEN.INF", "MDMGEN.PNF"})
        EXPECT_TRUE(Exists(std::string(kInf) + pszName)) << pszName;
    EXPECT_FALSE(Exists(kParking));
    std::string content;
    ASSERT_TRUE(ReadWholeFile(std::string(kInf) + "WDMMDMPC.INF", content));
    EXPECT_EQ("in-box", content);
    const std::string log = Log();
    // An in-box INF the machine lacks only fails its copy.
    EXPECT_NE(std::string::npos, log.find("FAILED CopyAFile : Source = C:\\WINDOWS\\INF\\MDMRPCI.INF, Destination = "
                                          "C:\\WINDOWS\\TEMP\\DVX_INBUILD_INF\\MDMRPCI.INF"));
}

TEST_F(PrepareInstallTest, ACLinkFamiliesInstallOnlyFromTheirOwnFolder)
{
    SETUP_PARMS parms;
    parms.csRlmInstallPathAC97 = "C:\\TEST\\RLM\\";
    parms.csRlpInstallPathAC97 = "C:\\TEST\\RLP\\";
    CDeviceDataList infDevices;
    for (const char* pszFolder : {"C:\\TEST\\RLM", "C:\\TEST\\RLP"})
    {
        DEVICE_DATA data;
        data.csInstallPath = pszFolder;
        SplitHardwareID("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1", "Modem", data);
        data.SetupStatus = DEVICE_INSTALL_PENDING;
        infDevices.AddTail(data);
    }
    for (int nFamily : {1, 2, 0})
    {
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\DVXDLL.INI", Format("[ACLink]\r\nVEN_F0E1&DEV_2F20=%d\r\n", nFamily)));
        CPrepareInstall prepare;
        CDeviceDataList out;
        prepare.CheckDeviceInstallStatus(&parms, FALSE, infDevices, out);
        // Family 1 is not installed from the RLP folder, family 2 not from the RLM folder.
        CStringList folders;
        for (const DEVICE_DATA& data : out)
            folders.push_back(data.csInstallPath);
        const CStringList expected = nFamily == 1   ? CStringList{"C:\\TEST\\RLM"}
                                     : nFamily == 2 ? CStringList{"C:\\TEST\\RLP"}
                                                    : CStringList{"C:\\TEST\\RLM", "C:\\TEST\\RLP"};
        EXPECT_EQ(expected, folders) << "family " << nFamily;
    }
}

TEST_F(PrepareInstallTest, PreInstallWithoutHardwareTakesEveryDevice)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\ABSENT", nullptr));
    ASSERT_TRUE(WriteWholeFile("C:\\ABSENT\\OTHER.INF", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
                                                        "[Manufacturer]\r\nMaker=Models\r\n[Models]\r\n"
                                                        "Absent=Inst, PCI\\VEN_F0E1&DEV_9999&SUBSYS_00000000\r\n"
                                                        "Absent 2=Inst, PCI\\VEN_F0E1&DEV_9998&SUBSYS_00000000\r\n"));
    CPrepareInstall plain;
    SETUP_PARMS parms;
    CDeviceDataList none;
    plain.CollectInstallDeviceInfo({"C:\\ABSENT\\"}, &parms, none);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ("Modem", plain.GetDeviceClass());
    EXPECT_EQ(0u, parms.dwSetupConfig & SETUP_CFG_NO_HARDWARE);

    parms.dwSetupConfig = SETUP_CFG_PRE;
    CDeviceDataList all;
    CPrepareInstall pre;
    pre.CollectInstallDeviceInfo({"C:\\ABSENT\\"}, &parms, all);
    ASSERT_EQ(2u, all.GetCount());
    EXPECT_EQ(DEVICE_INSTALL_PENDING, all.GetAt(0).SetupStatus);
    EXPECT_NE(0u, parms.dwSetupConfig & SETUP_CFG_NO_HARDWARE);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Setting for No Enumeration Case"));
    EXPECT_NE(std::string::npos, log.find("Install this device = PCI\\VEN_F0E1&DEV_9998&SUBSYS_00000000"));
}

TEST_F(PrepareInstallTest, WithoutTheLibraryEveryDeviceCountsAsPresent)
{
    ASSERT_TRUE(DeleteFileA("C:\\TEST\\DVXDLL.DLL"));
    SETUP_PARMS parms;
    CDeviceDataList devices;
    CPrepareInstall prepare;
    prepare.CollectInstallDeviceInfo({"C:\\TEST\\"}, &parms, devices);
    EXPECT_NE(nullptr, Find(devices, "USB\\VID_F0E1&PID_3A01"));
    EXPECT_NE(nullptr, Find(devices, "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20"));
    EXPECT_NE(std::string::npos, Log().find("FAILED : Could not load DVX DLL"));
}

TEST_F(PrepareInstallTest, InstallationSourcesHoldEachFolderOnce)
{
    const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    const char kOld[] = "D:\\I386\0c:\\pkg\0";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(hKey, "Installation Sources", 0, REG_MULTI_SZ,
                                            reinterpret_cast<const BYTE*>(kOld), sizeof(kOld)));
    CDeviceDataList devices;
    for (const char* pszPath : {"C:\\TEST", "C:\\PKG", "C:\\TEST"})
    {
        DEVICE_DATA data;
        data.csInstallPath = pszPath;
        devices.AddTail(data);
    }
    CPrepareInstall prepare;
    prepare.SetupRegInstallSource(devices);
    prepare.SetupRegInstallSource(devices);
    char szValue[256] = {0};
    DWORD dwSize = sizeof(szValue);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(hKey, "Installation Sources", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(szValue), &dwSize));
    RegCloseKey(hKey);
    // The new folder first, the ones listed (in any case) not again.
    const char kExpected[] = "C:\\TEST\0D:\\I386\0c:\\pkg\0";
    EXPECT_EQ(std::string(kExpected, sizeof(kExpected)), std::string(szValue, dwSize));
}

TEST_F(PrepareInstallTest, BadPackageContentCostsOneTraceLineEach)
{
    std::string many = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n[Manufacturer]\r\nM=Models\r\n"
                       "[Models]\r\n";
    for (int i = 0; i < 600; ++i)
        many += Format("Modem %d=Inst, PCI\\VEN_F0E1&DEV_%04X&SUBSYS_00000000\r\n", i, i);
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\MANY.INF", many));
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\BROKEN.INF", "[Version\r\nSignature=\"$Windows NT$\"\r\n"));
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\ACPI.INF", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
                                                     "[Manufacturer]\r\nM=Models\r\n[Models]\r\n"
                                                     "Other=Inst, ACPI\\F0E10001\r\n"));
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\LONG.INF", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
                                                     "[Manufacturer]\r\nM=Models\r\n[Models]\r\n"
                                                     "Long=Inst, PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1, PCI\\" +
                                                         std::string(300, 'X') + "\r\n"));
    ASSERT_TRUE(DeleteFileA("C:\\TEST\\DVXDLL.DLL")); // every device counts as present
    SETUP_PARMS parms;
    CDeviceDataList devices;
    CPrepareInstall prepare;
    prepare.CollectInstallDeviceInfo({"C:\\TEST\\"}, &parms, devices);
    size_t nMany = 0;
    for (const DEVICE_DATA& data : devices)
    {
        nMany += data.csEnumFileName == "C:\\TEST\\MANY.INF";
        EXPECT_LT(data.csBusTypeAndDeviceID.size(), 260u);
    }
    EXPECT_EQ(MAX_INF_LIST_ENTRIES, nMany);
    EXPECT_NE(nullptr, Find(devices, "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001"));
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("FAILED : Cannot open C:\\TEST\\BROKEN.INF"));
    EXPECT_NE(std::string::npos, log.find("Skipped C:\\TEST\\ACPI.INF"));
    EXPECT_NE(std::string::npos, log.find("PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1 is also named by"));
}

// A run that parks the in-box INFs and is killed before it puts them back, then the clean-up run: this
// test program started on the machine plays both parts (PrepareInstallChild.Play).
class PrepareInstallCrashTest : public TestMachine
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("WINSIM_BIN");
        if (!bin || !*bin)
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        m_bin = bin;
        TestMachine::SetUp();
        ASSERT_TRUE(WriteImage("C:\\TEST\\child.exe", "exe", "drvsetup_tests"));
        ASSERT_TRUE(WriteWholeFile(std::string(kInf) + "WDMMDMPC.INF", "in-box"));
        ASSERT_TRUE(WriteWholeFile(std::string(kInf) + "MDMGEN.PNF", "precompiled"));
        setenv("GTEST_FILTER", "PrepareInstallChild.Play", 1);
        setenv("GTEST_BRIEF", "1", 1);
    }
    void TearDown() override
    {
        unsetenv("GTEST_FILTER");
        unsetenv("GTEST_BRIEF");
        TestMachine::TearDown();
    }
    int Run(const std::string& options, const char* pszPart)
    {
        const std::string command = "'" + m_bin + "/winsim' run '" + MachineDir() + "' " + options +
                                    " -- 'C:\\TEST\\child.exe' " + pszPart + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::string m_bin;
};

TEST_F(PrepareInstallCrashTest, AKilledRunLeavesTheParkedInfsForTheCleanUpRun)
{
    // Killed early (while parking) and late (with everything parked): nothing is lost either way.
    for (const char* pszCrash : {"--crash-at 40", "--crash-at 3000"})
    {
        EXPECT_EQ(139, Run(pszCrash, "park")) << pszCrash;
        for (const char* pszName : {"WDMMDMPC.INF", "MDMGEN.INF", "MDMGEN.PNF"})
            EXPECT_TRUE(Exists(std::string(kInf) + pszName) || Exists(std::string(kParking) + pszName))
                << pszCrash << " " << pszName;
        // Killed late, the run had them all parked.
        if (std::string(pszCrash) == "--crash-at 3000")
        {
            EXPECT_FALSE(Exists(std::string(kInf) + "WDMMDMPC.INF"));
            EXPECT_TRUE(Exists(std::string(kParking) + "WDMMDMPC.INF"));
        }
        EXPECT_EQ(0, Run("", "cleanup")) << pszCrash;
        for (const char* pszName : {"WDMMDMPC.INF", "MDMGEN.INF", "MDMGEN.PNF"})
            EXPECT_TRUE(Exists(std::string(kInf) + pszName)) << pszCrash << " " << pszName;
        EXPECT_FALSE(Exists(kParking)) << pszCrash;
    }
    std::string content;
    ASSERT_TRUE(ReadWholeFile(std::string(kInf) + "WDMMDMPC.INF", content));
    EXPECT_EQ("in-box", content);
}

} // namespace

// The child's part: "park" parks the in-box INFs and then idles until the machine kills it; "cleanup" makes
// and drops a preparation object, as the clean-up run does.
TEST(PrepareInstallChild, Play)
{
    if (!std::getenv(winsim::kEnvMachine))
        GTEST_SKIP() << "plays its part only when started as a process of a machine";
    std::string error;
    ASSERT_TRUE(winsim::AttachFromEnvironment(error)) << error;
    const std::string commandLine = GetCommandLineA();
    KDeviceApi deviceApi;
    if (commandLine.find(" park") != std::string::npos)
    {
        CPrepareInstall* pPrepare = new CPrepareInstall;
        pPrepare->SetupInstallParms();
        for (int i = 0; i < 100000; ++i)
            Sleep(1000);
        delete pPrepare;
    }
    else if (commandLine.find(" cleanup") != std::string::npos)
    {
        CPrepareInstall prepare;
    }
    winsim::Detach(0);
}
