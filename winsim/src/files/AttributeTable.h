// The attributes and winsim-made file times that the machine store keeps per file (table file_attrs),
// keyed by the upper-case normalised path. Files without a row are FILE_ATTRIBUTE_NORMAL with host times.
#pragma once

#include <cstdint>
#include <string>

#include "HostDrive.h"
#include "core/Store.h"

namespace winsim
{

// What GetFileAttributesA, FindFirstFileA and GetFileTime report for one file or folder.
struct FileFacts
{
    uint32_t attributes = 0;
    uint64_t creationMs = 0;
    uint64_t writeMs = 0;
    uint64_t size = 0;
};

class AttributeTable
{
public:
    // The attribute bits a file keeps (SetFileAttributesA and CreateFileA may set them).
    static constexpr uint32_t kSettable = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;
    static constexpr int64_t kNoTime = -1;

    struct Row
    {
        uint32_t attrs = 0;
        int64_t writeMs = kNoTime;
        int64_t creationMs = kNoTime;
    };

    explicit AttributeTable(Store& store) : m_store(store) {}

    Row Get(const std::string& upath);
    // Stores a row; one that says nothing (no attributes, no times) is removed instead.
    bool Put(const std::string& upath, const Row& row);
    bool SetAttributes(const std::string& upath, uint32_t attrs);
    bool SetWriteTime(const std::string& upath, uint64_t writeMs);
    // The entry and, for a folder, everything below it.
    bool RemoveTree(const std::string& upath);
    bool MoveTree(const std::string& fromUpath, const std::string& toUpath);

    FileFacts Describe(const std::string& upath, const HostStat& host);

private:
    Store& m_store;
};

} // namespace winsim
