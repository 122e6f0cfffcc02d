// Journal lines of the device tree. Changes made by an attached process are its own (Journal::Record);
// the winsim command changes a machine nobody is attached to (plug, unplug, plug-ins falling due), and
// those lines carry pid 0, the machine itself. Building a machine journals nothing.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

class Store;

class DeviceJournal
{
public:
    DeviceJournal(Store& store, uint64_t nowMs, bool enabled) : m_store(store), m_now(nowMs), m_enabled(enabled) {}
    void Record(const char* kind, const char* op, const std::string& target, const std::string& detail = {});

private:
    Store& m_store;
    uint64_t m_now;
    bool m_enabled;
};

} // namespace winsim
