// The platform's new-hardware wizard: when a re-enumeration finds a device without a driver and no driver
// for it, and someone is logged on (the profile declares [Program.NewHardwareWizard], with its window
// "Found New Hardware Wizard" and NEWDEV.DLL among its modules), the PnP manager starts it as
// system32\rundll32.exe. It blocks nothing; it stays until its window is closed or its process ends. One
// wizard at a time: none starts while its window is on screen.
#pragma once

namespace winsim
{

class Runtime;

class NewHardwareWizard
{
public:
    // Starts the wizard unless the profile declares none or one is open; true if one was started.
    static bool Show(Runtime& rt);
};

} // namespace winsim
