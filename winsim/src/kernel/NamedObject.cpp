#include "NamedObject.h"

#include "ProcessLiveness.h"
#include "core/Runtime.h"

namespace winsim
{

NamedObject::~NamedObject()
{
    NamedObjectTable(m_rt).Release(m_name);
}

ObjectKind NamedObject::Kind() const
{
    switch (m_kind)
    {
    case NamedKind::Event:
        return ObjectKind::Event;
    case NamedKind::Semaphore:
        return ObjectKind::Semaphore;
    case NamedKind::Mutex:
        return ObjectKind::Mutex;
    }
    return ObjectKind::Other;
}

bool NamedObject::Load(Row& row)
{
    Statement stmt = m_rt.GetMachine().GetStore().Prepare(
        "SELECT manual_reset, state, max_count, owner_pid, owner_tid, recursion, abandoned "
        "FROM named_objects WHERE name = ?1");
    stmt.Bind(1, m_name);
    if (!stmt.Step())
        return false;
    row.manualReset = stmt.Int(0) != 0;
    row.state = stmt.Int(1);
    row.maxCount = stmt.Int(2);
    row.ownerPid = static_cast<uint32_t>(stmt.Int(3));
    row.ownerTid = static_cast<uint32_t>(stmt.Int(4));
    row.recursion = stmt.Int(5);
    row.abandoned = stmt.Int(6) != 0;
    return true;
}

bool NamedObject::Write(const char* sql, std::initializer_list<int64_t> values)
{
    Statement stmt = m_rt.GetMachine().GetStore().Prepare(sql);
    stmt.Bind(1, m_name);
    int index = 2;
    for (int64_t value : values)
        stmt.Bind(index++, value);
    return stmt.Run();
}

bool NamedObject::MutexAvailable(const Row& row, uint32_t tid)
{
    if (row.ownerPid == 0)
        return true;
    if (row.ownerPid == m_rt.Pid())
        return row.ownerTid == tid;
    return !ProcessLiveness::IsRunning(m_rt.GetMachine().GetStore(), row.ownerPid, m_rt.Pid());
}

bool NamedObject::IsSignaled(uint32_t tid)
{
    Row row;
    if (!Load(row))
        return false;
    switch (m_kind)
    {
    case NamedKind::Event:
        return row.state != 0;
    case NamedKind::Semaphore:
        return row.state > 0;
    case NamedKind::Mutex:
        return MutexAvailable(row, tid);
    }
    return false;
}

bool NamedObject::Acquire(uint32_t tid)
{
    m_lastAcquireAbandoned = false;
    Row row;
    if (!Load(row))
        return false;
    switch (m_kind)
    {
    case NamedKind::Event:
        if (row.state == 0)
            return false;
        return row.manualReset || Write("UPDATE named_objects SET state = 0 WHERE name = ?1");
    case NamedKind::Semaphore:
        if (row.state <= 0)
            return false;
        return Write("UPDATE named_objects SET state = state - 1 WHERE name = ?1");
    case NamedKind::Mutex:
        if (row.ownerPid == m_rt.Pid() && row.ownerTid == tid)
            return Write("UPDATE named_objects SET recursion = recursion + 1 WHERE name = ?1");
        if (!MutexAvailable(row, tid))
            return false;
        // Taken from a thread or process that ended while owning it.
        m_lastAcquireAbandoned = row.abandoned || row.ownerPid != 0;
        return Write("UPDATE named_objects SET owner_pid = ?2, owner_tid = ?3, recursion = 1, abandoned = 0 "
                     "WHERE name = ?1",
                     {m_rt.Pid(), tid});
    }
    return false;
}

bool NamedObject::TakeAbandoned()
{
    bool abandoned = m_lastAcquireAbandoned;
    m_lastAcquireAbandoned = false;
    return abandoned;
}

uint32_t NamedObject::SetEventState(bool signaled)
{
    if (m_kind != NamedKind::Event)
        return ERROR_INVALID_HANDLE;
    if (!Write("UPDATE named_objects SET state = ?2 WHERE name = ?1", {signaled ? 1 : 0}))
        return ERROR_BUSY;
    m_rt.GetClock().Notify();
    return ERROR_SUCCESS;
}

uint32_t NamedObject::ReleaseSemaphore(int32_t count, int32_t* previous)
{
    if (m_kind != NamedKind::Semaphore)
        return ERROR_INVALID_HANDLE;
    {
        Transaction txn(m_rt.GetMachine().GetStore());
        Row row;
        if (!txn.Ok() || !Load(row))
            return ERROR_BUSY;
        if (row.state + count > row.maxCount)
            return ERROR_TOO_MANY_POSTS;
        if (!Write("UPDATE named_objects SET state = state + ?2 WHERE name = ?1", {count}) || !txn.Commit())
            return ERROR_BUSY;
        if (previous)
            *previous = static_cast<int32_t>(row.state);
    }
    m_rt.GetClock().Notify();
    return ERROR_SUCCESS;
}

uint32_t NamedObject::ReleaseMutex(uint32_t tid)
{
    if (m_kind != NamedKind::Mutex)
        return ERROR_INVALID_HANDLE;
    {
        Transaction txn(m_rt.GetMachine().GetStore());
        Row row;
        if (!txn.Ok() || !Load(row))
            return ERROR_BUSY;
        if (row.ownerPid != m_rt.Pid() || row.ownerTid != tid)
            return ERROR_NOT_OWNER;
        const char* sql = row.recursion > 1 ? "UPDATE named_objects SET recursion = recursion - 1 WHERE name = ?1"
                                            : "UPDATE named_objects SET owner_pid = 0, owner_tid = 0, recursion = 0 "
                                              "WHERE name = ?1";
        if (!Write(sql) || !txn.Commit())
            return ERROR_BUSY;
    }
    m_rt.GetClock().Notify();
    return ERROR_SUCCESS;
}

} // namespace winsim
