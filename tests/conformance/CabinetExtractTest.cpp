// Unpacking a cabinet through the platform's cabinet reader: the sample package's cabinet (MSZIP, made by
// the build with gcab) on winsim and under Wine, whose cabinet.dll is a real cabinet reader.
#include <gtest/gtest.h>

#include <string>

#include "FileText.h"
#include "SampleCabinet.h"
#include "ProductMachine.h"
#include "device/CCabFile.h"
#include "devapi/KDeviceApi.h"

namespace
{

// What the sample package holds, as the cabinet stores it (no folders).
const char* const kPackageFiles[] = {"DSLSAMPL.INF", "HDAMDM.INF",   "HDAUDSMP.INF", "MDMCFG.INI",
                                     "MDMSAMPL.INF", "SYSSAMPL.INF", "mdmcty.dat"};

class CabinetExtractTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        m_cabinet.assign(reinterpret_cast<const char*>(kSampleCabinet), sizeof(kSampleCabinet));
        m_target = ScratchFolder() + "\\OUT\\";
        ASSERT_TRUE(CreateDirectoryA(m_target.c_str(), nullptr));
    }
    void TearDown() override { ProductMachine::TearDown(); }
    std::string m_cabinet;
    std::string m_target;
};

TEST_F(CabinetExtractTest, EveryFileLandsInTheTargetFolderOverWhatWasThere)
{
    std::string cabinet = ScratchFolder() + "\\DRIVERS.CAB";
    ASSERT_TRUE(WriteWholeFile(cabinet, m_cabinet));
    ASSERT_TRUE(WriteWholeFile(m_target + "MDMSAMPL.INF", "an older copy"));

    CCabFile cab;
    ASSERT_TRUE(cab.ExtractCabFile(cabinet.c_str(), m_target.c_str()));
    for (const char* pszName : kPackageFiles)
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_target + pszName).c_str())) << pszName;
    std::string inf;
    ASSERT_TRUE(ReadWholeFile(m_target + "MDMSAMPL.INF", inf));
    EXPECT_NE(std::string::npos, inf.find("[Models.NTx86.5.1]\r\n"));
    EXPECT_EQ(std::string::npos, inf.find("an older copy"));
    // The Unicode INF comes out byte for byte: its byte-order mark first.
    std::string unicode;
    ASSERT_TRUE(ReadWholeFile(m_target + "DSLSAMPL.INF", unicode));
    ASSERT_GE(unicode.size(), 2u);
    EXPECT_EQ("\xFF\xFE", unicode.substr(0, 2));
}

TEST_F(CabinetExtractTest, TruncatedOrMissingCabinetFails)
{
    std::string truncated = ScratchFolder() + "\\HALF.CAB";
    ASSERT_TRUE(WriteWholeFile(truncated, m_cabinet.substr(0, m_cabinet.size() / 2)));
    CCabFile cab;
    EXPECT_FALSE(cab.ExtractCabFile(truncated.c_str(), m_target.c_str()));
    EXPECT_FALSE(cab.ExtractCabFile((ScratchFolder() + "\\ABSENT.CAB").c_str(), m_target.c_str()));
    std::string notCabinet = ScratchFolder() + "\\TEXT.CAB";
    ASSERT_TRUE(WriteWholeFile(notCabinet, "this is not a cabinet\r\n"));
    EXPECT_FALSE(cab.ExtractCabFile(notCabinet.c_str(), m_target.c_str()));
}

} // namespace
