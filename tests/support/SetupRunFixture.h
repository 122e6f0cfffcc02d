// Scenario fixture: a machine with the setup program's image under C:\DRIVERS, run through `winsim run`
// as a user would run it. Skipped where the winsim command is not known (ctest sets WINSIM_BIN).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FileText.h"
#include "HostCommand.h"
#include "ProductMachine.h"

class SetupRunFixture : public ProductMachine
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("WINSIM_BIN");
        if (!bin || !*bin)
            GTEST_SKIP() << "WINSIM_BIN is not set (ctest sets it)";
        m_bin = bin;
        ProductMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\DRIVERS", nullptr));
        ASSERT_TRUE(WriteImage("C:\\DRIVERS\\Setup.exe", "exe", "setup"));
    }

    static bool WriteImage(const std::string& path, const char* kind, const char* program)
    {
        return WriteWholeFile(path, std::string("WINSIM-IMAGE 1\r\nKind=") + kind + "\r\nProgram=" + program +
                                        "\r\nMachine=x86\r\nFileVersion=4.0.17.1\r\n");
    }

    // Runs C:\DRIVERS\Setup.exe with the arguments; returns its exit code.
    int Run(const std::string& args)
    {
        return Shell("'" + m_bin + "/winsim' run '" + MachineDir() + "' -- 'C:\\DRIVERS\\Setup.exe' " + args);
    }

    // What the winsim command prints (standard output and errors) for the arguments, e.g.
    // "journal '" + MachineDir() + "'".
    std::string Winsim(const std::string& args)
    {
        return HostCommandOutput("'" + m_bin + "/winsim' " + args + " 2>&1");
    }

    // The sample package under C:\DRIVERS, with the sample hardware-detection library beside Setup.exe.
    bool PutSamplePackage()
    {
        return Shell("'" + m_bin + "/winsim' put '" + MachineDir() + "' '" + DRVSETUP_SOURCE_DIR +
                     "/samples/package' 'C:\\DRIVERS'") == 0 &&
               WriteImage("C:\\DRIVERS\\DVXDLL.DLL", "dll", "dvxdll");
    }

    // What `winsim screen` prints for the machine.
    std::string Screen() { return Winsim("screen '" + MachineDir() + "'"); }

    static int Shell(const std::string& command)
    {
        int status = HostCommandStatus(command + " >/dev/null 2>&1");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string Read(const std::string& path)
    {
        std::string content;
        ReadWholeFile(path, content);
        return content;
    }

    std::string m_bin;
};

// The same, with the sample package under C:\DRIVERS and the sample hardware-detection library beside
// Setup.exe: the machine `make demo` installs.
class SamplePackageRunFixture : public SetupRunFixture
{
protected:
    void SetUp() override
    {
        SetupRunFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(PutSamplePackage());
    }
};
