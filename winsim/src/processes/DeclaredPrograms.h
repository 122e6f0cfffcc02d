// The profile's declared programs as the machine store keeps them (table declared_programs).
#pragma once

#include <string>
#include <vector>

#include "DeclaredProgram.h"

namespace winsim
{

class Store;

class DeclaredPrograms
{
public:
    // Stores every program; the caller runs the transaction.
    static bool Save(Store& store, const std::vector<DeclaredProgram>& programs);
    // The program an image's Program=NAME names (any case); false when the profile declares none.
    static bool Find(Store& store, const std::string& name, DeclaredProgram& program);
    // The [Process.N] programs, in the order of the profile.
    static std::vector<DeclaredProgram> BootProcesses(Store& store);
};

} // namespace winsim
