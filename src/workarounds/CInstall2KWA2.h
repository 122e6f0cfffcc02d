// Before an install on the NT family: removes a new-hardware wizard window that is already open and waits
// until the platform's own new-device installer (a rundll32.exe that has NEWDEV.DLL loaded) has finished,
// so that the program does not install over a Plug and Play installation still under way.
#pragma once

#include "platform/win32.h"

class CInstall2KWA2
{
public:
    void DoBubbleTipWA();
    void WaitForPreviousPNPManagerEventToFinish();

    static constexpr DWORD POLL_MS = 1000;
    // The wait for the new-device installer gives up after this long.
    static constexpr DWORD WAIT_LIMIT_MS = 300000;

private:
    // Whether a rundll32.exe with NEWDEV.DLL loaded is running; -1 when the process list cannot be read.
    int IsNewDeviceInstallerRunning(HMODULE hPsapi);
};
