// What the program learns about the platform it runs on.
#include <gtest/gtest.h>

#include <regex>

#include "TestMachine.h"
#include "common/PlatformInfo.h"

class PlatformInfoTest : public TestMachine
{
};

TEST_F(PlatformInfoTest, IdentityIsConsistent)
{
    EXPECT_TRUE(IsNTPlatform());
    std::string csArch;
    ASSERT_TRUE(GetNativeArchName(csArch));
    EXPECT_TRUE(csArch == "X86" || csArch == "AMD64") << csArch;
    EXPECT_EQ(csArch == "AMD64", IsNative64Bit() != FALSE);

    std::string csDecoration;
    ASSERT_TRUE(GetPlatformDecoration(csDecoration));
    EXPECT_TRUE(std::regex_match(csDecoration, std::regex(R"(NT(X86|AMD64)\.\d+\.\d+\.\d+\.\d+)"))) << csDecoration;
    EXPECT_EQ(0u, csDecoration.find("NT" + csArch + "."));
    EXPECT_STRNE("", GetOSTypeName(GetOSType()));
    EXPECT_STREQ("OS_NONE", GetOSTypeName(99));
}

TEST_F(PlatformInfoTest, ProgramAndTemporaryFolders)
{
    std::string csFolder;
    ASSERT_TRUE(GetExeFolder(csFolder, FALSE));
    EXPECT_EQ('\\', csFolder.back());
    std::string csBare;
    ASSERT_TRUE(GetExeFolder(csBare, TRUE));
    EXPECT_EQ(csFolder, csBare + "\\");

    std::string csTemp;
    ASSERT_TRUE(GetWindowsTempFolder(csTemp, TRUE));
    ASSERT_GT(csTemp.size(), 6u);
    EXPECT_EQ("\\TEMP\\", csTemp.substr(csTemp.size() - 6));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(csTemp.substr(0, csTemp.size() - 1).c_str()));
}
