// The INI file behind a profile call: a bare file name lives in the Windows folder, any other path is
// taken from the current directory. Read as ANSI bytes; written back whole, journalled as a write.
#pragma once

#include <cstdint>
#include <string>

#include "PathArgument.h"

namespace winsim
{

class Runtime;

class ProfileFile
{
public:
    // False, with the last error set, when the name cannot be a file.
    bool Resolve(Runtime& runtime, const char* fileName);
    // The text of the file; false (last error ERROR_FILE_NOT_FOUND) when there is no such file.
    bool Read(std::string& text);
    // Writes the text over the file, creating it; 0 or the Win32 error.
    uint32_t Write(Runtime& runtime, const std::string& text);

private:
    WinPath m_path;
};

} // namespace winsim
