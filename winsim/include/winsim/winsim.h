// Machine control: what the winsim command, the tests and the Linux entry point of a program use to
// create machines and attach the current process to one. Programs themselves only see the Win32 API.
#pragma once

#include <cstddef>
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
    // The process id the parent gave the process when it started it (CreateProcessA); 0: take a new one.
    uint32_t pid = 0;
    // The current directory to start in ("C:\..."); empty: the image's folder.
    std::string currentDirectory;
    TimeMode timeMode = TimeMode::Virtual;
    double timeScale = 1.0;
};

// Environment variables through which `winsim run` hands a machine to the program it starts.
inline constexpr const char* kEnvMachine = "WINSIM_MACHINE";
inline constexpr const char* kEnvImage = "WINSIM_IMAGE";
inline constexpr const char* kEnvCommandLine = "WINSIM_CMDLINE";
inline constexpr const char* kEnvTime = "WINSIM_TIME";
inline constexpr const char* kEnvParentPid = "WINSIM_PARENT_PID";
// Set when a process of the machine starts another (CreateProcessA, ShellExecuteA, reboot).
inline constexpr const char* kEnvPid = "WINSIM_PID";
inline constexpr const char* kEnvCurrentDirectory = "WINSIM_CURDIR";

// Creates a machine folder from a profile folder. Fails, naming file and line, on a malformed profile,
// and then leaves nothing behind.
bool CreateMachine(const std::string& profileDir, const std::string& machineDir, std::string& error);

bool Attach(const AttachOptions& options, std::string& error);
// Attaches from the environment `winsim run` sets; false (with a reason) when the process was not started so.
bool AttachFromEnvironment(std::string& error);
bool IsAttached();
// Ends the attachment as a process exit would: closes handles, records the exit code, saves the clock.
void Detach(uint32_t exitCode);
// Marks the attached process as waiting on something outside the machine (a test blocked on a host
// command such as `winsim run`) or back: while it waits, it can signal no object of the machine, so the
// other processes' clock jumps are not held back for it. False when not attached.
bool SetWaitingOutside(bool waiting);

// Reboots a machine no process of this host process is attached to: applies the pending file renames
// (PendingFileRenameOperations on NT, WININIT.INI on Windows 9x), deletes volatile registry keys, ends
// every process and window, clears named objects, restarts the machine's uptime and its boot processes,
// then runs the Run and RunOnce programs. Journalled as kind "machine"; see docs/winsim.md.
bool Reboot(const std::string& machineDir, std::string& error);

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

// Plugs a device of the attached process's machine in or out (the instance ID of one of the profile's
// devices, any case), as `winsim plug|unplug` does: a device plugged in appears at once (found as new
// hardware if the machine has no keys for it), one pulled out goes with the devices below it. The change is
// journalled. False when no machine is attached or it has no such device.
bool SetDevicePlugged(const std::string& instanceId, bool plugged);

// The program's compiled resources (the bytes of a .res file, which must stay in place), served as the
// resources of its image (FindResourceA, LoadStringA with GetModuleHandleA(NULL)). The build generates a
// source that calls this before main; see cmake/EmbedResources.cmake.
bool RegisterProgramResources(const unsigned char* data, size_t size);

// Scripted answers to the message boxes of the attached process (MessageBoxA): rules as `winsim run
// --answer` takes them (docs/winsim.md), tried in order. Replaces the rules set before; false, with the
// reason, for a malformed rule. `winsim run` hands its rules over in kEnvAnswers, one per line, read at
// attach.
bool SetMessageBoxAnswers(const std::vector<std::string>& rules, std::string& error);
// Checks one rule without an attached machine (for the winsim command).
bool CheckMessageBoxAnswer(const std::string& rule, std::string& error);
inline constexpr const char* kEnvAnswers = "WINSIM_ANSWERS";

// Fault injection for the attached process, so that its failure paths can be tested. A plan is items
// separated by blanks, new lines or semicolons:
//     API[:N|:*][=ERROR]   the Nth call (default the first) or every call (*) of API fails with ERROR (a
//                          number or an ERROR_ name; default the function's usual error), returning the
//                          function's failure value
//     crash-at=N           the process ends abruptly (exit status 139, no exit recorded) at its Nth API call
// Calls count from when the plan is set; only the program's own calls count, not those API functions make
// to each other. Replaces the plan set before; an empty plan clears it, and so does detaching. False, with
// the reason, for a malformed plan or when no machine is attached. `winsim run --fail/--crash-at` hands a
// plan over in kEnvFaults, read at attach; processes the program starts do not inherit it.
bool SetFaultPlan(const std::string& plan, std::string& error);
void ClearFaultPlan();
// Checks a plan without an attached machine (for the winsim command).
bool CheckFaultPlan(const std::string& plan, std::string& error);
inline constexpr const char* kEnvFaults = "WINSIM_FAULTS";

// What the attached process's machine shows on screen, as `winsim screen` prints its windows: each visible
// top-level window with its controls and their state, as the owning threads last published them (a
// thread publishes whenever its message loop waits). Empty when no machine is attached.
std::string DescribeScreen();
// Saves the screen as a PNG picture on the host (as `winsim screen DIR --png FILE`); false with the reason.
bool SaveScreenPng(const std::string& hostPath, std::string& error);
// `winsim run --screens DIR` hands DIR over in kEnvScreenLog: each time the visible top-level windows of
// the machine change (one appears, goes or is retitled), the program's process writes the screen as
// `winsim screen` prints it to DIR/screen-NN.txt and its picture to DIR/screen-NN.png, NN counting from 01.
inline constexpr const char* kEnvScreenLog = "WINSIM_SCREEN_LOG";
// For fuzzers: SetupOpenInfFileA of this full path (any case) reads these bytes from memory instead of the
// drive, with no file access and nothing journalled; everything after the read is the same. An empty path
// ends it.
void SetMemoryInf(const std::string& windowsPath, const std::string& bytes);

} // namespace winsim
