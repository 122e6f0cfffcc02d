// Reads an INF file of the machine for the PnP manager. Parsed files are kept per process, keyed by the
// host file and its size and time, so that a driver search over the INF folder reads each file once until
// it changes.
#pragma once

#include <memory>
#include <string>

#include "InfDriverList.h"
#include "setupapi/InfHandles.h"

namespace winsim
{

class Runtime;

struct LoadedInf
{
    InfFile file;
    InfDriverList drivers;
};

class InfLoader
{
public:
    // The parsed file at a Windows path with the drivers it offers this machine; nullptr with the Win32
    // error (ERROR_FILE_NOT_FOUND, a syntax error) when it cannot be read. The last error is left as it was.
    static std::shared_ptr<const LoadedInf> Load(Runtime& rt, const std::string& path, uint32_t& error);
};

} // namespace winsim
