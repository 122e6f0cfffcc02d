#include "ShareTable.h"

namespace winsim
{

ShareTable& ShareTable::Instance()
{
    static ShareTable table;
    return table;
}

bool ShareTable::ConflictsLocked(const File& file, uint32_t access, uint32_t share) const
{
    for (const auto& [token, open] : file.opens)
    {
        // Each side must share what the other side does.
        if ((access & ~open.share) != 0 || (open.access & ~share) != 0)
            return true;
    }
    return false;
}

uint64_t ShareTable::Acquire(const std::string& key, uint32_t access, uint32_t share, bool deleteOnClose)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    File& file = m_files[key];
    if (ConflictsLocked(file, access, share))
    {
        if (file.opens.empty())
            m_files.erase(key);
        return 0;
    }
    uint64_t token = m_nextToken++;
    file.opens.emplace(token, Open{access, share});
    if (deleteOnClose)
        file.deletePending = true;
    return token;
}

bool ShareTable::Release(const std::string& key, uint64_t token)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_files.find(key);
    if (found == m_files.end())
        return false;
    found->second.opens.erase(token);
    if (!found->second.opens.empty())
        return false;
    bool deleteNow = found->second.deletePending;
    m_files.erase(found);
    return deleteNow;
}

bool ShareTable::Conflicts(const std::string& key, uint32_t access, uint32_t share)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_files.find(key);
    return found != m_files.end() && ConflictsLocked(found->second, access, share);
}

bool ShareTable::AnyOpenAtOrBelow(const std::string& key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Keys below the path start with "<path>\", which sorts between "<path>\" and "<path>]".
    return m_files.count(key) != 0 || m_files.lower_bound(key + "\\") != m_files.lower_bound(key + "]");
}

void ShareTable::Rename(const std::string& fromKey, const std::string& toKey)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_files.find(fromKey);
    if (found == m_files.end() || fromKey == toKey)
        return;
    File moved = std::move(found->second);
    m_files.erase(found);
    m_files[toKey] = std::move(moved);
}

} // namespace winsim
