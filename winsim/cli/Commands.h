// The subcommands of the winsim command. Each returns the process exit code.
#pragma once

#include <string>
#include <vector>

using Args = std::vector<std::string>;

int CommandNew(const Args& args);
int CommandRun(const Args& args);
int CommandPut(const Args& args);
int CommandImage(const Args& args);
int CommandLs(const Args& args);
int CommandCat(const Args& args);
int CommandReg(const Args& args);
int CommandJournal(const Args& args);
int CommandProtect(const Args& args);
int CommandUnprotect(const Args& args);
int CommandReboot(const Args& args);
int CommandScreen(const Args& args);
int CommandDevices(const Args& args);
int CommandPlug(const Args& args);
int CommandUnplug(const Args& args);
int CommandStore(const Args& args);

// Prints "winsim: <message>" to stderr and returns 2, the exit code of a usage or machine error.
int Fail(const std::string& message);
