// Machines made from profiles: what a profile gives a machine, and what a bad profile leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "TestMachine.h"
#include "core/Machine.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

namespace
{

std::string Scratch(const std::string& name)
{
    std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/winsim-profile-" +
                      std::to_string(getpid()) + "-" + name;
    winsim::HostRemoveTree(dir);
    return dir;
}

std::string Profiles()
{
    return std::string(DRVSETUP_SOURCE_DIR) + "/profiles/";
}

// A copy of xp-sp2 with one file replaced.
std::string BrokenProfile(const std::string& name, const std::string& file, const std::string& content)
{
    std::string dir = Scratch(name);
    std::string error;
    EXPECT_TRUE(winsim::HostCopyTree(Profiles() + "xp-sp2", dir, error)) << error;
    EXPECT_TRUE(winsim::HostWriteFile(dir + "/" + file, content));
    return dir;
}

TEST(Profile, ShippedProfilesMakeMachinesWithTheirIdentity)
{
    struct Expected
    {
        const char* profile;
        uint32_t platform, major, minor;
        const char* architecture;
        const char* windows;
    } cases[] = {{"xp-sp2", 2, 5, 1, "x86", "C:\\WINDOWS"},
                 {"vista-x64", 2, 6, 0, "x64", "C:\\Windows"},
                 {"win2k-sp4", 2, 5, 0, "x86", "C:\\WINNT"},
                 {"win98se", 1, 4, 10, "x86", "C:\\WINDOWS"}};
    for (const Expected& expected : cases)
    {
        SCOPED_TRACE(expected.profile);
        std::string dir = Scratch(expected.profile);
        std::string error;
        ASSERT_TRUE(winsim::CreateMachine(Profiles() + expected.profile, dir, error)) << error;
        winsim::Machine machine;
        ASSERT_TRUE(machine.Open(dir, error)) << error;
        EXPECT_EQ(expected.platform, machine.Identity().platformId);
        EXPECT_EQ(expected.major, machine.Identity().major);
        EXPECT_EQ(expected.minor, machine.Identity().minor);
        EXPECT_EQ(expected.architecture, machine.Identity().architecture);
        EXPECT_EQ(expected.windows, machine.Identity().windowsDir);
        EXPECT_FALSE(winsim::HostPathOf(dir, machine.Identity().tempDir).empty());
        EXPECT_TRUE(winsim::HostIsDirectory(winsim::HostPathOf(dir, machine.Identity().tempDir)));
        EXPECT_TRUE(winsim::HostExists(winsim::HostPathOf(dir, machine.Identity().windowsDir + "\\WIN.INI")));
        machine.Close();
        winsim::HostRemoveTree(dir);
    }
}

TEST(Profile, MalformedMachineIniNamesFileAndLineAndLeavesNothing)
{
    struct Case
    {
        const char* text;
        const char* where;
    } cases[] = {
        {"[Machine]\nPlatformId=2\nMajor=five\n", "machine.ini:3: "},
        {"[Machine]\nPlatformId=3\n", "machine.ini:2: "},
        {"[Machine]\n[Nonsense]\n", "machine.ini:2: "},
        {"[Machine]\nArchitecture=arm\n", "machine.ini:2: "},
        {"; no equals sign follows\n[Machine]\nMajor\n", "machine.ini:3: "},
        {"[Folders]\nWindows=D:\\WINDOWS\n", "machine.ini:2: "},
        {"Major=5\n", "machine.ini:1: "},
    };
    int n = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        std::string profile = BrokenProfile("bad-ini-" + std::to_string(n), "machine.ini", c.text);
        std::string target = Scratch("bad-ini-target-" + std::to_string(n++));
        std::string error;
        EXPECT_FALSE(winsim::CreateMachine(profile, target, error));
        EXPECT_NE(std::string::npos, error.find(c.where)) << error;
        EXPECT_FALSE(winsim::HostExists(target));
        EXPECT_FALSE(winsim::HostExists(target + ".creating." + std::to_string(getpid())));
        winsim::HostRemoveTree(profile);
    }
}

TEST(Profile, MalformedRegistryFileNamesFileAndLine)
{
    std::string profile = BrokenProfile("bad-reg", "50-extra.reg",
                                        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\nnot a value\r\n");
    std::string target = Scratch("bad-reg-target");
    std::string error;
    EXPECT_FALSE(winsim::CreateMachine(profile, target, error));
    EXPECT_NE(std::string::npos, error.find("50-extra.reg:4")) << error;
    EXPECT_FALSE(winsim::HostExists(target));
    winsim::HostRemoveTree(profile);
}

TEST(Profile, ExistingMachineIsNotOverwritten)
{
    std::string target = Scratch("existing");
    ASSERT_TRUE(winsim::HostMakeDirectories(target));
    ASSERT_TRUE(winsim::HostWriteFile(target + "/keep.txt", "mine"));
    std::string error;
    EXPECT_FALSE(winsim::CreateMachine(Profiles() + "xp-sp2", target, error));
    std::string content;
    EXPECT_TRUE(winsim::HostReadFile(target + "/keep.txt", content));
    EXPECT_EQ("mine", content);
    winsim::HostRemoveTree(target);
}

TEST(Profile, TimeModeParsing)
{
    winsim::TimeMode mode;
    double scale = 0;
    EXPECT_TRUE(winsim::ParseTimeMode("virtual", mode, scale));
    EXPECT_EQ(winsim::TimeMode::Virtual, mode);
    EXPECT_TRUE(winsim::ParseTimeMode("scaled:20", mode, scale));
    EXPECT_EQ(winsim::TimeMode::Scaled, mode);
    EXPECT_DOUBLE_EQ(20.0, scale);
    EXPECT_FALSE(winsim::ParseTimeMode("scaled:0", mode, scale));
    EXPECT_FALSE(winsim::ParseTimeMode("scaled:x", mode, scale));
    EXPECT_FALSE(winsim::ParseTimeMode("fast", mode, scale));
}

} // namespace
