// The environment block a process on the machine starts with, made from the machine's identity.
// Every process is a 32-bit image for now, so on x64 machines it sees what WOW64 shows such a process.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace winsim
{

struct MachineIdentity;

class MachineEnvironment
{
public:
    static std::vector<std::pair<std::string, std::string>> Variables(const MachineIdentity& identity);
    // Names are compared without regard to case, as Windows compares them.
    static bool Lookup(const MachineIdentity& identity, const std::string& name, std::string& value);
};

} // namespace winsim
