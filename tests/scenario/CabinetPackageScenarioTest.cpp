// The sample package shipped as the program plus one cabinet (made by the build with gcab): it is
// recognised, unpacked into DVX_CAB_EXTRACT under the Windows TEMP folder, the install paths start there,
// and the unpacked files are gone when the run's install path object ends.
#include <gtest/gtest.h>

#include <string>

#include "FileText.h"
#include "SampleCabinet.h"
#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "devapi/KDeviceApi.h"
#include "prepare/CInstallPath.h"

namespace
{

class CabinetPackageScenarioTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        m_cabinet.assign(reinterpret_cast<const char*>(kSampleCabinet), sizeof(kSampleCabinet));
        ASSERT_GT(m_cabinet.size(), 1000u);
        // The program's folder is C:\TEST: Setup.exe, the cabinet and a read-me, as a maker ships them.
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\Setup.exe", "program"));
        ASSERT_TRUE(WriteWholeFile("C:\\TEST\\README.TXT", "read me"));
        StartTraceLog();
        GetTraceLog()->SetLogFile("C:\\TRACE.LOG", TRUE);
        GetTraceLog()->Open();
    }
    void TearDown() override
    {
        StopTraceLog();
        ProductMachine::TearDown();
    }
    static std::string ExtractFolder()
    {
        char szWindows[MAX_PATH];
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        return std::string(szWindows) + "\\TEMP\\DVX_CAB_EXTRACT\\";
    }
    std::string Log()
    {
        StopTraceLog();
        std::string text;
        ReadWholeFile("C:\\TRACE.LOG", text);
        return text;
    }
    std::string m_cabinet;
};

TEST_F(CabinetPackageScenarioTest, CabinetIsUnpackedSearchedAndCleanedUp)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\DRIVERS.CAB", m_cabinet));
    {
        CInstallPath installPath;
        CStringList paths;
        SETUP_PARMS parms;
        ASSERT_EQ(1u, installPath.GetInstallPaths(parms, paths));
        EXPECT_EQ(ExtractFolder(), paths[0]);
        std::string inf;
        ASSERT_TRUE(ReadWholeFile(ExtractFolder() + "MDMSAMPL.INF", inf));
        EXPECT_NE(std::string::npos, inf.find("[Models.NTx86.5.1]"));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((ExtractFolder() + "MDMCFG.INI").c_str()));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ExtractFolder().c_str()));
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Target Path = " + ExtractFolder() + "\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("CCabFile :: IsCabinetFileInstall : bRetVal = 1")) << log;
    EXPECT_NE(std::string::npos, log.find("Delete File : " + ExtractFolder() + "MDMSAMPL.INF - 1")) << log;
}

TEST_F(CabinetPackageScenarioTest, LooseInfPreventsExtractionAndTheLastCabinetWins)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\A.CAB", "not a cabinet"));
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\B.CAB", m_cabinet));
    {
        CInstallPath installPath;
        std::string csFolder;
        EXPECT_TRUE(installPath.IsCabinetFileInstall(csFolder));
        EXPECT_EQ(ExtractFolder(), csFolder);
    }
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\LOOSE.INF", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"));
    CInstallPath installPath;
    std::string csFolder;
    EXPECT_FALSE(installPath.IsCabinetFileInstall(csFolder));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((ExtractFolder() + "MDMSAMPL.INF").c_str()));
}

TEST_F(CabinetPackageScenarioTest, TruncatedCabinetReportsFalseAndTheRunGoesOn)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\DRIVERS.CAB", m_cabinet.substr(0, m_cabinet.size() / 2)));
    CInstallPath installPath;
    CStringList paths;
    SETUP_PARMS parms;
    // No INF beside the program: with the cabinet unreadable, no folder qualifies.
    EXPECT_EQ(0u, installPath.GetInstallPaths(parms, paths));
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("CCabFile :: IsCabinetFileInstall : bRetVal = 0")) << log;
    EXPECT_NE(std::string::npos, log.find("DisplayCStringList : m_cslInstallPaths")) << log;
}

} // namespace
