// A package library's code: the host shared object an image descriptor names (Program=NAME), built by the
// project as lib<NAME>.so and kept beside the winsim command. Its functions call the Win32 API of the
// program that loads it (programs linked against winsim export their symbols for that).
#pragma once

#include <string>

#include "BuiltinModule.h"

namespace winsim
{

class PluginLibrary
{
public:
    // Where plugins are looked for: $WINSIM_BIN, else the folder of the running program.
    static std::string Folder();
    // Loads lib<program>.so, else <program>.so, from Folder(); nullptr (with the reason) when neither loads.
    static void* Open(const std::string& program, std::string& error);
    // A function the library itself defines; nullptr for names it does not define (also for names that
    // only its dependencies define).
    static ExportProc Find(void* library, const char* name);
    static void Close(void* library);
};

} // namespace winsim
