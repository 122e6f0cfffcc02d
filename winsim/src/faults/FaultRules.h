// A process's fault plan as text: items separated by blanks, new lines or semicolons, each
//
//     API[:N|:*][=ERROR]   the Nth call (1-based, default 1) or every call (*) of API fails with ERROR
//     crash-at=N           the process ends abruptly at its Nth API call
//
// API is a function a built-in module exports (any case; kept in the export's spelling) that can fail.
// ERROR is a number (5, 0x70) or an ERROR_ name; left out, the function's usual error (ERROR_ACCESS_DENIED
// for most, ERROR_MOD_NOT_FOUND for LoadLibraryA, ...). A rule for a numbered call comes before a * rule.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

struct FaultRule
{
    std::string api;
    uint32_t call = 1; // 0: every call
    uint32_t error = 0;
};

class FaultRules
{
public:
    // False, with the reason, for a malformed item; nothing is kept then.
    static bool Parse(const std::string& text, FaultRules& rules, std::string& error);

    // The error a failing call of api gives when the plan names none.
    static uint32_t DefaultError(const std::string& api);

    std::vector<FaultRule> fails;
    uint32_t crashAt = 0; // 0: no crash
};

} // namespace winsim
