// Platform calls made to fail in runs that do their work today: the program writes its failure line,
// leaves the machine as the failed step found it, and goes on. The journal's "fault" lines prove that
// the fault was met, so none of these tests can pass without it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FileText.h"
#include "ProductMachine.h"
#include "SampleCabinet.h"
#include "SetupRunFixture.h"
#include "inf/CInf.h"
#include "platform/StringUtil.h"
#include "prepare/CInstallPath.h"
#include "winsim/winsim.h"

namespace
{

// ---- Runs of Setup.exe with `winsim run --fail` ----------------------------------------------------------

class FaultRunTest : public SetupRunFixture
{
protected:
    const char* Profile() const override
    {
        static const std::string path =
            DeriveProfile("xp-sp2", "fault-runs",
                          "[Process.1]\nImage=C:\\Program Files\\Modem\\MDMAPP.EXE\nLifetime=forever\n"
                          "[Process.2]\nImage=C:\\WINDOWS\\system32\\rundll32.exe\n"
                          "Window=Add or Remove Programs|NativeHWNDHost\nLifetime=forever\n");
        return path.c_str();
    }

    int RunWithFault(const std::string& rule, const std::string& args)
    {
        return Shell("'" + m_bin + "/winsim' run '" + MachineDir() + "' --fail '" + rule +
                     "' -- 'C:\\DRIVERS\\Setup.exe' " + args);
    }
    // The journal's lines for injected failures of one function.
    std::string Faults(const std::string& function)
    {
        std::string faults;
        std::string journal = HostCommandOutput("'" + m_bin + "/winsim' journal '" + MachineDir() + "' 2>&1");
        for (size_t start = 0, end; start < journal.size(); start = end + 1)
        {
            end = journal.find('\n', start);
            if (end == std::string::npos)
                end = journal.size();
            std::string line = journal.substr(start, end - start);
            if (line.find("  fault ") != std::string::npos && line.find(" " + function + " ") != std::string::npos)
                faults += line + "\n";
        }
        return faults;
    }
    static bool IsRunning(const char* pszExe)
    {
        HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (hSnapshot == INVALID_HANDLE_VALUE)
            return false;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        bool bFound = false;
        for (BOOL bMore = Process32First(hSnapshot, &entry); bMore && !bFound; bMore = Process32Next(hSnapshot, &entry))
            bFound = EqualsNoCase(entry.szExeFile, pszExe);
        CloseHandle(hSnapshot);
        return bFound;
    }
};

TEST_F(FaultRunTest, ProcessThatCannotBeStoppedIsLoggedAndTheRunGoesOn)
{
    EXPECT_EQ(1, RunWithFault("TerminateProcess:*", "-K=MDMAPP.EXE -L"));
    EXPECT_NE("", Faults("TerminateProcess"));
    EXPECT_TRUE(IsRunning("MDMAPP.EXE"));
    const std::string log = Read("C:\\DRIVERS\\NORVALIS_INSTALL.LOG");
    const size_t found = log.find("Found App Running..attempting to stop it\r\n");
    ASSERT_NE(std::string::npos, found) << log;
    EXPECT_NE(std::string::npos, log.find("FAILED : Failed to stop app\r\n", found)) << log;
    EXPECT_NE(std::string::npos, log.find("EXIT:  KillThisGuy : bRetVal = 0\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("EXIT:  CSetupApp::RunSetupApp : m_SetupParms.nRetVal = 1\r\n")) << log;
}

TEST_F(FaultRunTest, AddRemoveProgramsThatCannotBeEndedStaysAndTheCloseRunEndsNormally)
{
    for (const char* rule : {"OpenProcess:*", "TerminateProcess:*"})
    {
        EXPECT_EQ(0, RunWithFault(rule, "-ARPWCLOSE2")) << rule;
        EXPECT_NE(nullptr, FindWindowA(nullptr, "Add or Remove Programs")) << rule;
    }
    EXPECT_NE("", Faults("OpenProcess"));
    EXPECT_NE("", Faults("TerminateProcess"));
    // Without the fault the same run closes it: the failure, not the setting, kept it open.
    EXPECT_EQ(0, Run("-ARPWCLOSE2"));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Add or Remove Programs"));
}

TEST_F(FaultRunTest, PatchLibraryThatCannotBeLoadedLeavesTheRunToTheProgram)
{
    ASSERT_TRUE(WriteImage("C:\\DRIVERS\\DVXPTCH.DLL", "dll", "patch_sample"));
    // The patch would end the run with 0; the program itself refuses the text it does not know.
    // The patch library is the program's first load.
    EXPECT_EQ(1, RunWithFault("LoadLibraryA:1", "RC=0 -L"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\DRIVERS\\PATCHRAN.TXT"));
    EXPECT_NE("", Faults("LoadLibraryA"));
    const std::string log = Read("C:\\DRIVERS\\NORVALIS_INSTALL.LOG");
    EXPECT_NE(std::string::npos, log.find("ERROR : csTemp = RC=0\r\n")) << log;
    EXPECT_EQ(0, Run("RC=0 -L"));
    EXPECT_EQ("RC=0 -L", Read("C:\\DRIVERS\\PATCHRAN.TXT"));
}

// ---- Steps run in this process with a fault plan ------------------------------------------------------

class FaultStepTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        StartTraceLog()->SetLogFile("C:\\TRACE.LOG", TRUE);
    }
    void TearDown() override
    {
        winsim::ClearFaultPlan();
        ProductMachine::TearDown();
    }
    static void Fail(const std::string& plan)
    {
        std::string error;
        ASSERT_TRUE(winsim::SetFaultPlan(plan, error)) << error;
    }
    std::string Log()
    {
        StopTraceLog();
        std::string text;
        ReadWholeFile("C:\\TRACE.LOG", text);
        return text;
    }
};

const char* const kDriverKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";

class DeviceIniFaultTest : public FaultStepTest
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("WINSIM_BIN");
        if (!bin || !*bin)
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        m_winsim = std::string(bin) + "/winsim";
        FaultStepTest::SetUp();
        ASSERT_EQ(0, std::system(("'" + m_winsim + "' put '" + MachineDir() + "' '" + DRVSETUP_SOURCE_DIR +
                                  "/samples/package' 'C:\\DRIVERS' >/dev/null 2>&1")
                                     .c_str()));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDriverKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &m_hDriverKey, nullptr));
    }
    void TearDown() override
    {
        if (m_hDriverKey)
            RegCloseKey(m_hDriverKey);
        FaultStepTest::TearDown();
    }
    std::string RegExport()
    {
        return HostCommandOutput("'" + m_winsim + "' reg '" + MachineDir() + "' export 'HKLM\\" + kDriverKey + "'");
    }
    static bool Copied()
    {
        return GetFileAttributesA("C:\\WINDOWS\\system32\\Sample Modems\\mdmcty.dat") != INVALID_FILE_ATTRIBUTES;
    }

    std::string m_winsim;
    HKEY m_hDriverKey = nullptr;
};

TEST_F(DeviceIniFaultTest, FailedRegistryPassWritesNoValueButTheFilesStillCome)
{
    CInf ini;
    ASSERT_TRUE(ini.Initialize("C:\\DRIVERS\\MDMCFG.INI"));
    // The first install call is the registry pass; one pass that works is success.
    Fail("SetupInstallFromInfSectionA:1=ERROR_ACCESS_DENIED");
    EXPECT_TRUE(ini.InstallINFSection("TASKS", m_hDriverKey));
    winsim::ClearFaultPlan();
    EXPECT_EQ(std::string::npos, RegExport().find("Country"));
    EXPECT_TRUE(Copied());
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("bRetVal1 = 0\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("bRetVal2 = 1\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("EXIT:  CInf::InstallINFSection : bRetVal = 1\r\n")) << log;
}

TEST_F(DeviceIniFaultTest, BothPassesFailingIsAFailure)
{
    CInf ini;
    ASSERT_TRUE(ini.Initialize("C:\\DRIVERS\\MDMCFG.INI"));
    Fail("SetupInstallFromInfSectionA:*");
    EXPECT_FALSE(ini.InstallINFSection("TASKS", m_hDriverKey));
    winsim::ClearFaultPlan();
    EXPECT_EQ(std::string::npos, RegExport().find("Country"));
    EXPECT_FALSE(Copied());
    EXPECT_NE(std::string::npos, Log().find("EXIT:  CInf::InstallINFSection : bRetVal = 0\r\n"));
}

TEST_F(DeviceIniFaultTest, FailedFilePassKeepsTheRegistryValues)
{
    CInf ini;
    ASSERT_TRUE(ini.Initialize("C:\\DRIVERS\\MDMCFG.INI"));
    Fail("SetupInstallFromInfSectionA:2=ERROR_DISK_FULL");
    EXPECT_TRUE(ini.InstallINFSection("TASKS", m_hDriverKey));
    winsim::ClearFaultPlan();
    EXPECT_NE(std::string::npos, RegExport().find("\"Country\"=dword:000000b5"));
    EXPECT_FALSE(Copied());
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("bRetVal1 = 1\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("bRetVal2 = 0\r\n")) << log;
}

class CabinetFaultTest : public FaultStepTest
{
protected:
    void SetUp() override
    {
        FaultStepTest::SetUp();
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\Setup.exe", "program"));
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\DRIVERS.CAB",
                                   std::string(reinterpret_cast<const char*>(kSampleCabinet), sizeof(kSampleCabinet))));
        char szWindows[MAX_PATH];
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        m_extract = std::string(szWindows) + "\\TEMP\\DVX_CAB_EXTRACT\\";
    }
    std::string m_extract;
};

TEST_F(CabinetFaultTest, CabinetThatCannotBeReadGivesNoInstallPath)
{
    Fail("SetupIterateCabinetA:*=ERROR_INVALID_DATA");
    {
        CInstallPath installPath;
        CStringList paths;
        SETUP_PARMS parms;
        EXPECT_EQ(0u, installPath.GetInstallPaths(parms, paths));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_extract + "MDMSAMPL.INF").c_str()));
    EXPECT_NE(std::string::npos, Log().find("CCabFile :: IsCabinetFileInstall : bRetVal = 0\r\n"));
    // The same package without the fault has its install path.
    winsim::ClearFaultPlan();
    CInstallPath installPath;
    CStringList paths;
    SETUP_PARMS parms;
    EXPECT_EQ(1u, installPath.GetInstallPaths(parms, paths));
}

TEST_F(CabinetFaultTest, UnpackedFilesThatCannotBeDeletedAreLoggedAndLeft)
{
    {
        CInstallPath installPath;
        CStringList paths;
        SETUP_PARMS parms;
        ASSERT_EQ(1u, installPath.GetInstallPaths(parms, paths));
        Fail("DeleteFileA:*");
    }
    winsim::ClearFaultPlan();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_extract + "MDMSAMPL.INF").c_str()));
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Delete File : " + m_extract + "MDMSAMPL.INF - 0\r\n")) << log;
}

} // namespace
