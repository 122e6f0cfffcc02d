#include "InfHandles.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace winsim
{

namespace
{

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

std::unordered_map<const void*, std::unique_ptr<InfFile>>& Table()
{
    static std::unordered_map<const void*, std::unique_ptr<InfFile>> table;
    return table;
}

// Bumped whenever a file closes, so that a thread's cached lookup is known to be stale.
std::atomic<uint64_t> g_generation{0};

struct LastLookup
{
    const void* handle = nullptr;
    const InfFile* file = nullptr;
    uint64_t generation = ~0ull;
};
thread_local LastLookup t_last;

} // namespace

void* InfHandles::Add(std::unique_ptr<InfFile> file)
{
    void* handle = file.get();
    std::lock_guard<std::mutex> guard(Lock());
    Table().emplace(handle, std::move(file));
    return handle;
}

bool InfHandles::Remove(void* handle)
{
    std::lock_guard<std::mutex> guard(Lock());
    g_generation.fetch_add(1);
    return Table().erase(handle) != 0;
}

const InfFile* InfHandles::Find(const void* handle)
{
    // A walk over one file asks for the same handle again and again: remember the last answer.
    const uint64_t generation = g_generation.load();
    if (handle && t_last.handle == handle && t_last.generation == generation)
        return t_last.file;
    std::lock_guard<std::mutex> guard(Lock());
    auto it = Table().find(handle);
    const InfFile* file = it == Table().end() ? nullptr : it->second.get();
    if (file)
        t_last = LastLookup{handle, file, g_generation.load()};
    return file;
}

} // namespace winsim
