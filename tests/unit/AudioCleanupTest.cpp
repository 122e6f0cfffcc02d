// The sound control panel is closed after old audio drivers are removed.
#include <gtest/gtest.h>

#include "ProductMachine.h"
#include "audio/CAudioCleanup.h"
#include "devapi/KDeviceApi.h"

namespace
{

class AudioCleanupTest : public ProductMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile(
            "xp-sp2", "sound-panel",
            "[Process.1]\nImage=C:\\WINDOWS\\system32\\rundll32.exe\nWindow=Sounds and Audio Devices "
            "Properties|#32770\nLifetime=forever\n"
            "[Process.2]\nImage=C:\\WINDOWS\\explorer.exe\nWindow=Program Manager|Progman\nLifetime=forever\n");
        return path.c_str();
    }
    void TearDown() override { ProductMachine::TearDown(); }
};

TEST_F(AudioCleanupTest, TitleComesFromTheControlPanelModule)
{
    char szTitle[MAX_PATH] = {0};
    CAudioCleanup::GetWindowTitle(szTitle);
    EXPECT_STREQ("Sounds and Audio Devices", szTitle);
}

TEST_F(AudioCleanupTest, OnlyTheSoundPanelIsClosed)
{
    ASSERT_NE(nullptr, FindWindowA(nullptr, "Sounds and Audio Devices Properties"));
    CAudioCleanup::AudioDeviceCleanup({"Modem"});
    EXPECT_NE(nullptr, FindWindowA(nullptr, "Sounds and Audio Devices Properties"));
    CAudioCleanup::AudioDeviceCleanup({"media"});
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Sounds and Audio Devices Properties"));
    EXPECT_NE(nullptr, FindWindowA(nullptr, "Program Manager"));
}

} // namespace
