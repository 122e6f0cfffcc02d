// protect and unprotect: make a folder on the machine write-protected (a read-only medium, or a folder
// the user may not write in) or writable again.
#include "Commands.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

namespace
{

// The command attaches as a process of its own, so that the journal names who made the change.
int SetProtection(const Args& args, bool writeProtected)
{
    const char* name = writeProtected ? "protect" : "unprotect";
    if (args.size() != 2)
        return Fail(std::string("usage: winsim ") + name + " DIR 'C:\\path'");
    if (!winsim::HostExists(args[0] + "/machine.db"))
        return Fail("not a winsim machine: " + args[0]);
    winsim::AttachOptions options;
    options.machineDir = args[0];
    options.imagePath = "winsim.exe";
    options.commandLine = std::string("winsim ") + name + " " + args[1];
    std::string error;
    if (!winsim::Attach(options, error))
        return Fail(error);
    const bool done = winsim::SetFolderWriteProtected(args[1], writeProtected);
    winsim::Detach(done ? 0 : 1);
    if (!done)
        return Fail("not a folder on drive C: " + args[1]);
    return 0;
}

} // namespace

int CommandProtect(const Args& args)
{
    return SetProtection(args, true);
}

int CommandUnprotect(const Args& args)
{
    return SetProtection(args, false);
}
