// A benchmark's machine: made from a profile in memory, attached to the benchmark process while the object
// lives, then detached and removed.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "TestMachine.h"
#include "winsim/winsim.h"

class BenchMachine
{
public:
    explicit BenchMachine(const std::string& profile = "xp-sp2") : m_dir(TestMachine::MakeMachine(profile))
    {
        if (m_dir.empty())
        {
            m_error = "cannot make a machine from " + profile;
            return;
        }
        winsim::AttachOptions options;
        options.machineDir = m_dir;
        options.imagePath = "C:\\BENCH\\bench.exe";
        m_attached = winsim::Attach(options, m_error);
    }
    ~BenchMachine()
    {
        if (m_attached)
            winsim::Detach(0);
        if (!m_dir.empty())
        {
            std::error_code ignored;
            std::filesystem::remove_all(m_dir, ignored);
        }
    }
    BenchMachine(const BenchMachine&) = delete;
    BenchMachine& operator=(const BenchMachine&) = delete;

    // How many [Device.N] sections the shipped xp-sp2 profile has: devices a benchmark adds follow them.
    static int ProfileDeviceCount()
    {
        std::ifstream ini(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2/machine.ini");
        int nCount = 0;
        for (std::string line; std::getline(ini, line);)
            nCount += line.rfind("[Device.", 0) == 0 ? 1 : 0;
        return nCount;
    }

    bool Attached() const { return m_attached; }
    const std::string& Dir() const { return m_dir; }
    // Why the machine could not be made or attached.
    const std::string& Error() const { return m_error; }

private:
    std::string m_dir;
    std::string m_error;
    bool m_attached = false;
};
