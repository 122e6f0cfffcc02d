// A path argument of a file function, resolved as Windows resolves it: made full against the current
// directory, checked for names and lengths Windows refuses, mapped to its host path and looked up.
#pragma once

#include <cstdint>
#include <string>

#include "HostDrive.h"

namespace winsim
{

class Runtime;

enum class EntryKind
{
    Missing,  // the folder exists, the entry does not (ERROR_FILE_NOT_FOUND)
    NoParent, // a folder on the way is missing (ERROR_PATH_NOT_FOUND)
    File,
    Folder
};

struct WinPath
{
    std::string path;   // "C:\A\B" as written, drive upper-cased
    std::string upath;  // the same, upper-cased: the key of file_attrs
    std::string actual; // the same with the case of the entries that exist: what the journal names
    std::string host;
    std::string shareKey;
    HostStat stat;
    EntryKind kind = EntryKind::Missing;

    bool IsRoot() const { return path.size() == 3; }
    // The last component as written.
    std::string Name() const;
    // The host path of a new entry in the same folder, as written.
    std::string HostParent() const;
};

class PathArgument
{
public:
    enum Options : unsigned
    {
        kNone = 0,
        // The second name of a two-name function: Windows converts it without the MAX_PATH-sized static
        // buffer of the first, so an overlong one fails later, as a path that is not found.
        kSecondName = 1
    };

    // False, with the last error set, for a NULL or empty path, one too long, one with a refused name or
    // one not on drive C:.
    static bool Resolve(Runtime& runtime, const char* text, WinPath& out, unsigned options = kNone);
    // The same for a path already made full.
    static bool ResolveFull(Runtime& runtime, const std::string& full, WinPath& out);
    // Looks the entry up again after a change.
    static void Refresh(WinPath& path);
    // The share-table key of an upper-case path on this machine.
    static std::string ShareKey(Runtime& runtime, const std::string& upath);
    // The Win32 error for an entry that is not there (file or path not found).
    static uint32_t NotFoundError(const WinPath& path);
};

} // namespace winsim
