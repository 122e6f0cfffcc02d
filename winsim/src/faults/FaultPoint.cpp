#include "FaultPoint.h"

namespace winsim
{

namespace
{
// How deep the thread is in API functions that entered while a plan was set.
thread_local int t_depth = 0;
} // namespace

void FaultPoint::Enter(const char* api)
{
    m_entered = true;
    if (t_depth++ == 0)
        m_error = FaultPlan::Call(api);
}

void FaultPoint::Leave()
{
    --t_depth;
}

FaultPoint::Callback::Callback() : m_savedDepth(t_depth)
{
    t_depth = 0;
}

FaultPoint::Callback::~Callback()
{
    t_depth = m_savedDepth;
}

} // namespace winsim
