// The screen of the attached process's machine, for tests (winsim.h).
#include "ScreenText.h"
#include "core/Runtime.h"
#include "winsim/winsim.h"

namespace winsim
{

std::string DescribeScreen()
{
    Runtime* rt = Runtime::Current();
    return rt ? ScreenText::Windows(rt->GetMachine().GetStore()) : std::string();
}

bool SaveScreenPng(const std::string& hostPath, std::string& error)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        error = "no machine is attached";
        return false;
    }
    return ScreenText::SavePng(rt->GetMachine().GetStore(), hostPath, error);
}

} // namespace winsim
