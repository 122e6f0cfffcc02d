// Fault plans through `winsim run` (this repository's setup program on a machine the test process is
// attached to as well), and a plan that stays with the process it was given to.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "faults/FaultPlan.h"
#include "windows.h"
#include "winsim/winsim.h"

using file_test::Journal;

namespace
{

class FaultRunTest : public TestMachine
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("WINSIM_BIN");
        if (!bin || !*bin)
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        m_bin = bin;
        if (access((m_bin + "/setup").c_str(), X_OK) != 0)
            GTEST_SKIP() << "the setup program is not built";
        TestMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\PKG", nullptr));
        process_test::WriteImage("C:\\PKG\\Setup.exe", "setup");
    }

    // `winsim run` of the setup program with the options given; its exit status, and its output in *output.
    int Run(const std::string& options, std::string* output = nullptr)
    {
        const std::string command = "WINSIM_BIN='" + m_bin + "' '" + m_bin + "/winsim' run '" + MachineDir() + "' " +
                                    options + " -- 'C:\\PKG\\Setup.exe' -L 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return -1;
        std::string text;
        char buffer[512];
        while (fgets(buffer, sizeof(buffer), pipe))
            text += buffer;
        const int status = pclose(pipe);
        if (output)
            *output = text;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Journal entries of the processes started from outside the machine, as "pid kind op target|detail".
    static std::vector<std::string> EntriesOf(const std::string& kind)
    {
        std::vector<std::string> entries;
        winsim::Statement stmt = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
            "SELECT pid, op, target, detail FROM journal WHERE kind = ?1 AND pid != ?2 ORDER BY seq");
        stmt.Bind(1, kind).Bind(2, GetCurrentProcessId());
        while (stmt.Step())
            entries.push_back(stmt.Text(1) + " " + stmt.Text(2) + "|" + stmt.Text(3));
        return entries;
    }

    std::string m_bin;
};

TEST_F(FaultRunTest, AMalformedPlanIsRefusedBeforeAnythingStarts)
{
    const struct
    {
        const char* options;
        const char* named;
    } cases[] = {
        {"--fail NoSuchFunction", "no built-in module exports 'NoSuchFunction'"},
        {"--fail GetTickCount", "GetTickCount cannot fail"},
        {"--fail 'CreateFileA:2=ERROR_BOGUS'", "'ERROR_BOGUS'"},
        {"--fail 'CreateFileA RegOpenKeyExA'", "one rule"},
        {"--fail CreateFileA:2 --fail createfilea:2", "--fail 'createfilea:2': "},
        {"--crash-at 0", "--crash-at '0'"},
        {"--crash-at 5 --crash-at 6", "crash-at is given twice"},
    };
    for (const auto& c : cases)
    {
        std::string output;
        EXPECT_EQ(2, Run(c.options, &output)) << c.options;
        EXPECT_NE(std::string::npos, output.find(c.named)) << c.options << " said: " << output;
    }
    EXPECT_TRUE(EntriesOf("process").empty());
}

TEST_F(FaultRunTest, PlannedFailuresReachTheProgram)
{
    EXPECT_EQ(1, Run("--fail 'CreateFileA:2=ERROR_DISK_FULL' --fail CreateFileA:4"));
    const std::vector<std::string> faults = EntriesOf("fault");
    EXPECT_EQ((std::vector<std::string>{"fail CreateFileA|call 2 -> error 112 (ERROR_DISK_FULL)",
                                        "fail CreateFileA|call 4 -> error 5 (ERROR_ACCESS_DENIED)"}),
              faults);
    const std::vector<std::string> process = EntriesOf("process");
    ASSERT_FALSE(process.empty());
    EXPECT_EQ("exit C:\\PKG\\Setup.exe|1", process.back());
}

TEST_F(FaultRunTest, CrashAtEndsTheProgramWithoutAnExitAndLeavesItsObjects)
{
    // Call 60 comes after the program has made its single-instance semaphore.
    EXPECT_EQ(winsim::kFaultCrashStatus, Run("--crash-at 60"));
    const std::vector<std::string> faults = EntriesOf("fault");
    ASSERT_EQ(1u, faults.size());
    EXPECT_EQ(0u, faults[0].find("crash ")) << faults[0];
    EXPECT_NE(std::string::npos, faults[0].find("|call 60")) << faults[0];
    const std::vector<std::string> process = EntriesOf("process");
    ASSERT_EQ(1u, process.size());
    EXPECT_EQ(0u, process[0].find("start C:\\PKG\\Setup.exe|")) << process[0];

    // What the crashed process held is only given up when the next one notices it has gone.
    std::vector<std::string> held;
    for (const std::string& entry : EntriesOf("object"))
    {
        const std::string name = entry.substr(entry.find(' ') + 1, entry.find('|') - entry.find(' ') - 1);
        if (entry.compare(0, 7, "create ") == 0)
            held.push_back(name);
        else if (entry.compare(0, 7, "delete ") == 0)
            std::erase(held, name);
    }
    ASSERT_FALSE(held.empty()) << "the program held no named object at call 60";
    EXPECT_EQ(1, Run(""));
    for (const std::string& name : held)
    {
        const std::vector<std::string> objects = EntriesOf("object");
        EXPECT_NE(objects.end(), std::find(objects.begin(), objects.end(), "delete " + name + "|last holder ended"))
            << name;
    }
}

class FaultChildTest : public process_test::HostChildMachine
{
};

TEST_F(FaultChildTest, ProcessesTheProgramStartsDoNotInheritItsPlan)
{
    // As `winsim run` hands a plan over: the child must not fail its file creation.
    setenv(winsim::kEnvFaults, "CreateFileA:*", 1);
    const std::string record = ScratchFolder() + "\\record.txt";
    process_test::Started child = process_test::Start(nullptr, "\"" + Child() + "\" record " + record);
    unsetenv(winsim::kEnvFaults);
    ASSERT_TRUE(child.ok) << child.error;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hProcess, INFINITE));
    EXPECT_EQ(0u, process_test::ExitCodeOf(child.info.hProcess));
    process_test::Close(child);
    EXPECT_TRUE(file_test::Exists(record));
    EXPECT_TRUE(Journal("fault", "fail").empty());
}

} // namespace
