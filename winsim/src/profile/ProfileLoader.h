// Makes a machine folder from a profile folder:
//   machine.ini   [Machine] OS identity, user and clock; [Folders] the root folders
//   *.reg         REGEDIT4 files imported in name order
//   files/        a tree copied onto drive C:
// The machine is built in a scratch folder beside the target and moved into place only when complete.
#pragma once

#include <string>

#include "core/MachineIdentity.h"

namespace winsim
{

class ProfileLoader
{
public:
    bool Create(const std::string& profileDir, const std::string& machineDir, std::string& error);

    // Reads machine.ini; errors name the file and line.
    static bool ReadMachineIni(const std::string& path, MachineIdentity& identity, std::string& error);

private:
    bool Build(const std::string& profileDir, const std::string& folder, std::string& error);
};

} // namespace winsim
