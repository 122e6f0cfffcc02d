// Where an INF puts files and takes them from: [DestinationDirs] with DIRIDs and subfolders on this
// machine's folders, DefaultDestDir, and [SourceDisksFiles]/[SourceDisksNames] with their decorations.
#include <gtest/gtest.h>

#include <string>

#include "InfTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "setupapi.h"

namespace
{

class InfPathTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_inf = inf_test::Open(
            ScratchFolder() + "\\hdaudio.inf",
            std::string(inf_test::kHeader) +
                "[DestinationDirs]\r\n"
                "DefaultDestDir = 12\r\n"
                "Sys.Copy = 10, system32\\drivers\r\n"
                "App.Copy = 16422, \"Sample Audio\\Control Panel\"\r\n"
                "Inf.Copy = 17\r\n"
                "Help.Copy = 18\r\nFonts.Copy = 20\r\nColor.Copy = 23\r\nApps.Copy = 24\r\n"
                "Shared.Copy = 25\r\nBoot.Copy = 30\r\nSys16.Copy = 50\r\nSpool.Copy = 51\r\n"
                "Win.Copy = 10\r\nProfile.Copy = 53\r\nSystem.Copy = 11\r\nSrc.Copy = 1, extra\r\nBad.Copy = 99999\r\n"
                "[Sys.Copy]\r\nhdaudbus.sys\r\n"
                "[SourceDisksNames]\r\n1 = %Disk%,,,\\common\r\n2 = %Disk%,,,\r\n"
                "[SourceDisksNames.x86]\r\n3 = %Disk%,,,\\i386\r\n"
                "[SourceDisksFiles]\r\nhdaudbus.sys = 1, drivers\r\nreadme.txt = 2\r\n"
                "wdmaud.drv = 3\r\n"
                "[SourceDisksFiles.x86]\r\nhdaudbus.sys = 3, drivers\r\n"
                "[SourceDisksFiles.amd64]\r\nreadme.txt = 1\r\n"
                "[Strings]\r\nDisk = \"Driver disk\"\r\n");
        ASSERT_NE(INVALID_HANDLE_VALUE, m_inf);
    }
    void TearDown() override
    {
        SetupCloseInfFile(m_inf);
        TestMachine::TearDown();
    }

    std::string Target(const char* section)
    {
        char buffer[MAX_PATH];
        if (!SetupGetTargetPathA(m_inf, nullptr, section, buffer, sizeof(buffer), nullptr))
            return "<error " + std::to_string(GetLastError()) + ">";
        return buffer;
    }
    std::string Source(const char* name, UINT& disk)
    {
        char buffer[MAX_PATH];
        disk = 0;
        if (!SetupGetSourceFileLocationA(m_inf, nullptr, name, &disk, buffer, sizeof(buffer), nullptr))
            return "<error " + std::to_string(GetLastError()) + ">";
        return buffer;
    }

    HINF m_inf = INVALID_HANDLE_VALUE;
};

TEST_F(InfPathTest, DirIdsNameTheMachineFolders)
{
    EXPECT_EQ("C:\\WINDOWS\\system32\\drivers", Target("Sys.Copy"));
    EXPECT_EQ("C:\\Program Files\\Sample Audio\\Control Panel", Target("App.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\inf", Target("Inf.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\help", Target("Help.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\Fonts", Target("Fonts.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\system32\\spool\\drivers\\color", Target("Color.Copy"));
    EXPECT_EQ("C:", Target("Apps.Copy"));
    EXPECT_EQ("C:\\WINDOWS", Target("Shared.Copy"));
    EXPECT_EQ("C:", Target("Boot.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\system", Target("Sys16.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\system32\\spool", Target("Spool.Copy"));
    EXPECT_EQ("C:\\WINDOWS", Target("Win.Copy"));
    EXPECT_EQ("C:\\Documents and Settings\\Administrator", Target("Profile.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\system32", Target("System.Copy"));
    EXPECT_EQ(ScratchFolder() + "\\extra", Target("Src.Copy")) << "DIRID 1 is the INF's folder";
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_PARAMETER) + ">", Target("Bad.Copy"));
    // A section without an entry, and no section at all: DefaultDestDir.
    EXPECT_EQ("C:\\WINDOWS\\system32\\drivers", Target("Other.Copy"));
    EXPECT_EQ("C:\\WINDOWS\\system32\\drivers", Target(nullptr));
}

TEST_F(InfPathTest, TargetPathOfAContextAndItsSize)
{
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(m_inf, "Sys.Copy", nullptr, &context));
    DWORD size = 0;
    EXPECT_TRUE(SetupGetTargetPathA(nullptr, &context, nullptr, nullptr, 0, &size));
    EXPECT_EQ(std::string("C:\\WINDOWS\\system32\\drivers").size() + 1, size);
    char small[8];
    EXPECT_FALSE(SetupGetTargetPathA(nullptr, &context, nullptr, small, sizeof(small), &size));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());

    // Without [DestinationDirs] the files go to the system folder.
    HINF bare = inf_test::Open(ScratchFolder() + "\\bare.inf", inf_test::kHeader);
    ASSERT_NE(INVALID_HANDLE_VALUE, bare);
    char buffer[MAX_PATH];
    EXPECT_TRUE(SetupGetTargetPathA(bare, nullptr, "Any", buffer, sizeof(buffer), nullptr));
    EXPECT_STREQ("C:\\WINDOWS\\system32", buffer);
    SetupCloseInfFile(bare);
}

TEST_F(InfPathTest, SourceLocationsFollowTheDecoratedSectionsFirst)
{
    UINT disk = 0;
    // The .x86 entry wins on this 32-bit machine, and its disk lives in [SourceDisksNames.x86].
    EXPECT_EQ("i386\\drivers", Source("HDAUDBUS.SYS", disk));
    EXPECT_EQ(3u, disk);
    // Only the plain section has it (the .amd64 one is not for this machine).
    EXPECT_EQ("", Source("readme.txt", disk));
    EXPECT_EQ(2u, disk);
    EXPECT_EQ("i386", Source("wdmaud.drv", disk));
    EXPECT_EQ(3u, disk);
    EXPECT_EQ("<error " + std::to_string(ERROR_LINE_NOT_FOUND) + ">", Source("missing.sys", disk));

    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(m_inf, "SourceDisksFiles", "readme.txt", &context));
    DWORD size = 0;
    EXPECT_TRUE(SetupGetSourceFileLocationA(m_inf, &context, nullptr, &disk, nullptr, 0, &size));
    EXPECT_EQ(1u, size) << "an empty folder still needs its null";
}

} // namespace
