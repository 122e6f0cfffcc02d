// Machine control: what the winsim command, the tests and the Linux entry point of a program use to
// create machines and attach the current process to one. Programs themselves only see the Win32 API.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

enum class TimeMode
{
    Virtual,
    Scaled
};

struct AttachOptions
{
    std::string machineDir;
    // The path the process was started as inside the machine (GetModuleFileNameA).
    std::string imagePath;
    // The whole command line as GetCommandLineA returns it; built from imagePath when empty.
    std::string commandLine;
    uint32_t parentPid = 0;
    TimeMode timeMode = TimeMode::Virtual;
    double timeScale = 1.0;
};

// Environment variables through which `winsim run` hands a machine to the program it starts.
inline constexpr const char* kEnvMachine = "WINSIM_MACHINE";
inline constexpr const char* kEnvImage = "WINSIM_IMAGE";
inline constexpr const char* kEnvCommandLine = "WINSIM_CMDLINE";
inline constexpr const char* kEnvTime = "WINSIM_TIME";
inline constexpr const char* kEnvParentPid = "WINSIM_PARENT_PID";

// Creates a machine folder from a profile folder. Fails, naming file and line, on a malformed profile,
// and then leaves nothing behind.
bool CreateMachine(const std::string& profileDir, const std::string& machineDir, std::string& error);

bool Attach(const AttachOptions& options, std::string& error);
// Attaches from the environment `winsim run` sets; false (with a reason) when the process was not started so.
bool AttachFromEnvironment(std::string& error);
bool IsAttached();
// Ends the attachment as a process exit would: closes handles, records the exit code, saves the clock.
void Detach(uint32_t exitCode);

// Parses "virtual" or "scaled:N".
bool ParseTimeMode(const std::string& text, TimeMode& mode, double& scale);

// Host path of a Windows path on the machine (the longest existing prefix resolved without regard to
// case, the rest kept as written). Empty for a path that is not on drive C:.
std::string HostPathOf(const std::string& machineDir, const std::string& windowsPath);

// Makes a folder of the attached process's machine write-protected (a read-only medium, or a folder the
// user may not write in) or writable again; a folder to protect is created when missing. Every change at or
// below a protected folder then fails with ERROR_ACCESS_DENIED. The change is journalled. False when no
// machine is attached or the path is not a folder on drive C:.
bool SetFolderWriteProtected(const std::string& windowsPath, bool writeProtected);

} // namespace winsim
