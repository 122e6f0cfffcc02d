// Reads the [Process.N] and [Program.NAME] sections of a profile's machine.ini (the profile loader reads
// the other sections). Errors name the file and line, as the profile loader's do.
#pragma once

#include <string>
#include <vector>

#include "DeclaredProgram.h"

namespace winsim
{

class DeclaredProgramReader
{
public:
    static bool Read(const std::string& path, std::vector<DeclaredProgram>& programs, std::string& error);
};

} // namespace winsim
