// The image files of the machine's running processes. Windows maps a program's image while it runs: the
// file can be read and renamed, but not written, truncated, deleted or replaced until the process ends.
#pragma once

#include <string>

namespace winsim
{

class Runtime;

class RunningImages
{
public:
    // Whether the file (an upper-case full path) is the image of a process that still runs.
    static bool IsImage(Runtime& runtime, const std::string& upath);
    // Whether such an image lies below the folder (an upper-case full path).
    static bool AnyBelow(Runtime& runtime, const std::string& folderUpath);
};

} // namespace winsim
