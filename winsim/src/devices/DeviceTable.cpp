#include "DeviceTable.h"

#include "DeviceIds.h"

namespace winsim
{

namespace
{

#define DEVICE_COLUMNS                                                                                                 \
    "devinst, seq, instance, parent, hardware_ids, compatible_ids, description, bus_description, exposed, plugged, "   \
    "plug_at, present, removed, driver, disabled, was_disabled, change_at, problem, pending_until, enum_key, "         \
    "install_delay_ms, install_fails, needs_reboot"

DeviceRecord ReadRow(const Statement& row)
{
    DeviceRecord record;
    record.devinst = static_cast<uint32_t>(row.Int(0));
    record.seq = row.Int(1);
    record.instance = row.Text(2);
    record.parent = row.Text(3);
    record.hardwareIds = DeviceIds::SplitList(row.Text(4), '\n');
    record.compatibleIds = DeviceIds::SplitList(row.Text(5), '\n');
    record.description = row.Text(6);
    record.busDescription = row.Text(7);
    record.exposed = row.Int(8) != 0;
    record.plugged = row.Int(9) != 0;
    if (!row.IsNull(10))
        record.plugAt = static_cast<uint64_t>(row.Int(10));
    record.present = row.Int(11) != 0;
    record.removed = row.Int(12) != 0;
    record.driver = row.Int(13) != 0;
    record.disabled = row.Int(14) != 0;
    record.wasDisabled = row.Int(15) != 0;
    record.changeAt = static_cast<uint64_t>(row.Int(16));
    record.problem = static_cast<uint32_t>(row.Int(17));
    record.pendingUntil = static_cast<uint64_t>(row.Int(18));
    record.enumKey = row.Int(19);
    record.installDelayMs = static_cast<uint32_t>(row.Int(20));
    record.installFails = row.Int(21) != 0;
    record.needsReboot = row.Int(22) != 0;
    return record;
}

} // namespace

std::vector<DeviceRecord> DeviceTable::All()
{
    std::vector<DeviceRecord> records;
    Statement rows = m_store.Prepare("SELECT " DEVICE_COLUMNS " FROM devices ORDER BY seq");
    while (rows.Step())
        records.push_back(ReadRow(rows));
    return records;
}

bool DeviceTable::Find(const std::string& instance, DeviceRecord& record)
{
    Statement row = m_store.Prepare("SELECT " DEVICE_COLUMNS " FROM devices WHERE instance = ?1");
    row.Bind(1, DeviceIds::Upper(instance));
    if (!row.Step())
        return false;
    record = ReadRow(row);
    return true;
}

bool DeviceTable::Find(uint32_t devinst, DeviceRecord& record)
{
    Statement row = m_store.Prepare("SELECT " DEVICE_COLUMNS " FROM devices WHERE devinst = ?1");
    row.Bind(1, static_cast<int64_t>(devinst));
    if (!row.Step())
        return false;
    record = ReadRow(row);
    return true;
}

bool DeviceTable::Insert(DeviceRecord& record)
{
    {
        // DEVINST 1 is the root; handles are not reused.
        Statement next =
            m_store.Prepare("SELECT COALESCE(MAX(devinst), 1) + 1, COALESCE(MAX(seq), 0) + 1 FROM devices");
        if (!next.Step())
            return false;
        record.devinst = static_cast<uint32_t>(next.Int(0));
        record.seq = next.Int(1);
    }
    Statement insert = m_store.Prepare(
        "INSERT INTO devices(devinst, seq, instance, parent, hardware_ids, compatible_ids, description, "
        "bus_description, exposed, plugged, plug_at, install_delay_ms, install_fails, needs_reboot) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
    insert.Bind(1, static_cast<int64_t>(record.devinst))
        .Bind(2, record.seq)
        .Bind(3, record.instance)
        .Bind(4, record.parent)
        .Bind(5, DeviceIds::Lines(record.hardwareIds))
        .Bind(6, DeviceIds::Lines(record.compatibleIds))
        .Bind(7, record.description)
        .Bind(8, record.busDescription)
        .Bind(9, record.exposed ? 1 : 0)
        .Bind(10, record.plugged ? 1 : 0);
    if (record.plugAt)
        insert.Bind(11, static_cast<int64_t>(*record.plugAt));
    else
        insert.BindNull(11);
    insert.Bind(12, static_cast<int64_t>(record.installDelayMs))
        .Bind(13, record.installFails ? 1 : 0)
        .Bind(14, record.needsReboot ? 1 : 0);
    return insert.Run() && Update(record);
}

bool DeviceTable::Update(const DeviceRecord& record)
{
    Statement update = m_store.Prepare(
        "UPDATE devices SET plugged = ?2, plug_at = ?3, present = ?4, removed = ?5, driver = ?6, disabled = ?7, "
        "was_disabled = ?8, change_at = ?9, problem = ?10, pending_until = ?11, enum_key = ?12 WHERE devinst = ?1");
    update.Bind(1, static_cast<int64_t>(record.devinst)).Bind(2, record.plugged ? 1 : 0);
    if (record.plugAt)
        update.Bind(3, static_cast<int64_t>(*record.plugAt));
    else
        update.BindNull(3);
    update.Bind(4, record.present ? 1 : 0)
        .Bind(5, record.removed ? 1 : 0)
        .Bind(6, record.driver ? 1 : 0)
        .Bind(7, record.disabled ? 1 : 0)
        .Bind(8, record.wasDisabled ? 1 : 0)
        .Bind(9, static_cast<int64_t>(record.changeAt))
        .Bind(10, static_cast<int64_t>(record.problem))
        .Bind(11, static_cast<int64_t>(record.pendingUntil))
        .Bind(12, record.enumKey);
    return update.Run();
}

bool DeviceTable::AnythingDue(uint64_t now)
{
    Statement due = m_store.Prepare("SELECT 1 FROM devices WHERE (plug_at IS NOT NULL AND plug_at <= ?1) OR "
                                    "(change_at > 0 AND change_at <= ?1) LIMIT 1");
    due.Bind(1, static_cast<int64_t>(now));
    return due.Step();
}

uint64_t DeviceTable::PendingUntil(uint64_t now)
{
    Statement latest = m_store.Prepare("SELECT COALESCE(MAX(pending_until), 0) FROM devices WHERE pending_until > ?1");
    latest.Bind(1, static_cast<int64_t>(now));
    uint64_t until = latest.Step() ? static_cast<uint64_t>(latest.Int(0)) : 0;
    // New hardware not searched yet, and installs due now, are work the PnP manager has in hand.
    Statement waiting = m_store.Prepare("SELECT EXISTS(SELECT 1 FROM pnp_arrivals) OR "
                                        "EXISTS(SELECT 1 FROM pnp_installs WHERE due <= ?1)");
    waiting.Bind(1, static_cast<int64_t>(now));
    if (until == 0 && waiting.Step() && waiting.Int(0) != 0)
        until = now;
    return until;
}

} // namespace winsim
