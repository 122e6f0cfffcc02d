// What `winsim reboot` does to a machine, as the boot process of the machine (Session Manager on NT,
// WININIT on Windows 9x) attached to it:
//   1. every process still running ends (host processes are killed), every window goes, named objects
//      are cleared
//   2. pending file renames: PendingFileRenameOperations (NT; pairs "\??\src" / "\??\dst", "" deletes,
//      a '!' before the target replaces it) or WININIT.INI [rename] (Windows 9x; "NUL=path" deletes,
//      "dst=src" moves, replacing; the file is then renamed to WININIT.BAK)
//   3. volatile registry keys are deleted, the device tree is built again (see devices/DeviceTree.h)
//   4. the uptime restarts (clock.boot_ms = now), the [Process.N] processes start again
//   5. the programs of HKLM RunOnce, HKLM Run, HKCU Run and HKCU RunOnce run, in that order (on x64 the
//      Wow6432Node keys of HKLM after the native ones; RunOnce values deleted first): host programs one
//      after another to completion, declared programs started; what cannot start is journalled
// Each step is journalled with kind "machine".
#pragma once

#include <string>

#include "windef.h"

namespace winsim
{

class Runtime;

class MachineReboot
{
public:
    explicit MachineReboot(Runtime& rt) : m_rt(rt) {}
    void Run();

    // The image the boot process is attached as.
    static std::string BootImage(bool isNT, const std::string& systemDir, const std::string& windowsDir);

private:
    void EndEverything();
    void ApplyPendingRenames();
    void ApplyWininit();
    void Rename(const std::string& source, const std::string& target, bool replace);
    void Remove(const std::string& path);
    void RunPrograms(HKEY root, const char* rootName, const char* key, bool once);

    Runtime& m_rt;
};

} // namespace winsim
