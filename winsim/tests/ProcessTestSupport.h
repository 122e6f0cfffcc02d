// Helpers shared by the process, window and reboot tests: host child processes (this test program again,
// started through an image whose Program= names it, playing the part its command line gives in
// ProcessChild.Play), declared programs put on the machine directly, and profile copies.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileTestSupport.h"
#include "TestMachine.h"
#include "core/Runtime.h"
#include "processes/DeclaredProgram.h"
#include "processes/DeclaredPrograms.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace process_test
{

// The host program of this test binary, as an image names it.
inline std::string SelfProgram()
{
    char self[PATH_MAX];
    ssize_t size = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string path = size > 0 ? std::string(self, static_cast<size_t>(size)) : "winsim_tests";
    return path.substr(path.find_last_of('/') + 1);
}

inline void WriteImage(const std::string& path, const std::string& program, const std::string& kind = "exe",
                       const std::string& machine = "x86")
{
    file_test::WriteText(path, "WINSIM-IMAGE 1\r\nKind=" + kind + "\r\nProgram=" + program + "\r\nMachine=" + machine +
                                   "\r\n");
}

// Declares a program on the attached machine, as a [Program.NAME] section would.
inline void Declare(const winsim::DeclaredProgram& program)
{
    winsim::Store& store = winsim::Runtime::Current()->GetMachine().GetStore();
    winsim::Transaction txn(store);
    ASSERT_TRUE(winsim::DeclaredPrograms::Save(store, {program}));
    ASSERT_TRUE(txn.Commit());
}

inline winsim::DeclaredProgram Program(const std::string& name, std::vector<winsim::DeclaredWindow> windows = {},
                                       std::optional<uint64_t> lifetimeMs = std::nullopt, uint32_t exitCode = 0)
{
    winsim::DeclaredProgram program;
    program.name = name;
    program.windows = std::move(windows);
    program.lifetimeMs = lifetimeMs;
    program.exitCode = exitCode;
    return program;
}

struct Started
{
    BOOL ok = FALSE;
    DWORD error = 0;
    PROCESS_INFORMATION info{};
};

inline Started Start(const char* application, const std::string& commandLine, const char* directory = nullptr)
{
    Started started;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    std::string line = commandLine;
    SetLastError(0);
    started.ok = CreateProcessA(application, commandLine.empty() ? nullptr : line.data(), nullptr, nullptr, FALSE, 0,
                                nullptr, directory, &startup, &started.info);
    started.error = started.ok ? 0 : GetLastError();
    return started;
}

inline void Close(const Started& started)
{
    if (started.ok)
    {
        CloseHandle(started.info.hProcess);
        CloseHandle(started.info.hThread);
    }
}

inline DWORD ExitCodeOf(HANDLE process)
{
    DWORD code = 0xDEADBEEF;
    EXPECT_TRUE(GetExitCodeProcess(process, &code)) << GetLastError();
    return code;
}

// A machine attached to the test process whose host children are this test program: the environment
// they inherit runs only their part.
class HostChildMachine : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        setenv("GTEST_FILTER", "ProcessChild.Play", 1);
        setenv("GTEST_BRIEF", "1", 1);
        m_child = ScratchFolder() + "\\child.exe";
        WriteImage(m_child, SelfProgram());
    }
    void TearDown() override
    {
        unsetenv("GTEST_FILTER");
        unsetenv("GTEST_BRIEF");
        TestMachine::TearDown();
    }
    // The child image; its command line says what it does (see ProcessChild.Play).
    const std::string& Child() const { return m_child; }

private:
    std::string m_child;
};

// Makes a machine (`where`-machine) from a copy (`where`-profile) of a shipped profile whose machine.ini
// gets more lines; the machine folder, or empty with the reason.
inline std::string MachineFromProfileCopy(const std::string& profile, const std::string& machineIniExtra,
                                          const std::string& where, std::string& error)
{
    const std::string copy = where + "-profile";
    const std::string dir = where + "-machine";
    const std::string command = "rm -rf '" + copy + "' '" + dir + "' && cp -a '" + std::string(DRVSETUP_SOURCE_DIR) +
                                "/profiles/" + profile + "' '" + copy + "'";
    if (std::system(command.c_str()) != 0)
    {
        error = "cannot copy profile " + profile;
        return {};
    }
    FILE* ini = std::fopen((copy + "/machine.ini").c_str(), "a");
    std::fputs(("\n" + machineIniExtra).c_str(), ini);
    std::fclose(ini);
    return winsim::CreateMachine(copy, dir, error) ? dir : std::string();
}

// Attaches the test process to a machine as TestMachine does, with its scratch folder C:\TEST.
inline void AttachTo(const std::string& machineDir)
{
    if (winsim::IsAttached())
        winsim::Detach(0);
    winsim::AttachOptions options;
    options.machineDir = machineDir;
    options.imagePath = "C:\\TEST\\tests.exe";
    std::string error;
    ASSERT_TRUE(winsim::Attach(options, error)) << error;
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
}

} // namespace process_test
