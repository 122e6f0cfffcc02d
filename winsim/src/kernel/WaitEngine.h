// Waits on one or more kernel objects: the work behind WaitForSingleObject and WaitForMultipleObjects.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace winsim
{

class KernelObject;
class Runtime;

class WaitEngine
{
public:
    // `objects` are waitable; nullptr stands for an object that never becomes signalled (the current
    // process's pseudo handle). Wait-any takes the lowest signalled index; wait-all takes every object at
    // once or none. Objects of other processes are taken in one store transaction. Returns
    // WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i (a mutex whose owner ended) or WAIT_TIMEOUT.
    static uint32_t Wait(Runtime& rt, const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll,
                         uint32_t timeoutMs);
};

} // namespace winsim
