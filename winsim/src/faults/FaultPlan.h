// The fault plan of the attached process (FaultRules.h): which API calls fail, and at which call the
// process crashes. API functions ask it at entry through FaultPoint; with no plan set that is one atomic
// load. A plan belongs to one attachment: detaching clears it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace winsim
{

// What a process crashed by its plan exits with, as a shell reports a segmentation fault.
inline constexpr int kFaultCrashStatus = 139;

class FaultPlan
{
public:
    // Replaces the plan (an empty text clears it); the counts start again. False, with the reason, when no
    // machine is attached or the text is malformed.
    static bool Set(const std::string& text, std::string& error);
    static void Clear();

    static bool Active() { return s_active.load(std::memory_order_acquire); }

    // An API call the program made itself while a plan is set: counts it, ends the process abruptly when it
    // is the crash call, and returns the error the call is to fail with (0: it goes on). Injected failures
    // and the crash are journalled (kind "fault").
    static uint32_t Call(const char* api);

    // The calls counted since the plan was set; none are counted while there is none.
    static uint64_t CountedCalls();

private:
    [[noreturn]] static void Crash(const char* api, uint64_t call);

    static std::atomic<bool> s_active;
};

} // namespace winsim
