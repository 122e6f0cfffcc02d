// Moves and deletes that NT carries out at the next boot: pairs of "\??\C:\source" and "\??\C:\target"
// (an empty target for a delete, a leading '!' on the target to replace an existing file), appended to
// the REG_MULTI_SZ value PendingFileRenameOperations of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager.
// Written through the Reg* API like any other program's registry change.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

class DelayedMoves
{
public:
    // Appends one pair; returns the registry error (ERROR_SUCCESS when recorded).
    static int32_t Record(const std::string& source, const std::string& target, bool replaceExisting);
};

} // namespace winsim
