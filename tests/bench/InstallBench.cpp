// The program's main job timed as a user runs it: the sample package under C:\DRIVERS with the sample
// hardware-detection library on a fresh default machine, installed silently ("-S -L -F2") through
// `winsim run`, and a second run on the same machine that upgrades what the first installed. Real time
// counts the run only (making the machine and copying the package are set-up); the virtual time the run
// took comes from the first and last time stamps of its trace log. Target: under 0.5 s real per install.
#include <benchmark/benchmark.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "TestMachine.h"

namespace
{

const char* const kArgs = "-S -L -F2";

std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

std::string Winsim()
{
    return Quote(std::string(DRVSETUP_BINARY_DIR) + "/winsim");
}

int Shell(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Milliseconds since midnight of a trace line's "HH:MM:SS.mmm" stamp, or -1.
long StampMs(const std::string& line)
{
    int h = 0;
    int m = 0;
    int s = 0;
    int ms = 0;
    if (std::sscanf(line.c_str(), "%2d:%2d:%2d.%3d", &h, &m, &s, &ms) != 4)
        return -1;
    return ((h * 60L + m) * 60L + s) * 1000L + ms;
}

// The virtual milliseconds from the last run's first trace line to its last one (-1 without a log). The
// log grows run after run; the last run starts with the last entry into the run flow.
long LastRunVirtualMs(const std::string& machineDir)
{
    std::ifstream in(machineDir + "/drive/c/DRIVERS/NORVALIS_INSTALL.LOG", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string log = text.str();
    const size_t first = log.rfind("ENTRY: CSetupApp::RunSetupApp");
    if (first == std::string::npos)
        return -1;
    const size_t firstLine = log.rfind('\n', first);
    const size_t lastLine = log.rfind('\n', log.size() >= 2 ? log.size() - 2 : 0);
    const long start = StampMs(log.substr(firstLine == std::string::npos ? 0 : firstLine + 1));
    const long end = StampMs(log.substr(lastLine == std::string::npos ? 0 : lastLine + 1));
    return start < 0 || end < start ? -1 : end - start;
}

// A fresh default machine with the package, Setup.exe and the hardware-detection library, as the demo
// makes it. Empty on failure.
std::string PrepareMachine()
{
    const std::string dir = TestMachine::MakeMachine("xp-sp2");
    if (dir.empty())
        return dir;
    const std::string machine = " " + Quote(dir) + " ";
    const bool ok = Shell(Winsim() + " put" + machine + Quote(std::string(DRVSETUP_SOURCE_DIR) + "/samples/package") +
                          " 'C:\\DRIVERS'") == 0 &&
                    Shell(Winsim() + " image" + machine + "setup 'C:\\DRIVERS\\Setup.exe'") == 0 &&
                    Shell(Winsim() + " image" + machine + "dvxdll 'C:\\DRIVERS\\DVXDLL.DLL'") == 0;
    if (!ok)
        Shell("rm -rf " + Quote(dir));
    return ok ? dir : std::string();
}

int RunSetup(const std::string& dir)
{
    return Shell(Winsim() + " run " + Quote(dir) + " -- 'C:\\DRIVERS\\Setup.exe' " + kArgs);
}

// Times the nRun-th silent run (1: the fresh install, 2: the upgrade) on a fresh machine per iteration.
void SilentInstall(benchmark::State& state, int nRun)
{
    long nVirtualMs = 0;
    double dRealTotal = 0;
    for (auto _ : state)
    {
        const std::string dir = PrepareMachine();
        if (dir.empty())
        {
            state.SkipWithError("cannot make the machine");
            return;
        }
        int nExit = nRun > 1 ? RunSetup(dir) : 0;
        const auto start = std::chrono::steady_clock::now();
        if (nExit == 0)
            nExit = RunSetup(dir);
        const std::chrono::duration<double> real = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(real.count());
        dRealTotal += real.count();
        nVirtualMs = LastRunVirtualMs(dir);
        Shell("rm -rf " + Quote(dir));
        if (nExit != 0 || nVirtualMs < 0)
        {
            state.SkipWithError(("the install ended with exit code " + std::to_string(nExit)).c_str());
            return;
        }
    }
    const double dRealPerRun = state.iterations() ? dRealTotal / static_cast<double>(state.iterations()) : 0;
    state.counters["virtual_s"] = static_cast<double>(nVirtualMs) / 1000.0;
    // How many seconds of the machine's time one real second covers.
    state.counters["virtual_per_real"] = dRealPerRun > 0 ? static_cast<double>(nVirtualMs) / 1000.0 / dRealPerRun : 0;
}

void SilentInstallFresh(benchmark::State& state)
{
    SilentInstall(state, 1);
}
BENCHMARK(SilentInstallFresh)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void SilentInstallSecondRun(benchmark::State& state)
{
    SilentInstall(state, 2);
}
BENCHMARK(SilentInstallSecondRun)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
