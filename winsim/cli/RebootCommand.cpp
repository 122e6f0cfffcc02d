// reboot: restarts a machine (see processes/MachineReboot.h): pending renames, volatile keys, processes,
// windows and named objects, uptime, boot processes, Run and RunOnce programs.
#include "Commands.h"
#include "winsim/winsim.h"

int CommandReboot(const Args& args)
{
    if (args.size() != 1)
        return Fail("usage: winsim reboot DIR");
    std::string error;
    if (!winsim::Reboot(args[0], error))
        return Fail(error);
    return 0;
}
