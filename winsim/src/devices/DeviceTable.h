// The devices table of the machine store (see core/Schema.h): reading and writing DeviceRecords. Runs no
// transactions of its own: callers wrap their changes in one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceRecord.h"
#include "core/Store.h"

namespace winsim
{

class DeviceTable
{
public:
    explicit DeviceTable(Store& store) : m_store(store) {}

    // Every device, in enumeration order.
    std::vector<DeviceRecord> All();
    bool Find(const std::string& instance, DeviceRecord& record);
    bool Find(uint32_t devinst, DeviceRecord& record);
    // Adds a device after the others; fills in its devinst and seq.
    bool Insert(DeviceRecord& record);
    // Writes the runtime state back (the hardware columns do not change).
    bool Update(const DeviceRecord& record);
    // Whether a plug-in or a state change falls due at or before `now`.
    bool AnythingDue(uint64_t now);
    // The latest end of install activity still pending after `now`; `now` itself when only new hardware
    // waits for its driver search or an install is due; 0 when nothing is pending.
    uint64_t PendingUntil(uint64_t now);

private:
    Store& m_store;
};

} // namespace winsim
