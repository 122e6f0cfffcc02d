// How the file functions hand results back to the caller's buffers, by the size rules Windows documents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim
{

class ApiBuffers
{
public:
    // Path results (Get...Directory, GetFullPathNameA, ...): the length without the terminator when the
    // buffer holds it, otherwise the size needed with the terminator, leaving the buffer untouched.
    static DWORD CopyPath(const std::string& text, char* buffer, DWORD size);
    // A profile value: cut to size-1 characters and terminated; returns the characters copied.
    static DWORD CopyTruncated(const std::string& text, char* buffer, DWORD size);
    // A profile list of strings, each terminated, the list ending in one more NUL. When it does not fit,
    // the last string is cut, two NULs end the buffer and the result is size-2.
    static DWORD CopyList(const std::vector<std::string>& items, char* buffer, DWORD size);
    static FILETIME ToFileTime(uint64_t ms);
};

} // namespace winsim
