#include "FaultPlan.h"

#include <unistd.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "ErrorNames.h"
#include "FaultRules.h"
#include "core/Journal.h"
#include "core/Runtime.h"

namespace winsim
{

std::atomic<bool> FaultPlan::s_active{false};

namespace
{

struct PlanState
{
    std::mutex mutex;
    FaultRules rules;
    // Calls of each API the rules name, in the order of rules.fails' first mention.
    std::vector<std::pair<std::string, uint32_t>> counts;
    std::atomic<uint64_t> calls{0};
    std::atomic<uint64_t> crashAt{0};
};

PlanState& State()
{
    static PlanState state;
    return state;
}

std::string Describe(uint32_t error)
{
    const std::string name = ErrorNames::NameOf(error);
    return "error " + std::to_string(error) + (name.empty() ? "" : " (" + name + ")");
}

} // namespace

bool FaultPlan::Set(const std::string& text, std::string& error)
{
    if (!Runtime::Current())
    {
        error = "no machine is attached";
        return false;
    }
    FaultRules rules;
    if (!FaultRules::Parse(text, rules, error))
        return false;
    PlanState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.rules = rules;
    state.counts.clear();
    for (const FaultRule& rule : rules.fails)
    {
        bool known = false;
        for (const auto& count : state.counts)
            known = known || count.first == rule.api;
        if (!known)
            state.counts.emplace_back(rule.api, 0);
    }
    state.calls = 0;
    state.crashAt = rules.crashAt;
    s_active.store(!rules.fails.empty() || rules.crashAt != 0, std::memory_order_release);
    return true;
}

void FaultPlan::Clear()
{
    PlanState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    s_active.store(false, std::memory_order_release);
    state.rules = FaultRules();
    state.counts.clear();
    state.calls = 0;
    state.crashAt = 0;
}

uint32_t FaultPlan::Call(const char* api)
{
    PlanState& state = State();
    const uint64_t call = state.calls.fetch_add(1) + 1;
    if (call == state.crashAt.load())
        Crash(api, call);
    uint32_t error = 0, nth = 0;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        for (auto& count : state.counts)
        {
            if (count.first == api)
            {
                nth = ++count.second;
                break;
            }
        }
        if (nth == 0)
            return 0;
        // A rule for this very call comes before one for every call.
        for (const FaultRule& rule : state.rules.fails)
        {
            if (rule.api == api && rule.call == nth)
                error = rule.error;
        }
        for (const FaultRule& rule : state.rules.fails)
        {
            if (!error && rule.api == api && rule.call == 0)
                error = rule.error;
        }
    }
    if (error)
        Journal::Record("fault", "fail", api, "call " + std::to_string(nth) + " -> " + Describe(error));
    return error;
}

uint64_t FaultPlan::CountedCalls()
{
    return State().calls.load();
}

void FaultPlan::Crash(const char* api, uint64_t call)
{
    // As a crash: no exit is recorded, handles and named objects stay for whoever notices the process is
    // gone, buffered output is lost.
    Journal::Record("fault", "crash", api, "call " + std::to_string(call));
    _exit(kFaultCrashStatus);
}

} // namespace winsim
