// Machine control of fault plans (winsim/winsim.h).
#include "FaultPlan.h"
#include "FaultRules.h"
#include "winsim/winsim.h"

namespace winsim
{

bool SetFaultPlan(const std::string& plan, std::string& error)
{
    return FaultPlan::Set(plan, error);
}

void ClearFaultPlan()
{
    FaultPlan::Clear();
}

bool CheckFaultPlan(const std::string& plan, std::string& error)
{
    FaultRules rules;
    return FaultRules::Parse(plan, rules, error);
}

} // namespace winsim
