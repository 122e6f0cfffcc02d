// A program whose behaviour the profile scripts instead of a host program running it. machine.ini has
// two kinds of sections for them:
//   [Process.N]        a process running from the moment the machine is made, started again at every
//                      reboot; Image= names its .exe, which is written onto the drive as an image of this
//                      program (Program=Process.N), so starting that file again starts another one
//   [Program.NAME]     what starting an image with Program=NAME does
// with the keys
//   Image=C:\Program Files\Modem\MDMAPP.EXE       ([Process.N] only)
//   Modules=C:\...\MDMHOOK.DLL,C:\...\OTHER.DLL   modules it has loaded besides its image
//   Window=title|class                            a top-level window it shows; Window2=, Window3=, ...
//   Lifetime=forever                              or milliseconds of virtual time until it exits
//   ExitCode=0                                    what it exits with (also when its last window is closed)
// and, for installers, what they leave behind when started (see InstallerEffects.h):
//   ResultCode=0, UninstallKey=, DisplayName=, UninstallString=, RemovesUninstallKey=
// A ';' after a blank starts a comment in these sections.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "InstallerEffects.h"

namespace winsim
{

struct DeclaredWindow
{
    std::string title;
    std::string className;
};

struct DeclaredProgram
{
    std::string name; // upper-case: "PROCESS.1", "COMPANION"
    std::string image;
    bool boot = false;
    std::vector<std::string> modules;
    std::vector<DeclaredWindow> windows;
    std::optional<uint64_t> lifetimeMs; // none: runs until it is ended
    uint32_t exitCode = 0;
    InstallerEffects installer;

    // One name=value line of the program's section; false with `what` when it is malformed.
    bool Set(const std::string& key, const std::string& value, std::string& what);
    // The section as a whole; false with `what` when something is missing.
    bool Check(std::string& what) const;

    // The program name an image descriptor uses for a [Process.N] ("Process.1").
    std::string ImageProgram() const;
};

} // namespace winsim
