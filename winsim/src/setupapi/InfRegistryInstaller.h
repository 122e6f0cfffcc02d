// The registry part of a section install: the AddReg and DelReg sections an install section names. Each
// line is "root, subkey[, value name[, flags[, value...]]]"; root is HKR (the key the caller gives),
// HKLM, HKCU, HKCR or HKU. The changes go through the Reg* functions, which journal them.
#pragma once

#include <cstdint>
#include <string>

#include "InfModel.h"
#include "windows.h"

namespace winsim
{

class InfRegistryInstaller
{
public:
    InfRegistryInstaller(const InfModel& model, HKEY relativeRoot) : m_model(model), m_relativeRoot(relativeRoot) {}

    // False with the Win32 error of the first line that fails.
    bool AddReg(const std::string& section, uint32_t& error);
    bool DelReg(const std::string& section, uint32_t& error);

private:
    HKEY Root(const std::string& name) const;
    bool AddLine(const InfModel::Line& line, uint32_t& error);
    bool DelLine(const InfModel::Line& line, uint32_t& error);
    static LONG DeleteTree(HKEY parent, const std::string& subkey);

    const InfModel& m_model;
    HKEY m_relativeRoot;
};

} // namespace winsim
