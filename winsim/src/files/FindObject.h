// A FindFirstFileA handle: the matching entries, taken when the search starts.
#pragma once

#include <mutex>
#include <vector>

#include "core/KernelObject.h"
#include "windows.h"

namespace winsim
{

class FindObject : public KernelObject
{
public:
    explicit FindObject(std::vector<WIN32_FIND_DATAA> entries) : m_entries(std::move(entries)) {}

    ObjectKind Kind() const override { return ObjectKind::FindFile; }

    // The next entry; false at the end.
    bool Next(WIN32_FIND_DATAA& data)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_next >= m_entries.size())
            return false;
        data = m_entries[m_next++];
        return true;
    }

private:
    std::mutex m_mutex;
    std::vector<WIN32_FIND_DATAA> m_entries;
    size_t m_next = 0;
};

} // namespace winsim
