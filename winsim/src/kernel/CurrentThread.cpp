#include "CurrentThread.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "LocalMutex.h"
#include "NamedObjectTable.h"
#include "core/Runtime.h"

namespace winsim
{

namespace
{

struct ThreadState
{
    uint64_t generation = 0;
    uint32_t tid = 0;
    std::vector<std::weak_ptr<LocalMutex>> owned;
};

thread_local ThreadState t_state;

std::mutex g_idMutex;
uint64_t g_idGeneration = 0;
uint32_t g_idCount = 0;

} // namespace

uint32_t CurrentThread::Id(Runtime& rt)
{
    if (t_state.generation != rt.GetClock().Generation())
        Assign(rt, Allocate(rt));
    return t_state.tid;
}

uint32_t CurrentThread::Allocate(Runtime& rt)
{
    std::lock_guard<std::mutex> lock(g_idMutex);
    if (g_idGeneration != rt.GetClock().Generation())
    {
        g_idGeneration = rt.GetClock().Generation();
        g_idCount = 0;
    }
    uint32_t slot = 1 + g_idCount++ % 255;
    return rt.Pid() * 256 + slot * 4;
}

void CurrentThread::Assign(Runtime& rt, uint32_t tid)
{
    t_state.generation = rt.GetClock().Generation();
    t_state.tid = tid;
    t_state.owned.clear();
}

void CurrentThread::NoteOwned(std::weak_ptr<LocalMutex> mutex)
{
    auto& owned = t_state.owned;
    owned.erase(std::remove_if(owned.begin(), owned.end(), [](const auto& entry) { return entry.expired(); }),
                owned.end());
    owned.push_back(std::move(mutex));
}

void CurrentThread::AbandonMutexes(Runtime& rt)
{
    uint32_t tid = Id(rt);
    std::vector<std::weak_ptr<LocalMutex>> owned;
    owned.swap(t_state.owned);
    for (const auto& entry : owned)
    {
        if (auto mutex = entry.lock())
            mutex->Abandon(tid);
    }
    NamedObjectTable(rt).AbandonOwnedBy(tid);
}

} // namespace winsim
