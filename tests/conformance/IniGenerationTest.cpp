// The generated country file on the platform's INF reader: the region bit map read from the package's
// country parameters, and a line for every region it leaves out.
#include <gtest/gtest.h>

#include <algorithm>

#include "FileText.h"
#include "IniFolderMachine.h"
#include "config/CINIFile.h"

namespace
{

class IniGenerationTest : public IniFolderMachine
{
};

TEST_F(IniGenerationTest, CountryFileListsEveryRegionItsBitMapLeavesOut)
{
    struct Case
    {
        const char* pszRegionLine;
        size_t nUnsupported;
        const char* pszFirst;
    };
    const Case cases[] = {
        // Regions 5 and 26 cleared; the rest of the 32 bytes set.
        {"HKR,REGION,REGIONLIST,1,df,ff,ff,fb,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,"
         "ff,ff,ff,ff",
         2, "HKR,REGION\\0005\r\nHKR,REGION\\001A\r\n"},
        {"HKR,REGION,REGIONLIST,1,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,"
         "00,00,00,00",
         256, "HKR,REGION\\0000\r\n"},
        // No list at all, or a short one: what it does not name stays.
        {"HKR,,Other,,1", 0, ""},
        {"HKR,REGION,REGIONLIST,1,fe", 1, "HKR,REGION\\0000\r\n"},
    };
    for (const Case& test : cases)
    {
        WriteIni("CTY.DAT", std::string("[REGION]\r\n") + test.pszRegionLine + "\r\n");
        DEVICE_INI_INSTALL_DATA data;
        data.csHomolFileName = "CTY.DAT";
        CINIFile ini(ScratchFolder().c_str());
        ASSERT_TRUE(ini.SetupHomolFile(&data));
        std::string generated = Read(data.csHomolFileName);
        size_t nHeader = generated.find("[UNSUPPORTED_REGIONS]\r\n");
        ASSERT_NE(std::string::npos, nHeader) << generated;
        std::string tail = generated.substr(nHeader + 23);
        EXPECT_EQ(test.nUnsupported, static_cast<size_t>(std::count(tail.begin(), tail.end(), '\n')))
            << test.pszRegionLine;
        EXPECT_EQ(0u, tail.find(test.pszFirst)) << tail;
        EXPECT_EQ(0u,
                  generated.find("[Version]\r\nSignature = $CHICAGO$\r\nDEVTYPE_DVX_INI_FILE = 1\r\n\r\n[FLAGS]\r\n"
                                 "CTY_PARMS = 1\r\n\r\n[TASKS]\r\nAddReg = REGION\r\nDelReg = UNSUPPORTED_REGIONS"));
        EXPECT_NE(std::string::npos, data.csHomolFileName.find("\\TEMP\\SETUP"));
        DeleteFileA(data.csHomolFileName.c_str());
        RemoveDirectoryA(data.csHomolFileName.substr(0, data.csHomolFileName.find_last_of('\\')).c_str());
    }
}

TEST_F(IniGenerationTest, TypeOneCountryFileIsTakenAsItStands)
{
    DEVICE_INI_INSTALL_DATA data;
    data.csHomolFileName = "CTY.DAT";
    data.nHomolFileType = 1;
    CINIFile ini(ScratchFolder().c_str());
    ASSERT_TRUE(ini.SetupHomolFile(&data));
    EXPECT_EQ(ScratchFolder() + "\\CTY.DAT", data.csHomolFileName);
}

} // namespace
