// The drivers an INF offers, as the PnP manager reads them: every line of the models sections its
// [Manufacturer] names for this platform (the best decoration, NTx86.5.1 style, else the plain section),
// with the INF's class, provider and DriverVer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setupapi/InfModel.h"

namespace winsim
{

struct MachineIdentity;

struct InfDriver
{
    std::string description;
    std::string manufacturer;
    std::string installSection;   // as the models line gives it, undecorated
    std::vector<std::string> ids; // upper-case: the hardware ID, then the compatible IDs of the line
};

struct InfDriverList
{
    std::string className;
    std::string classGuid;
    std::string provider;
    std::string date;         // "6-1-2007", as the driver key has it; empty when DriverVer is missing or malformed
    std::string version;      // "7.12.0.40"
    uint64_t dateRank = 0;    // yyyymmdd; 0 (the oldest) when malformed
    uint64_t versionRank = 0; // four 16-bit parts
    std::string catalog;      // CatalogFile (decorated for the platform first)
    std::vector<InfDriver> drivers;

    static InfDriverList Read(const InfModel& model, const MachineIdentity& identity);
    // The install section as the platform takes it: .NTx86/.NTamd64, .NT, then the plain name (NT);
    // the plain name on Windows 9x. Empty when the INF has none of them.
    static std::string DecoratedSection(const InfModel& model, const MachineIdentity& identity,
                                        const std::string& section);
};

} // namespace winsim
