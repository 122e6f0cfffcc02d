#include "NamedObjectTable.h"

#include <vector>

#include "NamedObject.h"
#include "ProcessLiveness.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "windows.h"

namespace winsim
{

namespace
{

const char* KindName(NamedKind kind)
{
    switch (kind)
    {
    case NamedKind::Event:
        return "event";
    case NamedKind::Semaphore:
        return "semaphore";
    case NamedKind::Mutex:
        return "mutex";
    }
    return "object";
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

bool NamedObjectTable::NormalizeName(const MachineIdentity& identity, const std::string& raw, std::string& name,
                                     uint32_t& error)
{
    if (raw.size() > MAX_PATH)
    {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    // Windows 9x has no namespaces: a backslash is just a character of the name.
    if (!identity.IsNT())
    {
        name = raw;
        return true;
    }
    std::string rest = raw;
    std::string prefix;
    if (StartsWith(rest, "Local\\"))
        rest = rest.substr(6);
    else if (StartsWith(rest, "Global\\"))
    {
        rest = rest.substr(7);
        if (identity.major >= 6)
            prefix = "Global\\";
    }
    if (rest.find('\\') != std::string::npos)
    {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    name = prefix + rest;
    return true;
}

std::shared_ptr<NamedObject> NamedObjectTable::Create(const std::string& name, const NamedObjectSpec& objectSpec,
                                                      bool& existed, uint32_t& error)
{
    Store& store = m_rt.GetMachine().GetStore();
    Transaction txn(store);
    if (!txn.Ok())
    {
        error = ERROR_BUSY;
        return nullptr;
    }
    PruneEndedProcesses();
    existed = false;
    bool failed = false;
    {
        Statement find = store.Prepare("SELECT kind FROM named_objects WHERE name = ?1");
        find.Bind(1, name);
        if (find.Step())
        {
            if (find.Int(0) != static_cast<int>(objectSpec.kind))
            {
                error = ERROR_INVALID_HANDLE;
                failed = true;
            }
            existed = true;
        }
    }
    // What pruning found stays done even when the call fails.
    if (failed)
    {
        txn.Commit();
        return nullptr;
    }
    if (!existed)
    {
        bool owned = objectSpec.kind == NamedKind::Mutex && objectSpec.ownerTid != 0;
        Statement insert = store.Prepare(
            "INSERT INTO named_objects(name, kind, manual_reset, state, max_count, owner_pid, owner_tid, recursion) "
            "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        insert.Bind(1, name)
            .Bind(2, static_cast<int>(objectSpec.kind))
            .Bind(3, objectSpec.manualReset ? 1 : 0)
            .Bind(4, objectSpec.state)
            .Bind(5, objectSpec.maxCount)
            .Bind(6, owned ? m_rt.Pid() : 0)
            .Bind(7, owned ? objectSpec.ownerTid : 0)
            .Bind(8, owned ? 1 : 0);
        if (!insert.Run())
        {
            error = ERROR_BUSY;
            return nullptr;
        }
        Journal::Record("object", "create", name, KindName(objectSpec.kind));
    }
    if (!AddReference(name) || !txn.Commit())
    {
        error = ERROR_BUSY;
        return nullptr;
    }
    return std::make_shared<NamedObject>(m_rt, name, objectSpec.kind);
}

std::shared_ptr<NamedObject> NamedObjectTable::Open(const std::string& name, NamedKind kind, uint32_t& error)
{
    error = ERROR_SUCCESS;
    Store& store = m_rt.GetMachine().GetStore();
    Transaction txn(store);
    if (!txn.Ok())
    {
        error = ERROR_BUSY;
        return nullptr;
    }
    PruneEndedProcesses();
    {
        Statement find = store.Prepare("SELECT kind FROM named_objects WHERE name = ?1");
        find.Bind(1, name);
        if (!find.Step())
            error = ERROR_FILE_NOT_FOUND;
        else if (find.Int(0) != static_cast<int>(kind))
            error = ERROR_INVALID_HANDLE;
    }
    // What pruning found stays done even when the call fails.
    if (error != ERROR_SUCCESS)
    {
        txn.Commit();
        return nullptr;
    }
    if (!AddReference(name) || !txn.Commit())
    {
        error = ERROR_BUSY;
        return nullptr;
    }
    return std::make_shared<NamedObject>(m_rt, name, kind);
}

bool NamedObjectTable::AddReference(const std::string& name)
{
    Statement stmt =
        m_rt.GetMachine().GetStore().Prepare("INSERT INTO named_object_refs(name, pid, count) VALUES(?1, ?2, 1) "
                                             "ON CONFLICT(name, pid) DO UPDATE SET count = count + 1");
    stmt.Bind(1, name).Bind(2, m_rt.Pid());
    return stmt.Run();
}

void NamedObjectTable::Release(const std::string& name)
{
    Store& store = m_rt.GetMachine().GetStore();
    Transaction txn(store);
    if (!txn.Ok())
        return;
    {
        Statement drop = store.Prepare("UPDATE named_object_refs SET count = count - 1 WHERE name = ?1 AND pid = ?2");
        drop.Bind(1, name).Bind(2, m_rt.Pid());
        drop.Run();
    }
    {
        Statement clean = store.Prepare("DELETE FROM named_object_refs WHERE name = ?1 AND pid = ?2 AND count <= 0");
        clean.Bind(1, name).Bind(2, m_rt.Pid());
        clean.Run();
    }
    bool referenced = true;
    {
        Statement left = store.Prepare("SELECT 1 FROM named_object_refs WHERE name = ?1 LIMIT 1");
        left.Bind(1, name);
        referenced = left.Step();
    }
    if (!referenced)
        Delete(name, "last handle closed");
    txn.Commit();
}

void NamedObjectTable::AbandonOwnedBy(uint32_t tid)
{
    int changed = 0;
    {
        Store& store = m_rt.GetMachine().GetStore();
        Statement stmt = store.Prepare("UPDATE named_objects SET owner_pid = 0, owner_tid = 0, recursion = 0, "
                                       "abandoned = 1 WHERE kind = ?1 AND owner_pid = ?2 AND owner_tid = ?3");
        stmt.Bind(1, static_cast<int>(NamedKind::Mutex)).Bind(2, m_rt.Pid()).Bind(3, tid);
        if (stmt.Run())
            changed = store.Changes();
    }
    if (changed > 0)
        m_rt.GetClock().Notify();
}

void NamedObjectTable::PruneEndedProcesses()
{
    Store& store = m_rt.GetMachine().GetStore();
    std::vector<int64_t> holders;
    {
        Statement stmt = store.Prepare("SELECT DISTINCT pid FROM named_object_refs WHERE pid <> ?1");
        stmt.Bind(1, m_rt.Pid());
        while (stmt.Step())
            holders.push_back(stmt.Int(0));
    }
    bool pruned = false;
    for (int64_t pid : holders)
    {
        if (ProcessLiveness::IsRunning(store, static_cast<uint32_t>(pid), m_rt.Pid()))
            continue;
        Statement drop = store.Prepare("DELETE FROM named_object_refs WHERE pid = ?1");
        drop.Bind(1, pid);
        drop.Run();
        pruned = true;
    }
    if (!pruned)
        return;
    std::vector<std::string> orphans;
    {
        Statement stmt =
            store.Prepare("SELECT name FROM named_objects WHERE name NOT IN (SELECT name FROM named_object_refs)");
        while (stmt.Step())
            orphans.push_back(stmt.Text(0));
    }
    for (const std::string& name : orphans)
        Delete(name, "last holder ended");
}

void NamedObjectTable::Delete(const std::string& name, const char* why)
{
    Statement stmt = m_rt.GetMachine().GetStore().Prepare("DELETE FROM named_objects WHERE name = ?1");
    stmt.Bind(1, name);
    stmt.Run();
    Journal::Record("object", "delete", name, why);
}

} // namespace winsim
