// Machine control entry points declared in winsim/winsim.h.
#include <cstdlib>
#include <string>

#include "core/Runtime.h"
#include "core/Store.h"
#include "files/CurrentDirectory.h"
#include "files/PathResolver.h"
#include "messagebox/MessageBoxAnswers.h"
#include "profile/ProfileLoader.h"
#include "winsim/winsim.h"

namespace winsim
{

bool CreateMachine(const std::string& profileDir, const std::string& machineDir, std::string& error)
{
    ProfileLoader loader;
    return loader.Create(profileDir, machineDir, error);
}

bool Attach(const AttachOptions& options, std::string& error)
{
    if (!Runtime::Attach(options, error))
        return false;
    std::string directory;
    if (!options.currentDirectory.empty() && PathResolver::Normalize(options.currentDirectory, "C:\\", directory))
        CurrentDirectory::Set(*Runtime::Current(), directory);
    return true;
}

bool AttachFromEnvironment(std::string& error)
{
    const char* machine = std::getenv(kEnvMachine);
    const char* image = std::getenv(kEnvImage);
    if (!machine || !*machine || !image || !*image)
    {
        error = std::string(kEnvMachine) + " and " + kEnvImage + " are not set";
        return false;
    }
    AttachOptions options;
    options.machineDir = machine;
    options.imagePath = image;
    if (const char* commandLine = std::getenv(kEnvCommandLine))
        options.commandLine = commandLine;
    if (const char* parent = std::getenv(kEnvParentPid))
        options.parentPid = static_cast<uint32_t>(std::strtoul(parent, nullptr, 10));
    if (const char* pid = std::getenv(kEnvPid))
        options.pid = static_cast<uint32_t>(std::strtoul(pid, nullptr, 10));
    if (const char* directory = std::getenv(kEnvCurrentDirectory))
        options.currentDirectory = directory;
    if (const char* time = std::getenv(kEnvTime))
    {
        if (!ParseTimeMode(time, options.timeMode, options.timeScale))
        {
            error = std::string("bad ") + kEnvTime + " '" + time + "'";
            return false;
        }
    }
    std::vector<std::string> answers;
    if (!MessageBoxAnswers::ReadEnvironment(answers, error))
        return false;
    const char* faults = std::getenv(kEnvFaults);
    const std::string plan = faults ? faults : "";
    if (!CheckFaultPlan(plan, error))
    {
        error = std::string(kEnvFaults) + ": " + error;
        return false;
    }
    return Attach(options, error) && SetMessageBoxAnswers(answers, error) && SetFaultPlan(plan, error);
}

bool IsAttached()
{
    return Runtime::Current() != nullptr;
}

bool SetWaitingOutside(bool waiting)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return false;
    Statement stmt = rt->GetMachine().GetStore().Prepare("UPDATE processes SET outside = ?2 WHERE pid = ?1");
    stmt.Bind(1, rt->Pid()).Bind(2, waiting ? 1 : 0);
    return stmt.Run();
}

void Detach(uint32_t exitCode)
{
    ClearFaultPlan();
    Runtime::Detach(exitCode);
}

bool ParseTimeMode(const std::string& text, TimeMode& mode, double& scale)
{
    if (text == "virtual")
    {
        mode = TimeMode::Virtual;
        scale = 1.0;
        return true;
    }
    const std::string prefix = "scaled:";
    if (text.compare(0, prefix.size(), prefix) != 0)
        return false;
    char* end = nullptr;
    double value = std::strtod(text.c_str() + prefix.size(), &end);
    if (!end || *end || !(value > 0.0) || value > 1e6)
        return false;
    mode = TimeMode::Scaled;
    scale = value;
    return true;
}

std::string HostPathOf(const std::string& machineDir, const std::string& windowsPath)
{
    std::string normalized;
    if (!PathResolver::Normalize(windowsPath, "C:\\", normalized))
        return {};
    return PathResolver(machineDir + "/drive/c").ToHost(normalized);
}

} // namespace winsim
