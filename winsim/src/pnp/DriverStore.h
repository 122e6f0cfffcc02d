// The driver store of Vista, as DIFxAPI uses it: a package (the INF, its catalog and the files its
// [SourceDisksFiles] name) is copied to System32\DriverStore\FileRepository\<inf name>_<hash> and its INF
// published from there (oemN.inf). Installing a package also installs its drivers on the present devices
// they match. A package counts as signed when its catalog is there; 64-bit Vista refuses unsigned
// packages, 32-bit Vista unless they are installed in legacy mode (ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class Runtime;

class DriverStore
{
public:
    // DriverPackagePreinstallA: 0 or the Win32 error. `published` gets the oemN.inf path.
    static uint32_t Preinstall(Runtime& rt, const std::string& inf, uint32_t flags, std::string& published);
    // DriverPackageInstallA: preinstall, then the devices. ERROR_NO_SUCH_DEVINST when no present device
    // took a driver (the package stays in the store).
    static uint32_t Install(Runtime& rt, const std::string& inf, uint32_t flags, bool& reboot);
    // DriverPackageUninstallA: the devices that use the package lose their driver, the package leaves the
    // store and the INF folder; DELETE_FILES also deletes the files its install copied.
    static uint32_t Uninstall(Runtime& rt, const std::string& inf, uint32_t flags, bool& reboot);

    static std::string RepositoryFolder(Runtime& rt);
    // The store folders of the machine's packages.
    static std::vector<std::string> Packages(Runtime& rt);
};

} // namespace winsim
