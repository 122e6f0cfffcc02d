// Host commands a scenario test runs (the winsim command line, a shell pipeline): while the test waits
// for one, it is marked as waiting outside its machine, so the programs the command runs there do not
// hold their clock jumps back for it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "winsim/winsim.h"

class WaitingOutsideMachine
{
public:
    WaitingOutsideMachine() : m_marked(winsim::IsAttached() && winsim::SetWaitingOutside(true)) {}
    ~WaitingOutsideMachine()
    {
        if (m_marked)
            winsim::SetWaitingOutside(false);
    }
    WaitingOutsideMachine(const WaitingOutsideMachine&) = delete;
    WaitingOutsideMachine& operator=(const WaitingOutsideMachine&) = delete;

private:
    bool m_marked;
};

// What the command prints on its standard output.
inline std::string HostCommandOutput(const std::string& command)
{
    WaitingOutsideMachine waiting;
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[1024];
    while (fgets(buffer, sizeof(buffer), pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

// The command's exit status as std::system gives it.
inline int HostCommandStatus(const std::string& command)
{
    WaitingOutsideMachine waiting;
    return std::system(command.c_str());
}
