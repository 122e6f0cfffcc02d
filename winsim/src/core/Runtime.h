// The calling process's attachment to a machine: its machine, clock, handles and identity as a process.
// There is at most one per host process; every API function starts from Runtime::Current().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Clock.h"
#include "HandleTable.h"
#include "Machine.h"

namespace winsim
{

struct AttachOptions;

class Runtime
{
public:
    static Runtime* Current();
    static bool Attach(const AttachOptions& options, std::string& error);
    static void Detach(uint32_t exitCode);

    Machine& GetMachine() { return m_machine; }
    Clock& GetClock() { return m_clock; }
    HandleTable& Handles() { return m_handles; }
    const MachineIdentity& Identity() const { return m_machine.Identity(); }

    uint32_t Pid() const { return m_pid; }
    uint32_t ParentPid() const { return m_parentPid; }
    const std::string& ImagePath() const { return m_imagePath; }
    // GetCommandLineA hands out this buffer; it lives as long as the attachment.
    char* CommandLineBuffer() { return m_commandLine.data(); }

private:
    bool RegisterProcess(std::string& error);
    // Whether another process of the machine runs (one that may signal what this one waits on).
    bool OtherProcessRuns();

    Machine m_machine;
    Clock m_clock;
    HandleTable m_handles;
    uint32_t m_pid = 0;
    uint32_t m_parentPid = 0;
    std::string m_imagePath;
    std::string m_commandLine;
};

} // namespace winsim
