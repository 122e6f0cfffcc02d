// Starts a program on the machine, for CreateProcessA, ShellExecuteA and reboot. The module is found as
// CreateProcessA finds it; its image descriptor says what runs:
//   Program=NAME that the profile declares ([Program.NAME] / [Process.N])  a declared process
//   Program=NAME of a host program beside the winsim command                 a host process attached to
//     the machine, started at the parent's virtual time, with the parent's current directory unless
//     another is given
// Failures are Win32 error codes: ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND (no such module),
// ERROR_BAD_EXE_FORMAT (not an .exe image for this machine, or nothing to run it), ERROR_DIRECTORY (a
// current directory that is not a folder), ERROR_ACCESS_DENIED (a folder given as the module).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/PathArgument.h"

namespace winsim
{

class Runtime;

struct LaunchedProcess
{
    uint32_t pid = 0;
    bool declared = false;
    // A declared process's end of life, if it has one.
    std::optional<uint64_t> endsMs;
};

class ProcessLauncher
{
public:
    explicit ProcessLauncher(Runtime& rt) : m_rt(rt) {}

    // CreateProcessA's reading of its arguments: the module is applicationName (taken as it is written,
    // no search, no extension added) or else the first name of commandLine (quoted, or the shortest run
    // of blank-separated words that names a file; ".exe" added when it has no extension; searched for
    // when it has no path). The command line is commandLine, or applicationName when that is NULL.
    uint32_t Launch(const char* applicationName, const char* commandLine, const char* currentDirectory,
                    LaunchedProcess& launched);
    // Starts a module already found.
    uint32_t LaunchModule(const WinPath& module, const std::string& commandLine, const char* currentDirectory,
                          LaunchedProcess& launched);

    // Finds a name as a command line's first name is found: ERROR_SUCCESS or the not-found error.
    uint32_t Find(const std::string& name, bool addExtension, WinPath& found);

private:
    uint32_t FromCommandLine(const std::string& commandLine, WinPath& module);
    bool Search(const std::string& name, WinPath& found, uint32_t& error);

    Runtime& m_rt;
};

} // namespace winsim
