// A section install: the Include/Needs of the section first (sections of this or of the included INF
// files), then its files (DelFiles, CopyFiles) and its registry entries (DelReg, AddReg), as far as the
// SPINST_* flags ask for them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "InfHandles.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

struct MachineIdentity;

struct SectionInstallArgs
{
    UINT flags = 0;
    HKEY relativeRoot = nullptr;
    std::string sourceRoot;
    UINT copyFlags = 0;
    PSP_FILE_CALLBACK_A callback = nullptr;
    PVOID context = nullptr;
};

class InfSectionInstaller
{
public:
    InfSectionInstaller(const MachineIdentity& identity, const SectionInstallArgs& args)
        : m_identity(identity), m_args(args)
    {
    }

    // False with the Win32 error of what failed.
    bool Install(const InfFile& file, const std::string& section, uint32_t& error);

private:
    bool Run(const InfFile& file, const std::string& section, int depth, uint32_t& error);
    // The values of every "Name = a, b" line of a section, in order.
    static std::vector<std::string> Values(const InfModel& model, uint32_t section, const char* name);
    const InfFile* Included(const InfFile& file, const std::string& name);

    const MachineIdentity& m_identity;
    SectionInstallArgs m_args;
    std::vector<std::unique_ptr<InfFile>> m_included;
};

} // namespace winsim
