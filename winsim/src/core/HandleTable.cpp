#include "HandleTable.h"

namespace winsim
{

void* HandleTable::Insert(std::shared_ptr<KernelObject> object)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    uintptr_t value = m_next;
    m_next += 4;
    m_objects.emplace(value, std::move(object));
    return reinterpret_cast<void*>(value);
}

std::shared_ptr<KernelObject> HandleTable::Lookup(const void* handle) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_objects.find(reinterpret_cast<uintptr_t>(handle));
    return found == m_objects.end() ? nullptr : found->second;
}

std::shared_ptr<KernelObject> HandleTable::Lookup(const void* handle, ObjectKind kind) const
{
    auto object = Lookup(handle);
    return object && object->Kind() == kind ? object : nullptr;
}

bool HandleTable::Close(const void* handle)
{
    std::shared_ptr<KernelObject> doomed;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_objects.find(reinterpret_cast<uintptr_t>(handle));
        if (found == m_objects.end())
            return false;
        doomed = std::move(found->second);
        m_objects.erase(found);
    }
    // The object's destructor may take other locks; it runs outside the table's lock.
    doomed.reset();
    return true;
}

void HandleTable::CloseAll()
{
    std::map<uintptr_t, std::shared_ptr<KernelObject>> doomed;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        doomed.swap(m_objects);
    }
}

size_t HandleTable::Count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_objects.size();
}

} // namespace winsim
