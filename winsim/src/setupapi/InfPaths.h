// Where an INF sends files and where it takes them from: [DestinationDirs] (with DefaultDestDir) and
// [SourceDisksFiles]/[SourceDisksNames], the architecture-decorated sections (.x86, .amd64) first.
#pragma once

#include <cstdint>
#include <string>

#include "InfHandles.h"

namespace winsim
{

struct MachineIdentity;

class InfPaths
{
public:
    // The target folder of a copy section (or, with an empty name, the default); false with the error.
    static bool TargetFolder(const MachineIdentity& identity, const InfFile& file, const std::string& section,
                             std::string& folder, uint32_t& error);
    // The disk id and the folder, relative to the source root, of a file; false with ERROR_LINE_NOT_FOUND when
    // [SourceDisksFiles] does not name the file or [SourceDisksNames] does not describe its disk.
    static bool SourceLocation(const MachineIdentity& identity, const InfFile& file, const std::string& name,
                               uint32_t& diskId, std::string& relative, uint32_t& error);
    // The [SourceDisksNames] line of a disk (the decorated section first), or nullptr.
    static const InfModel::Line* Disk(const MachineIdentity& identity, const InfModel& model, uint32_t diskId);
    // The decorated section of a base name that exists for this machine's architecture, else the base.
    static std::string Decorated(const MachineIdentity& identity, const InfModel& model, const char* base);
};

} // namespace winsim
