#include "WaitEngine.h"

#include <algorithm>
#include <optional>

#include "CurrentThread.h"
#include "core/KernelObject.h"
#include "core/Runtime.h"
#include "windows.h"

namespace winsim
{

namespace
{

using Objects = std::vector<std::shared_ptr<KernelObject>>;

bool Signaled(const Objects& objects, size_t index, uint32_t tid)
{
    return objects[index] && objects[index]->IsSignaled(tid);
}

// Takes the chosen objects, all or none. Runs under the clock's lock, so the process's own objects
// cannot change between the look and the take; the store transaction does the same for the others.
bool Take(Runtime& rt, const Objects& objects, const std::vector<size_t>& chosen, uint32_t tid)
{
    bool external = false;
    for (size_t index : chosen)
        external = external || objects[index]->IsExternal();
    if (external)
    {
        Transaction txn(rt.GetMachine().GetStore());
        if (!txn.Ok())
            return false;
        for (size_t index : chosen)
        {
            if (objects[index]->IsExternal() && !objects[index]->IsSignaled(tid))
                return false;
        }
        for (size_t index : chosen)
        {
            if (objects[index]->IsExternal() && !objects[index]->Acquire(tid))
                return false;
        }
        if (!txn.Commit())
            return false;
    }
    for (size_t index : chosen)
    {
        if (!objects[index]->IsExternal())
            objects[index]->Acquire(tid);
    }
    return true;
}

} // namespace

uint32_t WaitEngine::Wait(Runtime& rt, const Objects& objects, bool waitAll, uint32_t timeoutMs)
{
    Clock& clock = rt.GetClock();
    const uint32_t tid = CurrentThread::Id(rt);
    bool external = false;
    for (const auto& object : objects)
        external = external || (object && object->IsExternal());
    const uint64_t deadline = timeoutMs == INFINITE ? Clock::kForever : clock.NowMs() + timeoutMs;

    uint32_t result = WAIT_TIMEOUT;
    auto ready = [&]() -> bool
    {
        std::vector<size_t> chosen;
        for (size_t index = 0; index < objects.size(); ++index)
        {
            if (Signaled(objects, index, tid))
            {
                chosen.push_back(index);
                if (!waitAll)
                    break;
            }
            else if (waitAll)
                return false;
        }
        if (chosen.empty() || !Take(rt, objects, chosen, tid))
            return false;
        std::optional<size_t> abandoned;
        for (size_t index : chosen)
        {
            if (objects[index]->TakeAbandoned() && !abandoned)
                abandoned = index;
        }
        result = abandoned ? WAIT_ABANDONED_0 + static_cast<uint32_t>(*abandoned)
                           : WAIT_OBJECT_0 + static_cast<uint32_t>(chosen.front());
        return true;
    };
    // An object that signals itself at a known time (a declared process's end) ends the wait there.
    for (;;)
    {
        uint64_t until = deadline;
        const uint64_t now = clock.NowMs();
        for (const auto& object : objects)
        {
            if (object && object->SignalTimeMs() > now)
                until = std::min(until, object->SignalTimeMs());
        }
        if (clock.WaitUntil(ready, until, external))
            return result;
        if (until == deadline)
            return WAIT_TIMEOUT;
    }
}

} // namespace winsim
