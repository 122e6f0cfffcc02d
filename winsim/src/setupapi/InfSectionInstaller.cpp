#include "InfSectionInstaller.h"

#include <strings.h>

#include "DirIdTable.h"
#include "InfAccess.h"
#include "InfFileInstaller.h"
#include "InfReader.h"
#include "InfRegistryInstaller.h"
#include "core/Journal.h"
#include "core/MachineIdentity.h"
#include "core/Runtime.h"
#include "files/PathArgument.h"
#include "resources/CodePage.h"

namespace winsim
{

namespace
{

constexpr int kMaxNeedsDepth = 8;

} // namespace

std::vector<std::string> InfSectionInstaller::Values(const InfModel& model, uint32_t section, const char* name)
{
    std::vector<std::string> out;
    const InfModel::Section& s = model.SectionAt(section);
    for (uint32_t i = 0; i < s.count; ++i)
    {
        const InfModel::Line& line = model.LineAt(section, i);
        if (!line.hasKey || line.fieldCount == 0 || strcasecmp(model.FieldText(line, 0).c_str(), name) != 0)
            continue;
        for (uint32_t f = 1; f <= line.fieldCount; ++f)
        {
            std::string value = model.FieldText(line, f);
            if (!value.empty())
                out.push_back(std::move(value));
        }
    }
    return out;
}

const InfFile* InfSectionInstaller::Included(const InfFile& file, const std::string& name)
{
    for (const auto& have : m_included)
        if (!strcasecmp(have->path.c_str(), name.c_str()) ||
            !strcasecmp(have->path.substr(have->path.rfind('\\') + 1).c_str(), name.c_str()))
            return have.get();
    Runtime* rt = Runtime::Current();
    // An included INF is looked for beside this one, then in the INF folder.
    for (const std::string& folder : {file.folder, m_identity.windowsDir + "\\inf"})
    {
        WinPath path;
        std::string bytes;
        const DWORD saved = GetLastError();
        const bool found = PathArgument::ResolveFull(*rt, DirIdTable::Join(folder, name), path) &&
                           path.kind == EntryKind::File && InfReader::LoadHostFile(path.host, bytes);
        SetLastError(saved);
        if (!found)
            continue;
        auto inf = std::make_unique<InfFile>();
        uint32_t error = 0;
        uint32_t line = 0;
        const uint16_t language = static_cast<uint16_t>(m_identity.uiLanguage);
        if (!InfReader::Read(std::move(bytes), CodePage::AnsiOf(language), inf->model, error, line))
            return nullptr;
        inf->model.BuildStrings(language);
        inf->path = path.path;
        inf->folder = path.path.substr(0, path.path.rfind('\\'));
        m_included.push_back(std::move(inf));
        return m_included.back().get();
    }
    return nullptr;
}

bool InfSectionInstaller::Install(const InfFile& file, const std::string& section, uint32_t& error)
{
    Journal::Record("setupapi", "install", file.path, section);
    return Run(file, section, 0, error);
}

bool InfSectionInstaller::Run(const InfFile& file, const std::string& section, int depth, uint32_t& error)
{
    const InfModel& model = file.model;
    const uint32_t index = model.FindSection(section);
    if (index == InfModel::kNone)
    {
        error = ERROR_SECTION_NOT_FOUND;
        return false;
    }
    std::vector<const InfFile*> includes;
    for (const std::string& name : Values(model, index, "Include"))
        if (const InfFile* inf = Included(file, name))
            includes.push_back(inf);
    if (depth < kMaxNeedsDepth)
    {
        for (const std::string& needed : Values(model, index, "Needs"))
        {
            const InfFile* owner = model.FindSection(needed) != InfModel::kNone ? &file : nullptr;
            for (const InfFile* inf : includes)
                if (!owner && inf->model.FindSection(needed) != InfModel::kNone)
                    owner = inf;
            if (!owner)
            {
                error = ERROR_SECTION_NOT_FOUND;
                return false;
            }
            if (!Run(*owner, needed, depth + 1, error))
                return false;
        }
    }

    if (m_args.flags & SPINST_FILES)
    {
        InfFileInstaller files(m_identity, file, m_args.sourceRoot, m_args.copyFlags, m_args.callback, m_args.context);
        for (const std::string& del : Values(model, index, "DelFiles"))
            if (!files.DelFiles(del, error))
                return false;
        for (const std::string& copy : Values(model, index, "CopyFiles"))
            if (!files.CopyFiles(copy, error))
                return false;
    }
    if (m_args.flags & SPINST_REGISTRY)
    {
        if (!m_args.relativeRoot)
        {
            // HKR lines need the key the caller gives; only fail when the section has registry lines.
            if (!Values(model, index, "AddReg").empty() || !Values(model, index, "DelReg").empty())
            {
                bool needsRoot = false;
                for (const char* kind : {"AddReg", "DelReg"})
                    for (const std::string& reg : Values(model, index, kind))
                    {
                        const uint32_t s = model.FindSection(reg);
                        if (s == InfModel::kNone)
                            continue;
                        for (uint32_t i = 0; i < model.LineCount(s); ++i)
                        {
                            const InfModel::Line& line = model.LineAt(s, i);
                            needsRoot = needsRoot ||
                                        (line.fieldCount >= 1 && !strcasecmp(model.FieldText(line, 1).c_str(), "HKR"));
                        }
                    }
                if (needsRoot)
                {
                    error = ERROR_INVALID_PARAMETER;
                    return false;
                }
            }
        }
        InfRegistryInstaller registry(model, m_args.relativeRoot);
        for (const std::string& del : Values(model, index, "DelReg"))
            if (!registry.DelReg(del, error))
                return false;
        for (const std::string& add : Values(model, index, "AddReg"))
            if (!registry.AddReg(add, error))
                return false;
    }
    return true;
}

} // namespace winsim
