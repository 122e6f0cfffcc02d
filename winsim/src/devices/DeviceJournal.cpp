#include "DeviceJournal.h"

#include "core/Journal.h"
#include "core/Runtime.h"

namespace winsim
{

void DeviceJournal::Record(const char* kind, const char* op, const std::string& target, const std::string& detail)
{
    if (!m_enabled)
        return;
    Runtime* rt = Runtime::Current();
    if (rt && &rt->GetMachine().GetStore() == &m_store)
    {
        Journal::Record(kind, op, target, detail);
        return;
    }
    Statement stmt =
        m_store.Prepare("INSERT INTO journal(time_ms, pid, kind, op, target, detail) VALUES(?1, 0, ?2, ?3, ?4, ?5)");
    stmt.Bind(1, static_cast<int64_t>(m_now))
        .Bind(2, std::string(kind))
        .Bind(3, std::string(op))
        .Bind(4, target)
        .Bind(5, detail);
    stmt.Run();
}

} // namespace winsim
