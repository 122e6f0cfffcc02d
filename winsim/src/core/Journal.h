// The machine's journal: every change a process makes, with the virtual time and the process id.
#pragma once

#include <string>

namespace winsim
{

class Journal
{
public:
    // kind: "file", "registry", "object", "process"; op: what happened ("create", "set", "delete", ...).
    static void Record(const char* kind, const char* op, const std::string& target, const std::string& detail = {});
};

} // namespace winsim
