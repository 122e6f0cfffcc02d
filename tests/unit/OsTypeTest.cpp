// The operating-system type of each kind of machine.
#include <gtest/gtest.h>

#include "TestMachine.h"
#include "common/PlatformInfo.h"

namespace
{

struct OsCase
{
    const char* pszProfile;
    DWORD dwType;
    BOOL bNT;
    BOOL b64;
    const char* pszDecoration;
};

class OsTypeTest : public TestMachine, public ::testing::WithParamInterface<OsCase>
{
protected:
    const char* Profile() const override { return GetParam().pszProfile; }
};

TEST_P(OsTypeTest, TypeAndDecoration)
{
    const OsCase& c = GetParam();
    EXPECT_EQ(c.dwType, GetOSType());
    EXPECT_EQ(c.bNT, IsNTPlatform());
    EXPECT_EQ(c.b64, IsNative64Bit());
    std::string csDecoration;
    EXPECT_EQ(*c.pszDecoration != '\0', GetPlatformDecoration(csDecoration) != FALSE);
    EXPECT_EQ(c.pszDecoration, csDecoration);
}

std::string ProfileName(const ::testing::TestParamInfo<OsCase>& testInfo)
{
    std::string name = testInfo.param.pszProfile;
    for (char& c : name)
        c = (c == '-') ? '_' : c;
    return name;
}

INSTANTIATE_TEST_SUITE_P(Profiles, OsTypeTest,
                         ::testing::Values(OsCase{"xp-sp2", OS_WINXP, TRUE, FALSE, "NTX86.5.1.1.256"},
                                           OsCase{"vista-x64", OS_WINVISTA64, TRUE, TRUE, "NTAMD64.6.0.1.768"},
                                           OsCase{"win2k-sp4", OS_WIN2K, TRUE, FALSE, "NT.5.0.1.0"},
                                           OsCase{"win98se", OS_WIN98SE, FALSE, FALSE, ""}),
                         ProfileName);

} // namespace
