// CreateFileA's decisions: disposition, folders, read-only and hidden files, share modes, and the
// bookkeeping of a file it creates or overwrites.
#pragma once

#include <cstdint>
#include <memory>

#include "FileObject.h"

namespace winsim
{

class Runtime;

struct OpenRequest
{
    uint32_t access = 0;
    uint32_t shareMode = 0;
    uint32_t disposition = 0;
    uint32_t flagsAndAttributes = 0;
};

class FileOpener
{
public:
    // Opens `target` or fails with a Win32 error. `existed` tells whether the file was there before.
    static std::shared_ptr<FileObject> Open(Runtime& runtime, const WinPath& target, const OpenRequest& request,
                                            bool& existed, uint32_t& error);

    // The share-table bits (read, write, delete) that an access mask uses.
    static uint32_t ShareBitsOf(uint32_t access);
};

} // namespace winsim
