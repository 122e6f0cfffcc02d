// Test fixture: each test runs on a fresh machine. On Linux that is a winsim machine made from a profile
// and attached to the test process; in the Windows build (under Wine) it is the real machine, with a
// scratch folder and a scratch registry key that are removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

class TestMachine : public ::testing::Test
{
public:
    // Creates a machine from a profile without attaching (winsim only); empty string on failure. A profile
    // is a folder name under profiles/ or an absolute path.
    static std::string MakeMachine(const std::string& profile);
    // A copy of a shipped profile with lines added to its machine.ini (winsim only); returns its path.
    static std::string DeriveProfile(const std::string& base, const std::string& name, const std::string& extraIni);

protected:
    void SetUp() override;
    void TearDown() override;

    // The profile folder name under profiles/ (winsim only).
    virtual const char* Profile() const { return "xp-sp2"; }

    // An empty folder on drive C: for the test, without a trailing backslash.
    const std::string& ScratchFolder() const { return m_scratchFolder; }
    // A registry path below HKEY_CURRENT_USER for the test; the key exists and is empty.
    const std::string& ScratchKey() const { return m_scratchKey; }
    // The winsim machine folder on the host (empty in the Windows build).
    const std::string& MachineDir() const { return m_machineDir; }

private:
    std::string m_scratchFolder;
    std::string m_scratchKey;
    std::string m_machineDir;
};
