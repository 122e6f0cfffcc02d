// The trace log as a user meets it after `winsim run`: long command lines, a program folder whose name
// looks like the self-removal copy, failed opens and seeks of an existing log, and -L names that are no
// file names, the program's own image or a device.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "SetupRunFixture.h"

namespace
{

const char* const kLog = "C:\\DRIVERS\\NORVALIS_INSTALL.LOG";
const char* const kEarlier = "10:00:00.000 :   ENTRY: an earlier run\r\n10:00:00.001 :   EXIT:  an earlier run\r\n";

class TraceLogScenarioTest : public SetupRunFixture
{
protected:
    int RunAt(const std::string& exe, const std::string& args)
    {
        return Shell("'" + m_bin + "/winsim' run '" + MachineDir() + "' -- '" + exe + "' " + args);
    }
    int RunWithFault(const std::string& rule, const std::string& args)
    {
        return Shell("'" + m_bin + "/winsim' run '" + MachineDir() + "' --fail " + rule +
                     " -- 'C:\\DRIVERS\\Setup.exe' " + args);
    }

    // The names in a folder, in listing order, with their attributes.
    static std::vector<std::string> Listing(const std::string& folder)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(std::string(data.cFileName) + ":" + std::to_string(data.dwFileAttributes));
        while (FindNextFileA(find, &data));
        FindClose(find);
        return names;
    }

    static std::string TempFolder()
    {
        char szTemp[MAX_PATH] = {0};
        GetTempPathA(MAX_PATH, szTemp);
        std::string csTemp(szTemp);
        return csTemp.empty() ? csTemp : csTemp.substr(0, csTemp.size() - 1);
    }

    // Whether a host file whose name starts with `name` (any case) is anywhere on drive C:.
    bool HostFileExists(const std::string& name)
    {
        return Shell("find '" + MachineDir() + "/drive' -iname '" + name + "*' | grep -q .") == 0;
    }
};

TEST_F(TraceLogScenarioTest, EveryStampOfALongCommandLineStartsALine)
{
    const std::string unknown = "-" + std::string(4995, 'X');
    EXPECT_EQ(1, Run(unknown + " -L"));
    const std::string log = Read(kLog);
    ASSERT_FALSE(log.empty());
    const std::regex stamp("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} : ");
    size_t stamped = 0;
    for (const std::string& line : SplitCrLf(log))
    {
        // A write of several lines carries one stamp, on its first line; no stamp stands inside a line.
        auto first = std::sregex_iterator(line.begin(), line.end(), stamp);
        if (first == std::sregex_iterator())
            continue;
        ++stamped;
        EXPECT_EQ(0, first->position()) << line.substr(0, 80);
        EXPECT_EQ(std::sregex_iterator(), std::next(first)) << "two stamps in: " << line.substr(0, 80);
    }
    EXPECT_GT(stamped, 4u);
    // The reason follows the cut command line, on a line of its own.
    EXPECT_NE(std::string::npos, log.find("XXX\r\nERROR : csTemp = -XXXX"));
    EXPECT_NE(std::string::npos, log.find("dwSetupConfig = 1000 : dwMode = 0\r\n"));
    // Every line ends as a line: the text ends in CR LF and holds no bare line feed.
    EXPECT_EQ("\r\n", log.substr(log.size() - 2));
    EXPECT_EQ(std::string::npos, std::regex_replace(log, std::regex("\r\n"), "").find('\n'));
}

class SelfRemovalLookalikeTest : public TraceLogScenarioTest
{
protected:
    void SetUp() override
    {
        TraceLogScenarioTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(CreateDirectoryA("C:\\KDVX.EXE.OLD", nullptr));
        ASSERT_TRUE(WriteImage(kExe, "exe", "setup"));
    }
    static constexpr const char* kExe = "C:\\KDVX.EXE.OLD\\Setup.exe";
};

TEST_F(SelfRemovalLookalikeTest, FolderNamedLikeTheCopyRunsAsANormalSetup)
{
    EXPECT_EQ(1, RunAt(kExe, "BOGUS -L"));
    const std::string log = Read("C:\\KDVX.EXE.OLD\\NORVALIS_INSTALL.LOG");
    EXPECT_NE(std::string::npos, log.find("ERROR : csTemp = BOGUS\r\n")) << log;
}

class SelfRemovalLookalikeUserTest : public SelfRemovalLookalikeTest
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "kdvx-user", "[Machine]\nAdministrator=0\n");
        return path.c_str();
    }
};

TEST_F(SelfRemovalLookalikeUserTest, AdministratorTestIsNotSkipped)
{
    EXPECT_EQ(1, RunAt(kExe, "-S"));
    const std::string screen = Screen();
    EXPECT_NE(std::string::npos, screen.find("You must have Administrative privileges to install this product."))
        << screen;
}

TEST_F(TraceLogScenarioTest, FailedOpenOfTheExistingLogLosesNoEarlierLine)
{
    ASSERT_TRUE(WriteWholeFile(kLog, kEarlier));
    // Each CreateFileA call of the run fails once in turn, the log's own opens among them.
    for (int call = 1; call <= 30; ++call)
    {
        const std::string before = Read(kLog);
        RunWithFault("CreateFileA:" + std::to_string(call), "-L");
        const std::string after = Read(kLog);
        ASSERT_EQ(before, after.substr(0, before.size())) << "CreateFileA call " << call;
    }
    const std::string log = Read(kLog);
    EXPECT_EQ(0u, log.find(kEarlier));
    EXPECT_NE(std::string::npos, log.find("EXIT:  CSetupApp::RunSetupApp"));
}

TEST_F(TraceLogScenarioTest, FailedSeekDropsTheLineInsteadOfWritingOverTheStart)
{
    ASSERT_TRUE(WriteWholeFile(kLog, kEarlier));
    for (const char* rule : {"SetFilePointer:1", "SetFilePointer:2", "SetFilePointer:5", "SetFilePointer:*"})
    {
        const std::string before = Read(kLog);
        RunWithFault(rule, "-L");
        const std::string after = Read(kLog);
        ASSERT_EQ(before, after.substr(0, before.size())) << rule;
    }
    // With every seek failing not one line is written.
    const std::string before = Read(kLog);
    RunWithFault("SetFilePointer:*", "-L");
    EXPECT_EQ(before, Read(kLog));
}

TEST_F(TraceLogScenarioTest, LogNameWithoutAFileNameTouchesNothing)
{
    // What a run without a log leaves behind is the measure.
    const int plainExit = Run("");
    const std::string csTemp = TempFolder();
    ASSERT_FALSE(csTemp.empty());
    const std::vector<std::string> temp = Listing(csTemp);
    const std::vector<std::string> drivers = Listing("C:\\DRIVERS");
    const DWORD tempAttributes = GetFileAttributesA(csTemp.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, tempAttributes);

    for (const char* args : {"'-L=C:\\DRIVERS\\'", "'-L=\"\\\"'"})
    {
        EXPECT_EQ(plainExit, Run(args)) << args;
        EXPECT_EQ(tempAttributes, GetFileAttributesA(csTemp.c_str())) << args;
        EXPECT_EQ(temp, Listing(csTemp)) << args;
        EXPECT_EQ(drivers, Listing("C:\\DRIVERS")) << args;
    }
}

TEST_F(TraceLogScenarioTest, LogNamedAfterTheRunningProgramGoesToTheFallback)
{
    const std::string image = Read("C:\\DRIVERS\\Setup.exe");
    EXPECT_EQ(1, Run("'-L=C:\\DRIVERS\\Setup.exe'"));
    EXPECT_EQ(image, Read("C:\\DRIVERS\\Setup.exe"));
    EXPECT_NE(std::string::npos, Read(TempFolder() + "\\SETUP.EXE").find("ENTRY: CSetupApp::RunSetupApp"));
    // The image still starts a program.
    EXPECT_EQ(1, Run("-L"));
    EXPECT_NE(std::string::npos, Read(kLog).find("EXIT:  CSetupApp::RunSetupApp"));
}

TEST_F(TraceLogScenarioTest, LogNamedNulIsTheNullDevice)
{
    EXPECT_EQ(1, Run("-L=NUL"));
    EXPECT_EQ(1, Run("'-L=C:\\DRIVERS\\nul.log'"));
    EXPECT_FALSE(HostFileExists("nul"));
}

} // namespace
