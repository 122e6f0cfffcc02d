// Makes a machine folder from a profile folder:
//   machine.ini   [Machine] OS identity, user and clock; [Folders] the root folders; [ReadOnlyFolders]
//                 folders where nothing may change (created when missing); [Modules] modules and exports
//                 the machine lacks; [Process.N] and [Program.NAME] declared processes and programs
//                 (see processes/DeclaredProgram.h); [Device.N] the devices (see devices/ProfileDevice.h)
//   *.reg         REGEDIT4 files imported in name order
//   files/        a tree copied onto drive C:
// The machine is built in a scratch folder beside the target and moved into place only when complete.
#pragma once

#include <string>
#include <vector>

#include "core/MachineIdentity.h"
#include "modules/ModuleTrims.h"

namespace winsim
{

class ProfileLoader
{
public:
    bool Create(const std::string& profileDir, const std::string& machineDir, std::string& error);

    // Reads machine.ini; errors name the file and line. readOnlyFolders gets the normalised paths of
    // [ReadOnlyFolders].
    // modules gets [Modules], what the profile takes away from the built-in modules.
    static bool ReadMachineIni(const std::string& path, MachineIdentity& identity,
                               std::vector<std::string>& readOnlyFolders, ModuleTrims& modules, std::string& error);

private:
    bool Build(const std::string& profileDir, const std::string& folder, std::string& error);
};

} // namespace winsim
