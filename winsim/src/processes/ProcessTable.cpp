#include "ProcessTable.h"

#include <sys/wait.h>

#include "HostChildren.h"
#include "modules/ProcessModules.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "kernel/ProcessLiveness.h"
#include "user/WindowTable.h"

namespace winsim
{

namespace
{

constexpr const char* kSelect =
    "SELECT pid, host_pid, image, cmdline, parent, started, exited IS NOT NULL, exit_code, declared, ends "
    "FROM processes";

ProcessRow FromRow(const Statement& stmt)
{
    ProcessRow row;
    row.pid = static_cast<uint32_t>(stmt.Int(0));
    row.hostPid = stmt.Int(1);
    row.image = stmt.Text(2);
    row.commandLine = stmt.Text(3);
    row.parent = static_cast<uint32_t>(stmt.Int(4));
    row.startedMs = static_cast<uint64_t>(stmt.Int(5));
    row.exited = stmt.Int(6) != 0;
    row.exitCode = static_cast<uint32_t>(stmt.Int(7));
    row.declared = stmt.Int(8) != 0;
    if (!stmt.IsNull(9))
        row.endsMs = static_cast<uint64_t>(stmt.Int(9));
    return row;
}

// What a host child that did not record its exit ended with, from its wait status.
uint32_t ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return static_cast<uint32_t>(WEXITSTATUS(status));
    return ProcessTable::kCrashExitCode;
}

} // namespace

ProcessTable ProcessTable::Of(Runtime& rt)
{
    return ProcessTable(rt.GetMachine().GetStore(), rt.GetClock().NowMs(), rt.Pid());
}

bool ProcessTable::Find(uint32_t pid, ProcessRow& row)
{
    Statement stmt = m_store.Prepare((std::string(kSelect) + " WHERE pid = ?1").c_str());
    stmt.Bind(1, pid);
    if (!stmt.Step())
        return false;
    row = FromRow(stmt);
    return true;
}

bool ProcessTable::Refresh(ProcessRow& row)
{
    if (row.exited)
        return false;
    if (row.pid == m_self)
        return true;
    if (row.declared)
    {
        if (!row.endsMs || m_nowMs < *row.endsMs)
            return true;
        Statement code = m_store.Prepare("SELECT declared_exit FROM processes WHERE pid = ?1");
        code.Bind(1, row.pid);
        const uint32_t exitCode = code.Step() ? static_cast<uint32_t>(code.Int(0)) : 0;
        End(row.pid, exitCode, *row.endsMs, "lifetime over");
    }
    else
    {
        // Host pid 0: the parent is still starting it.
        if (row.hostPid == 0)
            return true;
        // A child of ours is asked through its wait status, which also reaps it; any other host process
        // through the host's process list.
        const auto host = static_cast<pid_t>(row.hostPid);
        int status = 0;
        if (HostChildren::Owns(host))
        {
            if (!HostChildren::Ended(host, status))
                return true;
            End(row.pid, ExitCodeOf(status), m_nowMs, "ended without recording its exit");
        }
        else if (!ProcessLiveness::IsHostRunning(row.hostPid))
            End(row.pid, kCrashExitCode, m_nowMs, "ended without recording its exit");
        else
            return true;
    }
    // Whoever recorded the end (the process itself may have, just now) decided the exit code.
    Find(row.pid, row);
    return !row.exited;
}

bool ProcessTable::IsRunning(uint32_t pid)
{
    ProcessRow row;
    return Find(pid, row) && Refresh(row);
}

std::vector<ProcessRow> ProcessTable::Running()
{
    std::vector<ProcessRow> rows;
    {
        Statement stmt = m_store.Prepare((std::string(kSelect) + " WHERE exited IS NULL ORDER BY pid").c_str());
        while (stmt.Step())
            rows.push_back(FromRow(stmt));
    }
    std::vector<ProcessRow> running;
    for (ProcessRow& row : rows)
    {
        if (Refresh(row))
            running.push_back(row);
    }
    return running;
}

uint32_t ProcessTable::NextPid()
{
    // As Runtime gives them: multiples of four, never reused on a machine.
    Statement next = m_store.Prepare("SELECT COALESCE(MAX(pid), 1000) + 4 FROM processes");
    return next.Step() ? static_cast<uint32_t>(next.Int(0)) : 1004;
}

uint32_t ProcessTable::AddHost(const std::string& image, const std::string& commandLine, uint32_t parent)
{
    const uint32_t pid = NextPid();
    Statement insert = m_store.Prepare(
        "INSERT INTO processes(pid, host_pid, image, cmdline, parent, started) VALUES(?1, 0, ?2, ?3, ?4, ?5)");
    insert.Bind(1, pid).Bind(2, image).Bind(3, commandLine).Bind(4, parent).Bind(5, static_cast<int64_t>(m_nowMs));
    return insert.Run() ? pid : 0;
}

bool ProcessTable::SetHostPid(uint32_t pid, int64_t hostPid)
{
    Statement update = m_store.Prepare("UPDATE processes SET host_pid = ?2 WHERE pid = ?1");
    update.Bind(1, pid).Bind(2, hostPid);
    return update.Run();
}

uint32_t ProcessTable::AddDeclared(const DeclaredProgram& program, const std::string& image,
                                   const std::string& commandLine, uint32_t parent)
{
    const uint32_t pid = NextPid();
    Statement insert = m_store.Prepare("INSERT INTO processes(pid, host_pid, image, cmdline, parent, started, "
                                       "declared, ends, declared_exit) VALUES(?1, 0, ?2, ?3, ?4, ?5, 1, ?6, ?7)");
    insert.Bind(1, pid).Bind(2, image).Bind(3, commandLine).Bind(4, parent).Bind(5, static_cast<int64_t>(m_nowMs));
    if (program.lifetimeMs)
        insert.Bind(6, static_cast<int64_t>(m_nowMs + *program.lifetimeMs));
    else
        insert.BindNull(6);
    insert.Bind(7, program.exitCode);
    if (!insert.Run())
        return 0;
    ProcessModules modules(m_store);
    for (const std::string& module : program.modules)
        modules.AddDeclared(pid, module);
    WindowTable windows(m_store);
    for (const DeclaredWindow& declared : program.windows)
    {
        WindowRow window;
        window.pid = pid;
        window.tid = MainThreadId(pid);
        window.title = declared.title;
        window.className = declared.className;
        window.style = 0x10CF0000; // WS_OVERLAPPEDWINDOW | WS_VISIBLE
        windows.Create(window);
    }
    return pid;
}

bool ProcessTable::End(uint32_t pid, uint32_t exitCode, uint64_t atMs, const std::string& why)
{
    Statement update =
        m_store.Prepare("UPDATE processes SET exited = ?2, exit_code = ?3 WHERE pid = ?1 AND exited IS NULL");
    update.Bind(1, pid).Bind(2, static_cast<int64_t>(atMs)).Bind(3, exitCode);
    if (!update.Run() || m_store.Changes() != 1)
        return false;
    WindowTable(m_store).RemoveProcess(pid);
    // The journal is the attached process's machine's; a table of another store has nobody to tell.
    Runtime* rt = Runtime::Current();
    ProcessRow row;
    if (rt && &rt->GetMachine().GetStore() == &m_store && Find(pid, row))
        Journal::Record("process", "end", row.image, why + ", exit code " + std::to_string(exitCode));
    return true;
}

void ProcessTable::PruneWindows()
{
    WindowTable windows(m_store);
    for (uint32_t pid : windows.OwnersOfWindows())
    {
        if (!IsRunning(pid))
            windows.RemoveProcess(pid);
    }
}

bool ProcessTable::EndIfWindowless(uint32_t pid)
{
    ProcessRow row;
    if (!Find(pid, row) || !row.declared || !Refresh(row) || WindowTable(m_store).CountOf(pid) != 0)
        return false;
    Statement code = m_store.Prepare("SELECT declared_exit FROM processes WHERE pid = ?1");
    code.Bind(1, pid);
    const uint32_t exitCode = code.Step() ? static_cast<uint32_t>(code.Int(0)) : 0;
    return End(pid, exitCode, m_nowMs, "last window closed");
}

} // namespace winsim
