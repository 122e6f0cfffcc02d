#include "ProcessLiveness.h"

#include <signal.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "core/Store.h"

namespace winsim
{

bool ProcessLiveness::IsRunning(Store& store, uint32_t pid, uint32_t selfPid)
{
    if (pid == selfPid)
        return true;
    Statement stmt = store.Prepare("SELECT host_pid, exited IS NOT NULL FROM processes WHERE pid = ?1");
    stmt.Bind(1, pid);
    if (!stmt.Step() || stmt.Int(1) != 0)
        return false;
    return IsHostRunning(stmt.Int(0));
}

bool ProcessLiveness::IsHostRunning(int64_t hostPid)
{
    if (hostPid <= 0)
        return false;
    if (kill(static_cast<pid_t>(hostPid), 0) != 0 && errno != EPERM)
        return false;
    // A zombie has ended; only its parent has not collected it yet. The state follows the command name,
    // which is in parentheses and may itself contain them.
    std::ifstream stat("/proc/" + std::to_string(hostPid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return true;
    char state = line[close + 2];
    return state != 'Z' && state != 'X';
}

} // namespace winsim
