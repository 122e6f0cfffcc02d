#include "ProcessObject.h"

#include "ProcessTable.h"
#include "core/Runtime.h"
#include "windows.h"

namespace winsim
{

std::shared_ptr<ProcessObject> ProcessObject::FromHandle(Runtime& rt, const void* handle)
{
    if (handle == reinterpret_cast<const void*>(static_cast<intptr_t>(-1)))
        return std::make_shared<ProcessObject>(rt, rt.Pid(), PROCESS_ALL_ACCESS, false, std::nullopt);
    return std::dynamic_pointer_cast<ProcessObject>(rt.Handles().Lookup(handle, ObjectKind::Process));
}

bool ProcessObject::IsSignaled(uint32_t /*tid*/)
{
    return !ProcessTable::Of(m_rt).IsRunning(m_pid);
}

uint64_t ProcessObject::SignalTimeMs() const
{
    return m_endsMs ? *m_endsMs : KernelObject::SignalTimeMs();
}

uint32_t ProcessObject::ExitCode()
{
    ProcessTable table = ProcessTable::Of(m_rt);
    ProcessRow row;
    if (!table.Find(m_pid, row) || table.Refresh(row))
        return STILL_ACTIVE;
    return row.exitCode;
}

} // namespace winsim
