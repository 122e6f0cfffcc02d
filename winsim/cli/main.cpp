// winsim: creates simulated Windows machines, runs programs on them and shows what they did.
#include <cstdio>
#include <cstring>
#include <map>

#include "Commands.h"

namespace
{

const char* kUsage = R"(usage: winsim COMMAND ...
  new PROFILE DIR                       create a machine folder from a profile folder
  run DIR [--time virtual|scaled:N] [--answer RULE]... [--fail RULE]... [--crash-at N]
          -- 'C:\path\PROGRAM.EXE' ARGS...
                                        start a program image on the machine; exit code is the program's.
                                        --answer [CAPTION=]IDOK[,IDNO...] answers its message boxes
                                        (text:PATTERN matches the text; * and ? wildcards; see docs)
                                        --fail API[:N|:*][=ERROR] makes the Nth call (default 1) or every
                                        call of API fail with ERROR (5, 0x70, ERROR_DISK_FULL; default the
                                        function's usual error); --crash-at N ends the program abruptly at
                                        its Nth API call (exit status 139, no exit in the journal)
  put DIR HOSTPATH 'C:\path'            copy a host file or folder onto the machine
  image DIR PROGRAM 'C:\path\NAME.EXE'  write an image of one of the project's programs onto the machine
  ls DIR 'C:\path'                      list a folder
  cat DIR 'C:\path'                     print a file
  protect DIR 'C:\path'                 make a folder write-protected (a read-only medium): every change
                                        at or below it fails with ERROR_ACCESS_DENIED
  unprotect DIR 'C:\path'               make a protected folder writable again
  reg DIR export 'HKLM\...'             print a key and its subkeys as REGEDIT4
  reboot DIR                            restart the machine: pending file renames, volatile registry
                                        keys, processes and windows, Run and RunOnce programs
  journal DIR                           print every change made on the machine
  devices DIR                           print the device tree: instance IDs, hardware IDs, description,
                                        class, driver key, status and problem
  plug DIR INSTANCE-ID                  plug a device of the profile in (it appears at once)
  unplug DIR INSTANCE-ID                pull a device out
  store DIR                             list the published INFs (oemN.inf) and the driver store's packages
  screen DIR                            print what is on screen: the top-level windows, and the message
                                        boxes the last program run showed, with their answers
)";

} // namespace

int Fail(const std::string& message)
{
    std::fprintf(stderr, "winsim: %s\n", message.c_str());
    return 2;
}

int main(int argc, char** argv)
{
    static const std::map<std::string, int (*)(const Args&)> commands = {
        {"new", CommandNew},         {"run", CommandRun},
        {"put", CommandPut},         {"image", CommandImage},
        {"ls", CommandLs},           {"cat", CommandCat},
        {"reg", CommandReg},         {"journal", CommandJournal},
        {"protect", CommandProtect}, {"unprotect", CommandUnprotect},
        {"reboot", CommandReboot},   {"screen", CommandScreen},
        {"devices", CommandDevices}, {"plug", CommandPlug},
        {"unplug", CommandUnplug},   {"store", CommandStore},
    };
    if (argc < 2 || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))
    {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    auto command = commands.find(argv[1]);
    if (command == commands.end())
        return Fail(std::string("unknown command '") + argv[1] + "'; see winsim --help");
    return command->second(Args(argv + 2, argv + argc));
}
