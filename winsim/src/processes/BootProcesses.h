// The profile's [Process.N] processes: running from the moment the machine is made, and started again
// at every reboot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeclaredProgram.h"

namespace winsim
{

class Store;
struct MachineIdentity;

class BootProcesses
{
public:
    // Machine creation: stores the declared programs, writes the image files of the [Process.N] ones
    // (and of their modules) where the profile's files did not put them, and starts them.
    static bool Install(Store& store, const std::string& machineFolder, const MachineIdentity& identity,
                        const std::vector<DeclaredProgram>& programs, std::string& error);
    // Starts every [Process.N] process at `nowMs`, without a parent; returns their pids.
    static std::vector<uint32_t> Start(Store& store, uint64_t nowMs);
};

} // namespace winsim
