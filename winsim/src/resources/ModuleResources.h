// Which resources a module handle has. The program's own image (NULL or its base) has the compiled resources
// its build embedded (RegisterProgram); a built-in module has the strings it carries for the machine's
// Windows version, as an English string table; package libraries and other files have none.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ResourceCatalog.h"

namespace winsim
{

class Runtime;

class ModuleResources
{
public:
    // The catalog of a module of the attached process, or nullptr with the error to report:
    // ERROR_RESOURCE_DATA_NOT_FOUND for a module without resources (or no module at all).
    static const ResourceCatalog* Of(Runtime& runtime, uintptr_t module, uint32_t& error);

    // The program's compiled resources (.res bytes, which must stay in place); read at first use.
    static void RegisterProgram(const uint8_t* data, size_t size);
    static const ResourceCatalog* Program();
};

} // namespace winsim
