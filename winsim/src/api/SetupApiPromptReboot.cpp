// SETUPAPI SetupPromptReboot: the platform's restart question. Without a file queue to scan (winsim keeps
// none: files in use wait for the restart in the rename list) it always asks, in the box Windows XP shows;
// Yes is recorded in the journal as a restart the user accepted ("machine restart-accepted"), which a test
// or the user then carries out with `winsim reboot`.
#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

INT WINAPI SetupPromptReboot(HSPFILEQ FileQueue, HWND Owner, BOOL ScanOnly)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, -1);
    if (ScanOnly)
    {
        if (!FileQueue)
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return -1;
        }
        return 0;
    }
    int answer = MessageBoxA(Owner,
                             "You must restart your computer before the new settings will take effect.\n\n"
                             "Do you want to restart your computer now?",
                             "System Settings Change", MB_YESNO | MB_ICONQUESTION);
    if (answer == 0)
        return -1;
    if (answer != IDYES)
        return SPFILEQ_REBOOT_RECOMMENDED;
    Journal::Record("machine", "restart-accepted", "SetupPromptReboot");
    return SPFILEQ_REBOOT_RECOMMENDED | SPFILEQ_REBOOT_IN_PROGRESS;
}
