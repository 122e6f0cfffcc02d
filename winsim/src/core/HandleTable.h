// The process's handle table. Handle values are multiples of four, as on Windows, and are never 0 or -1.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "KernelObject.h"

namespace winsim
{

class HandleTable
{
public:
    void* Insert(std::shared_ptr<KernelObject> object);
    std::shared_ptr<KernelObject> Lookup(const void* handle, ObjectKind kind) const;
    std::shared_ptr<KernelObject> Lookup(const void* handle) const;
    // Removes the handle; the object dies with its last reference.
    bool Close(const void* handle);
    // Closes every handle (process exit).
    void CloseAll();
    size_t Count() const;

private:
    mutable std::mutex m_mutex;
    std::map<uintptr_t, std::shared_ptr<KernelObject>> m_objects;
    uintptr_t m_next = 0x40;
};

} // namespace winsim
