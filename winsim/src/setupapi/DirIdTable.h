// The directory ids of INF files ([DestinationDirs], CopyFiles targets) and the folders they stand for on
// this machine.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

struct MachineIdentity;

class DirIdTable
{
public:
    // The folder of a DIRID, without a trailing backslash; false for an id the table does not know.
    // srcPath is what DIRID 1 (the source folder) stands for.
    static bool Folder(const MachineIdentity& identity, uint32_t dirId, const std::string& srcPath,
                       std::string& folder);
    // "dirid[,subdir]" fields of a line joined: the folder with the subfolder appended.
    static std::string Join(const std::string& folder, const std::string& subdir);
};

} // namespace winsim
