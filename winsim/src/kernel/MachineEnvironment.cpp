#include "MachineEnvironment.h"

#include <strings.h>

#include "core/MachineIdentity.h"

namespace winsim
{

std::vector<std::pair<std::string, std::string>> MachineEnvironment::Variables(const MachineIdentity& identity)
{
    if (!identity.IsNT())
    {
        return {
            {"COMSPEC", identity.windowsDir + "\\COMMAND.COM"},
            {"TEMP", identity.tempDir},
            {"TMP", identity.tempDir},
            {"windir", identity.windowsDir},
        };
    }
    std::vector<std::pair<std::string, std::string>> variables = {
        {"ComSpec", identity.systemDir + "\\cmd.exe"},
        {"COMPUTERNAME", identity.computerName},
        {"OS", "Windows_NT"},
        {"PROCESSOR_ARCHITECTURE", "x86"},
        {"ProgramFiles", identity.programFilesDir},
        {"SystemDrive", "C:"},
        {"SystemRoot", identity.windowsDir},
        {"TEMP", identity.tempDir},
        {"TMP", identity.tempDir},
        {"windir", identity.windowsDir},
    };
    // How a 32-bit process learns that the machine underneath is 64-bit.
    if (identity.Is64Bit())
        variables.insert(variables.begin() + 4, {"PROCESSOR_ARCHITEW6432", "AMD64"});
    return variables;
}

bool MachineEnvironment::Lookup(const MachineIdentity& identity, const std::string& name, std::string& value)
{
    for (const auto& [variable, text] : Variables(identity))
    {
        if (strcasecmp(variable.c_str(), name.c_str()) == 0)
        {
            value = text;
            return true;
        }
    }
    return false;
}

} // namespace winsim
