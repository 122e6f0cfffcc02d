#include "DeviceDriverLists.h"

#include <map>
#include <mutex>

namespace winsim
{

namespace
{

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

std::map<uint64_t, DeviceDriverLists::State>& Table()
{
    static std::map<uint64_t, DeviceDriverLists::State> table;
    return table;
}

} // namespace

DeviceDriverLists::State DeviceDriverLists::Get(uint64_t key)
{
    std::lock_guard<std::mutex> guard(Lock());
    auto it = Table().find(key);
    if (it != Table().end())
        return it->second;
    State state;
    state.params.cbSize = sizeof(state.params);
    return state;
}

void DeviceDriverLists::Put(uint64_t key, const State& state)
{
    std::lock_guard<std::mutex> guard(Lock());
    Table()[key] = state;
}

void DeviceDriverLists::Forget(uint64_t key)
{
    std::lock_guard<std::mutex> guard(Lock());
    Table().erase(key);
}

} // namespace winsim
