// The process's open files and their share modes, so that a second open, a delete or a rename that the
// earlier opens do not share fails with ERROR_SHARING_VIOLATION. Opens are known within this process only.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace winsim
{

class ShareTable
{
public:
    // What an open does with the file, in share-mode terms.
    static constexpr uint32_t kRead = 1;   // FILE_SHARE_READ
    static constexpr uint32_t kWrite = 2;  // FILE_SHARE_WRITE
    static constexpr uint32_t kDelete = 4; // FILE_SHARE_DELETE

    static ShareTable& Instance();

    // Registers an open unless it conflicts with the opens already there; returns its token (0 on conflict).
    uint64_t Acquire(const std::string& key, uint32_t access, uint32_t share, bool deleteOnClose);
    // Drops an open. True when it was the last open of a file that is to be deleted on close.
    bool Release(const std::string& key, uint64_t token);
    // Whether an operation needing `access` (sharing `share`) would conflict with the opens there.
    bool Conflicts(const std::string& key, uint32_t access, uint32_t share);
    // Whether anything at or below the path is open.
    bool AnyOpenAtOrBelow(const std::string& key);
    // Follows a rename of an open file.
    void Rename(const std::string& fromKey, const std::string& toKey);

private:
    struct Open
    {
        uint32_t access;
        uint32_t share;
    };
    struct File
    {
        std::map<uint64_t, Open> opens;
        bool deletePending = false;
    };

    bool ConflictsLocked(const File& file, uint32_t access, uint32_t share) const;

    std::mutex m_mutex;
    std::map<std::string, File> m_files;
    uint64_t m_nextToken = 1;
};

} // namespace winsim
