// A handle to a named event, semaphore or mutex. The state is in the machine store, where other
// processes change it too, so waits on it poll (IsExternal). IsSignaled and Acquire run inside the
// waiter's store transaction when it takes; the Set/Release operations make their own.
#pragma once

#include <initializer_list>
#include <string>

#include "NamedObjectTable.h"
#include "SyncObject.h"

namespace winsim
{

class Runtime;

class NamedObject : public SyncObject
{
public:
    NamedObject(Runtime& rt, std::string name, NamedKind kind) : m_rt(rt), m_name(std::move(name)), m_kind(kind) {}
    // Closing the handle drops this process's reference; the last reference anywhere deletes the object.
    ~NamedObject() override;
    NamedObject(const NamedObject&) = delete;
    NamedObject& operator=(const NamedObject&) = delete;

    ObjectKind Kind() const override;
    bool IsExternal() const override { return true; }
    bool IsSignaled(uint32_t tid) override;
    bool Acquire(uint32_t tid) override;
    bool TakeAbandoned() override;

    uint32_t SetEventState(bool signaled) override;
    uint32_t ReleaseSemaphore(int32_t count, int32_t* previous) override;
    uint32_t ReleaseMutex(uint32_t tid) override;

    const std::string& Name() const { return m_name; }

private:
    struct Row
    {
        bool manualReset = false;
        int64_t state = 0;
        int64_t maxCount = 0;
        uint32_t ownerPid = 0;
        uint32_t ownerTid = 0;
        int64_t recursion = 0;
        bool abandoned = false;
    };

    bool Load(Row& row);
    // A mutex thread `tid` may take: free, its own, or left behind by a process that ended.
    bool MutexAvailable(const Row& row, uint32_t tid);
    // Runs an update of this object's row: ?1 is the name, ?2... the values.
    bool Write(const char* sql, std::initializer_list<int64_t> values = {});

    Runtime& m_rt;
    const std::string m_name;
    const NamedKind m_kind;
    bool m_lastAcquireAbandoned = false;
};

} // namespace winsim
