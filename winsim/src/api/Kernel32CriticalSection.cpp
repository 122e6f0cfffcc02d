// KERNEL32 critical sections. Each one is an unnamed mutex of the machine kept behind the structure, so
// that a thread blocked on it is a thread the clock knows is waiting: in virtual time the clock may jump
// only when every thread is blocked on something it can see. Before a machine is attached there is only
// one thread, and entering does nothing.
#include <memory>
#include <vector>

#include "core/Runtime.h"
#include "kernel/CurrentThread.h"
#include "kernel/LocalMutex.h"
#include "kernel/WaitEngine.h"
#include "windows.h"

using namespace winsim;

namespace
{

struct CriticalSectionState
{
    std::shared_ptr<LocalMutex> mutex;
    // The clock the mutex waits on: a section made before one machine was attached (a static of the
    // program) gets a new mutex when it is first entered under another.
    Clock* clock = nullptr;
};

CriticalSectionState* StateOf(LPCRITICAL_SECTION lpCriticalSection)
{
    return lpCriticalSection ? static_cast<CriticalSectionState*>(lpCriticalSection->DebugInfo) : nullptr;
}

} // namespace

VOID WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    if (!lpCriticalSection)
        return;
    *lpCriticalSection = {};
    lpCriticalSection->LockCount = -1;
    lpCriticalSection->DebugInfo = new CriticalSectionState;
}

VOID WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    delete StateOf(lpCriticalSection);
    if (lpCriticalSection)
        lpCriticalSection->DebugInfo = nullptr;
}

VOID WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    CriticalSectionState* pState = StateOf(lpCriticalSection);
    Runtime* rt = Runtime::Current();
    if (!pState || !rt)
        return;
    if (!pState->mutex || pState->clock != &rt->GetClock())
    {
        pState->clock = &rt->GetClock();
        pState->mutex = std::make_shared<LocalMutex>(rt->GetClock());
    }
    std::vector<std::shared_ptr<KernelObject>> objects{pState->mutex};
    WaitEngine::Wait(*rt, objects, false, INFINITE);
    ++lpCriticalSection->RecursionCount;
}

VOID WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    CriticalSectionState* pState = StateOf(lpCriticalSection);
    Runtime* rt = Runtime::Current();
    if (!pState || !pState->mutex || !rt)
        return;
    --lpCriticalSection->RecursionCount;
    pState->mutex->ReleaseMutex(CurrentThread::Id(*rt));
}
