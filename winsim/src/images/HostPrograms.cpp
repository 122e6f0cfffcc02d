#include "HostPrograms.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace winsim
{

std::string HostPrograms::Folder()
{
    if (const char* bin = std::getenv("WINSIM_BIN"); bin && *bin)
        return bin;
    char self[PATH_MAX];
    ssize_t size = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (size <= 0)
        return ".";
    std::string path(self, static_cast<size_t>(size));
    return path.substr(0, path.find_last_of('/'));
}

std::string HostPrograms::Executable(const std::string& program)
{
    if (program.empty() || program.find('/') != std::string::npos || program == "." || program == "..")
        return {};
    std::string path = Folder() + "/" + program;
    return access(path.c_str(), X_OK) == 0 ? path : std::string();
}

} // namespace winsim
