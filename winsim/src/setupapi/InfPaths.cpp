#include "InfPaths.h"

#include <cstdlib>

#include "DirIdTable.h"
#include "InfAccess.h"
#include "core/MachineIdentity.h"

namespace winsim
{

std::string InfPaths::Decorated(const MachineIdentity& identity, const InfModel& model, const char* base)
{
    const std::string decorated = std::string(base) + (identity.Is64Bit() ? ".amd64" : ".x86");
    return model.FindSection(decorated) != InfModel::kNone ? decorated : std::string(base);
}

const InfModel::Line* InfPaths::Disk(const MachineIdentity& identity, const InfModel& model, uint32_t diskId)
{
    const std::string diskKey = std::to_string(diskId);
    for (const std::string& candidate :
         {std::string("SourceDisksNames") + (identity.Is64Bit() ? ".amd64" : ".x86"), std::string("SourceDisksNames")})
    {
        const uint32_t names = model.FindSection(candidate);
        const uint32_t line =
            names == InfModel::kNone ? InfModel::kNone : InfAccess::FindKey(model, names, 0, diskKey.c_str());
        if (line != InfModel::kNone)
            return &model.LineAt(names, line);
    }
    return nullptr;
}

bool InfPaths::TargetFolder(const MachineIdentity& identity, const InfFile& file, const std::string& section,
                            std::string& folder, uint32_t& error)
{
    const InfModel& model = file.model;
    const uint32_t dirs = model.FindSection("DestinationDirs");
    uint32_t line = InfModel::kNone;
    if (dirs != InfModel::kNone)
    {
        if (!section.empty())
            line = InfAccess::FindKey(model, dirs, 0, section.c_str());
        if (line == InfModel::kNone)
            line = InfAccess::FindKey(model, dirs, 0, "DefaultDestDir");
    }
    if (line == InfModel::kNone)
    {
        // No entry at all: the system folder, as DIRID_DEFAULT says.
        folder = identity.systemDir;
        return true;
    }
    const InfModel::Line& entry = model.LineAt(dirs, line);
    const std::string id = entry.fieldCount >= 1 ? model.FieldText(entry, 1) : std::string();
    char* end = nullptr;
    const long dirId = std::strtol(id.c_str(), &end, 0);
    if (id.empty() || *end || !DirIdTable::Folder(identity, static_cast<uint32_t>(dirId), file.folder, folder))
    {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (entry.fieldCount >= 2)
        folder = DirIdTable::Join(folder, model.FieldText(entry, 2));
    return true;
}

bool InfPaths::SourceLocation(const MachineIdentity& identity, const InfFile& file, const std::string& name,
                              uint32_t& diskId, std::string& relative, uint32_t& error)
{
    const InfModel& model = file.model;
    uint32_t line = InfModel::kNone;
    uint32_t section = InfModel::kNone;
    // The decorated section first, then the plain one.
    for (const std::string& candidate :
         {std::string("SourceDisksFiles") + (identity.Is64Bit() ? ".amd64" : ".x86"), std::string("SourceDisksFiles")})
    {
        section = model.FindSection(candidate);
        if (section != InfModel::kNone)
            line = InfAccess::FindKey(model, section, 0, name.c_str());
        if (line != InfModel::kNone)
            break;
    }
    if (line == InfModel::kNone)
    {
        error = ERROR_LINE_NOT_FOUND;
        return false;
    }
    const InfModel::Line& entry = model.LineAt(section, line);
    diskId =
        entry.fieldCount >= 1 ? static_cast<uint32_t>(std::strtoul(model.FieldText(entry, 1).c_str(), nullptr, 0)) : 0;
    const std::string fileSub = entry.fieldCount >= 2 ? model.FieldText(entry, 2) : std::string();
    std::string diskSub;
    // A disk that [SourceDisksNames] does not describe makes the file's location unknown.
    const InfModel::Line* disk = Disk(identity, model, diskId);
    if (!disk)
    {
        error = ERROR_LINE_NOT_FOUND;
        return false;
    }
    if (disk->fieldCount >= 4)
        diskSub = model.FieldText(*disk, 4);
    while (!diskSub.empty() && diskSub[0] == '\\')
        diskSub.erase(0, 1);
    relative = DirIdTable::Join(diskSub, fileSub);
    // Relative to the source root: neither a leading nor a trailing backslash.
    while (!relative.empty() && relative[0] == '\\')
        relative.erase(0, 1);
    while (!relative.empty() && relative.back() == '\\')
        relative.pop_back();
    return true;
}

} // namespace winsim
