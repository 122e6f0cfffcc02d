#include "Runtime.h"

#include <unistd.h>

#include "Journal.h"
#include "kernel/ProcessLiveness.h"
#include "winsim/winsim.h"

namespace winsim
{

namespace
{
std::unique_ptr<Runtime> g_runtime;
}

Runtime* Runtime::Current()
{
    return g_runtime.get();
}

bool Runtime::Attach(const AttachOptions& options, std::string& error)
{
    if (g_runtime)
    {
        error = "this process is already attached to a machine";
        return false;
    }
    auto runtime = std::make_unique<Runtime>();
    if (!runtime->m_machine.Open(options.machineDir, error))
        return false;
    runtime->m_imagePath = options.imagePath;
    runtime->m_commandLine = options.commandLine.empty() ? "\"" + options.imagePath + "\"" : options.commandLine;
    runtime->m_commandLine.reserve(runtime->m_commandLine.size() + 1);
    runtime->m_parentPid = options.parentPid;
    runtime->m_pid = options.pid;
    runtime->m_clock.Start(&runtime->m_machine.GetStore(), options.timeMode, options.timeScale);
    if (!runtime->RegisterProcess(error))
        return false;
    Runtime* self = runtime.get();
    runtime->m_clock.SetPeerCheck([self] { return self->OtherProcessRuns(); });
    runtime->m_clock.RegisterThread();
    g_runtime = std::move(runtime);
    Journal::Record("process", "start", g_runtime->m_imagePath, g_runtime->m_commandLine);
    return true;
}

void Runtime::Detach(uint32_t exitCode)
{
    if (!g_runtime)
        return;
    Runtime& self = *g_runtime;
    // The process's other threads stop at their next wait (they are not joined: one may wait forever).
    self.m_clock.EndProcess();
    self.m_handles.CloseAll();
    Journal::Record("process", "exit", self.m_imagePath, std::to_string(exitCode));
    {
        // Scoped: the statement must be done with the store before the store goes. An end recorded
        // already (TerminateProcess) stands.
        Statement stmt = self.m_machine.GetStore().Prepare(
            "UPDATE processes SET exited = ?2, exit_code = ?3 WHERE pid = ?1 AND exited IS NULL");
        stmt.Bind(1, self.m_pid).Bind(2, static_cast<int64_t>(self.m_clock.NowMs())).Bind(3, exitCode);
        stmt.Run();
    }
    self.m_clock.UnregisterThread();
    self.m_clock.Persist();
    g_runtime.reset();
}

bool Runtime::OtherProcessRuns()
{
    // Declared processes are rows the profile scripts: they signal nothing but their own end, at a known time.
    // A process waiting outside the machine signals nothing either until it is back.
    Statement stmt = m_machine.GetStore().Prepare(
        "SELECT host_pid FROM processes WHERE pid != ?1 AND exited IS NULL AND declared = 0 AND outside = 0");
    stmt.Bind(1, m_pid);
    while (stmt.Step())
    {
        // Host pid 0: a parent is starting it.
        if (stmt.Int(0) == 0 || ProcessLiveness::IsHostRunning(stmt.Int(0)))
            return true;
    }
    return false;
}

bool Runtime::RegisterProcess(std::string& error)
{
    Store& store = m_machine.GetStore();
    Transaction txn(store);
    if (m_pid != 0)
    {
        // The parent registered the process before starting it (CreateProcessA): take over its row.
        Statement adopt =
            store.Prepare("UPDATE processes SET host_pid = ?2 WHERE pid = ?1 AND exited IS NULL AND declared = 0");
        adopt.Bind(1, m_pid).Bind(2, static_cast<int64_t>(getpid()));
        if (!adopt.Run() || store.Changes() != 1)
        {
            // Terminated before it got going: it must not go on as a process of its own.
            error = "process " + std::to_string(m_pid) + " was ended before it started";
            return false;
        }
        if (txn.Commit())
            return true;
        error = "cannot register the process: " + store.LastErrorText();
        return false;
    }
    // Process ids are multiples of four and are not reused within a machine's life.
    Statement next = store.Prepare("SELECT COALESCE(MAX(pid), 1000) + 4 FROM processes");
    m_pid = next.Step() ? static_cast<uint32_t>(next.Int(0)) : 1004;
    Statement insert = store.Prepare(
        "INSERT INTO processes(pid, host_pid, image, cmdline, parent, started) VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    insert.Bind(1, m_pid)
        .Bind(2, static_cast<int64_t>(getpid()))
        .Bind(3, m_imagePath)
        .Bind(4, m_commandLine)
        .Bind(5, m_parentPid)
        .Bind(6, static_cast<int64_t>(m_clock.NowMs()));
    if (!insert.Run() || !txn.Commit())
    {
        error = "cannot register the process: " + store.LastErrorText();
        return false;
    }
    return true;
}

} // namespace winsim
