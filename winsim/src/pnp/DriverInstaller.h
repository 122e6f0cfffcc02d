// Installs a driver on a device, as the PnP manager does once it has chosen one (DriverSearch):
//   1. the install section for the platform (.NTx86, .NT, plain) must exist, and every AddService of its
//      .Services section must name a binary: otherwise nothing is changed;
//   2. its CopyFiles (Include/Needs first), sources from the package folder the INF was published from;
//      a failed copy ends the install with the device as it was: problem kept, no driver key;
//   3. the driver key Control\Class\{ClassGUID}\NNNN with the standard values, the device's Class,
//      ClassGUID, Driver, Service, DeviceDesc and Mfg; the problem is cleared and the driver starts, so the
//      functions it exposes appear;
//   4. the section's AddReg with HKR = the driver key, the .HW section's AddReg with HKR = the device's
//      hardware key (Device Parameters), the services of the .Services section;
//   5. a wave function the driver names (WaveDriver\WaveHardwareID in its key) appears, without a driver.
// "Reboot needed" when a copied file was in use or the device's profile says so. A device whose profile
// says its installs fail gets the driver key but does not start (CM_PROB_FAILED_START).
// Runs in the calling process, outside any store transaction of its own caller (it makes API calls).
#pragma once

#include <cstdint>
#include <string>

#include "DriverSearch.h"

namespace winsim
{

class Runtime;

class DriverInstaller
{
public:
    explicit DriverInstaller(Runtime& rt) : m_rt(rt) {}

    // `publishedName` is the INF's name in the INF folder ("oem3.inf"), written as InfPath.
    bool Install(const std::string& instance, const DriverMatch& match, const std::string& publishedName, bool& reboot,
                 uint32_t& error);

private:
    bool CheckServices(const InfFile& file, const std::string& section, uint32_t& error);
    bool CopyFiles(const InfFile& file, const std::string& section, bool& reboot, uint32_t& error);
    bool AddServices(const InfFile& file, const std::string& section, std::string& associated, uint32_t& error);
    void AddWaveFunction(const std::string& instance, const std::string& driverKeyPath);
    std::string SourceRoot(const InfFile& file) const;

    Runtime& m_rt;
};

} // namespace winsim
