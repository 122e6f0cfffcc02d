// REGEDIT4 files: profiles seed the registry with them, `winsim reg export` writes them.
#pragma once

#include <string>

#include "registry/RegistryStore.h"

namespace winsim
{

// Imports a REGEDIT4 (or "Windows Registry Editor Version 5.00") file. On a malformed line returns false
// with an error of the form "<file>:<line>: <what is wrong>".
bool ImportRegFile(RegistryStore& registry, const std::string& hostPath, std::string& error);

// Writes the key, its values and all subkeys as REGEDIT4 text (CR LF line ends, as regedit writes them).
bool ExportRegFile(RegistryStore& registry, const std::string& fullPath, std::string& text, std::string& error);

} // namespace winsim
