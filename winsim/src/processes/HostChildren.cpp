#include "HostChildren.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "winsim/winsim.h"

extern char** environ;

namespace winsim
{

namespace
{

std::mutex g_mutex;
// Host pid -> wait status once reaped (-1 while it runs).
std::map<pid_t, int> g_children;

// A fault plan is for the process `winsim run` started only: its children do not inherit it.
bool IsOurs(const std::string& setting)
{
    for (const char* name :
         {kEnvMachine, kEnvImage, kEnvCommandLine, kEnvTime, kEnvParentPid, kEnvPid, kEnvCurrentDirectory, kEnvFaults})
    {
        const size_t length = std::strlen(name);
        if (setting.compare(0, length, name) == 0 && setting.size() > length && setting[length] == '=')
            return true;
    }
    return false;
}

} // namespace

pid_t HostChildren::Start(const HostLaunch& launch, std::string& error)
{
    std::vector<std::string> settings;
    for (char** entry = environ; entry && *entry; ++entry)
    {
        if (!IsOurs(*entry))
            settings.emplace_back(*entry);
    }
    settings.push_back(std::string(kEnvMachine) + "=" + launch.machineDir);
    settings.push_back(std::string(kEnvImage) + "=" + launch.imagePath);
    settings.push_back(std::string(kEnvCommandLine) + "=" + launch.commandLine);
    settings.push_back(std::string(kEnvTime) + "=" + launch.timeMode);
    settings.push_back(std::string(kEnvPid) + "=" + std::to_string(launch.pid));
    settings.push_back(std::string(kEnvParentPid) + "=" + std::to_string(launch.parentPid));
    if (!launch.currentDirectory.empty())
        settings.push_back(std::string(kEnvCurrentDirectory) + "=" + launch.currentDirectory);
    std::vector<char*> envp;
    for (std::string& setting : settings)
        envp.push_back(setting.data());
    envp.push_back(nullptr);
    std::string program = launch.executable;
    char* argv[] = {program.data(), nullptr};

    pid_t child = -1;
    // Registered under the lock so that a concurrent Ended() cannot miss the new child.
    std::lock_guard<std::mutex> lock(g_mutex);
    // Children that ended while nobody looked (killed ones) are reaped here, so none stays a zombie long.
    for (auto& [hostPid, status] : g_children)
    {
        int waited = 0;
        if (status == -1 && waitpid(hostPid, &waited, WNOHANG) == hostPid)
            status = waited;
    }
    const int rc = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, envp.data());
    if (rc != 0)
    {
        error = "cannot start " + program + ": " + std::strerror(rc);
        return -1;
    }
    g_children[child] = -1;
    return child;
}

bool HostChildren::Owns(pid_t hostPid)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_children.count(hostPid) != 0;
}

bool HostChildren::Ended(pid_t hostPid, int& status)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto found = g_children.find(hostPid);
    if (found == g_children.end())
        return false;
    if (found->second == -1)
    {
        int waited = 0;
        if (waitpid(hostPid, &waited, WNOHANG) != hostPid)
            return false;
        found->second = waited;
    }
    status = found->second;
    return true;
}

void HostChildren::Kill(pid_t hostPid)
{
    if (hostPid > 0)
        kill(hostPid, SIGKILL);
}

} // namespace winsim
