// Maps Windows paths on drive C: onto the host folder behind it. Lookup ignores case; creation keeps the
// case the caller wrote.
#pragma once

#include <string>

namespace winsim
{

class PathResolver
{
public:
    explicit PathResolver(std::string driveRoot) : m_driveRoot(std::move(driveRoot)) {}

    // Normalises a Windows path to "C:\A\B": drive letter upper-cased, '/' taken as '\', repeated separators,
    // "." and ".." folded, relative paths taken from currentDir. False for a path not on drive C:.
    static bool Normalize(const std::string& windowsPath, const std::string& currentDir, std::string& normalized);

    // The full path as GetFullPathNameA makes it, on any drive letter: "X:\A\B", keeping a trailing backslash
    // that the input ended in. Trailing dots and blanks are trimmed from the last component and one trailing
    // dot from the others, as Windows does. False for UNC and device paths.
    static bool FullPath(const std::string& windowsPath, const std::string& currentDir, std::string& full);

    // Host path of a normalised path: each existing component matched without regard to case, the rest
    // appended as written.
    std::string ToHost(const std::string& normalized) const;

    const std::string& DriveRoot() const { return m_driveRoot; }

private:
    std::string m_driveRoot;
};

} // namespace winsim
